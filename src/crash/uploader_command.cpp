#include "crash/uploader_command.h"

#include <limits>

#include "base/text_convert.h"
#include "webview2/data_directory.h"

namespace crash {

namespace {

// Appends into a fixed buffer; once something does not fit, every later append fails too.
class FixedWriter {
 public:
  FixedWriter(char16_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Text(const char16_t* text) {
    for (; text != nullptr && *text != u'\0'; ++text) Put(*text);
  }
  void Ascii(const char* text) {
    for (; *text != '\0'; ++text) Put(static_cast<char16_t>(*text));
  }
  void Unsigned(uint64_t value) {
    char16_t digits[text::kMaxDecimalDigits];
    const size_t count = text::DecimalDigits(value, digits);
    for (size_t i = 0; i < count; ++i) Put(digits[i]);
  }
  void Signed(int32_t value) {
    if (value < 0) {
      Put(u'-');
      Unsigned(static_cast<uint64_t>(-static_cast<int64_t>(value)));
    } else {
      Unsigned(static_cast<uint64_t>(value));
    }
  }
  bool Finish() {
    if (!ok_ || length_ >= capacity_) {
      if (capacity_ > 0) out_[0] = u'\0';
      return false;
    }
    out_[length_] = u'\0';
    return true;
  }

 private:
  void Put(char16_t c) {
    // One unit stays free for the terminator.
    if (!ok_ || length_ + 1 >= capacity_) {
      ok_ = false;
      return;
    }
    out_[length_++] = c;
  }

  char16_t* out_;
  size_t capacity_;
  size_t length_ = 0;
  bool ok_ = true;
};

std::u16string InFolder(const std::u16string& folder, const char16_t* relative) {
  if (folder.empty()) return {};
  return folder + u'\\' + relative + kUploaderFileName;
}

bool ParseDecimal(const std::u16string& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t result = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - u'0');
    if (result > (max - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

bool FormatUploaderParameters(char16_t* out, size_t capacity, uint64_t exception_pointers, uint32_t process_id,
                              uint32_t thread_id, const char16_t* source, const char16_t* version,
                              int32_t report_mode) {
  FixedWriter w(out, capacity);
  w.Ascii("--pep=");
  w.Unsigned(exception_pointers);
  // Identifiers are written as the signed numbers "%d" makes of them.
  w.Ascii(" --pid=");
  w.Signed(static_cast<int32_t>(process_id));
  w.Ascii(" --tid=");
  w.Signed(static_cast<int32_t>(thread_id));
  w.Ascii(" --src=");
  w.Text(source);
  w.Ascii(" --ver=");
  w.Text(version);
  w.Ascii(" --rep=");
  w.Signed(report_mode);
  return w.Finish();
}

bool IsRootFolder(const std::u16string& folder) {
  std::u16string f = folder;
  while (!f.empty() && (f.back() == u'\\' || f.back() == u'/')) f.pop_back();
  if (f.rfind(u"\\\\?\\", 0) == 0 || f.rfind(u"\\\\.\\", 0) == 0) f = f.substr(4);
  if (f.size() <= 2) return f.size() < 2 || f[1] == u':';  // "", "C:"
  if (f.rfind(u"UNC\\", 0) == 0) f = u"\\" + f.substr(3);
  if (f.rfind(u"\\\\", 0) != 0) return false;
  // "\\server\share": a separator after the server name and none after the share's.
  const size_t share = f.find(u'\\', 2);
  return share == std::u16string::npos || f.find(u'\\', share + 1) == std::u16string::npos;
}

std::array<std::u16string, 5> UploaderCandidates(const std::u16string& program_dir) {
  const std::u16string parent = datadir::AncestorFolder(program_dir, 1);
  const std::u16string grandparent = datadir::AncestorFolder(program_dir, 2);
  // Below a drive or share root any user may create a folder: an uploader found there could be
  // anyone's, and it would run inside the crashing host's session. Only the program's own
  // folder is taken as it is.
  const auto unless_root = [](const std::u16string& folder, const char16_t* relative) {
    return IsRootFolder(folder) ? std::u16string() : InFolder(folder, relative);
  };
  return {InFolder(program_dir, u""), unless_root(program_dir, u"Utils\\"), unless_root(parent, u""),
          unless_root(parent, u"Utils\\"), unless_root(grandparent, u"")};
}

uint16_t PeMachine(const uint8_t* bytes, size_t size) {
  const auto u16 = [&](size_t at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); };
  if (bytes == nullptr || size < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return 0;
  const uint32_t pe = static_cast<uint32_t>(u16(0x3C)) | static_cast<uint32_t>(u16(0x3E)) << 16;
  if (pe > size - 6) return 0;
  if (bytes[pe] != 'P' || bytes[pe + 1] != 'E' || bytes[pe + 2] != 0 || bytes[pe + 3] != 0) return 0;
  return u16(pe + 4);
}

UploaderArguments ParseUploaderArguments(const std::vector<std::u16string>& arguments) {
  UploaderArguments result;
  if (arguments.size() == 1 && arguments[0] == u"--send") {
    result.send_pending = true;
    return result;
  }
  static const char16_t* const kNames[] = {u"pep", u"pid", u"tid", u"src", u"ver", u"rep"};
  std::optional<std::u16string> values[6];
  for (const std::u16string& argument : arguments) {
    const size_t eq = argument.find(u'=');
    const std::u16string name = argument.substr(0, eq);
    int index = -1;
    for (int i = 0; i < 6; ++i) {
      if (eq != std::u16string::npos && name == std::u16string(u"--") + kNames[i]) index = i;
    }
    if (index < 0) {
      result.error = "unknown parameter \"" + Narrow(argument) + "\"";
      return result;
    }
    if (values[index]) {
      result.error = "parameter " + Narrow(name) + " given twice";
      return result;
    }
    values[index] = argument.substr(eq + 1);
  }
  for (int i = 0; i < 6; ++i) {
    if (!values[i]) {
      result.error = "missing parameter --" + Narrow(kNames[i]);
      return result;
    }
  }
  CrashRequest request;
  auto malformed = [&](int i) {
    result.error = "malformed parameter --" + Narrow(kNames[i]) + "=" + Narrow(*values[i]);
    return result;
  };
  uint64_t number = 0;
  if (!ParseDecimal(*values[0], std::numeric_limits<uint64_t>::max(), &number) || number == 0) return malformed(0);
  request.exception_pointers = number;
  // Process and thread ids are written with "%d"; real ones are positive and below 2^31.
  if (!ParseDecimal(*values[1], 0x7FFFFFFF, &number) || number == 0) return malformed(1);
  request.process_id = static_cast<uint32_t>(number);
  if (!ParseDecimal(*values[2], 0x7FFFFFFF, &number) || number == 0) return malformed(2);
  request.thread_id = static_cast<uint32_t>(number);
  if (values[3]->size() >= kInfoCapacity) return malformed(3);
  request.source = *values[3];
  if (values[4]->size() >= kInfoCapacity) return malformed(4);
  request.version = *values[4];
  const std::u16string& rep = *values[5];
  const bool negative = !rep.empty() && rep[0] == u'-';
  if (!ParseDecimal(negative ? rep.substr(1) : rep, negative ? 0x80000000ull : 0x7FFFFFFFull, &number)) {
    return malformed(5);
  }
  request.report_mode = negative ? static_cast<int32_t>(-static_cast<int64_t>(number)) : static_cast<int32_t>(number);
  result.crash = request;
  return result;
}

}  // namespace crash

#include "crash/minidump_reader.h"

#include "webview2common/little_endian.h"

namespace crash {

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kDirectoryEntrySize = 12;
constexpr size_t kThreadEntrySize = 48;
constexpr size_t kModuleEntrySize = 108;
constexpr size_t kExceptionStreamSize = 168;

// A bounds-checked view of one stream.
class Span {
 public:
  Span(std::string_view file, uint64_t rva, uint64_t size) : ok_(rva <= file.size() && size <= file.size() - rva) {
    if (ok_) data_ = file.substr(rva, size);
  }
  bool ok() const { return ok_; }
  size_t size() const { return data_.size(); }
  uint32_t U32(size_t at) const { return LoadLE32(Bytes(at)); }
  uint64_t U64(size_t at) const { return LoadLE64(Bytes(at)); }

 private:
  const uint8_t* Bytes(size_t at) const { return reinterpret_cast<const uint8_t*>(data_.data()) + at; }

  bool ok_;
  std::string_view data_;
};

std::optional<MinidumpSummary> Fail(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return std::nullopt;
}

}  // namespace

std::optional<MinidumpSummary> ReadMinidump(std::string_view bytes, std::string* error) {
  if (bytes.size() < kHeaderSize) return Fail(error, "shorter than a minidump header");
  const Span header(bytes, 0, kHeaderSize);
  if (header.U32(0) != kMinidumpSignature) return Fail(error, "no minidump signature");
  MinidumpSummary summary;
  summary.stream_count = header.U32(8);
  summary.time_stamp = header.U32(20);
  const uint32_t directory_rva = header.U32(12);
  if (summary.stream_count > (bytes.size() / kDirectoryEntrySize)) return Fail(error, "stream directory too long");
  const Span directory(bytes, directory_rva, uint64_t{summary.stream_count} * kDirectoryEntrySize);
  if (!directory.ok()) return Fail(error, "stream directory outside the file");
  for (uint32_t i = 0; i < summary.stream_count; ++i) {
    const size_t at = i * kDirectoryEntrySize;
    const uint32_t type = directory.U32(at);
    const Span stream(bytes, directory.U32(at + 8), directory.U32(at + 4));
    if (type != kThreadListStream && type != kModuleListStream && type != kExceptionStream) continue;
    if (!stream.ok()) return Fail(error, "stream outside the file");
    if (type == kExceptionStream) {
      if (stream.size() < kExceptionStreamSize) return Fail(error, "exception stream too short");
      MinidumpException exception;
      exception.thread_id = stream.U32(0);
      exception.code = stream.U32(8);
      exception.flags = stream.U32(12);
      exception.address = stream.U64(24);
      summary.exception = exception;
    } else {
      if (stream.size() < 4) return Fail(error, "list stream too short");
      const uint32_t count = stream.U32(0);
      const size_t entry = type == kThreadListStream ? kThreadEntrySize : kModuleEntrySize;
      if (count > (stream.size() - 4) / entry) return Fail(error, "list longer than its stream");
      if (type == kModuleListStream) {
        summary.module_count = count;
      } else {
        for (uint32_t t = 0; t < count; ++t) summary.thread_ids.push_back(stream.U32(4 + t * entry));
      }
    }
  }
  return summary;
}

}  // namespace crash

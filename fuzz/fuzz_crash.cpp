// Files and arguments the crash uploader reads: minidumps it wrote (read back for its log),
// metadata files in the crash folder, and its command line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_convert.h"
#include "crash/dump_store.h"
#include "crash/minidump_reader.h"
#include "crash/uploader_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  crash::ReadMinidump(bytes, &error);
  if (const auto metadata = crash::ParseMetadataJson(bytes)) {
    crash::DumpBaseName(*metadata);
    crash::MetadataFields(*metadata);
  }
  std::vector<std::u16string> arguments;
  std::u16string word;
  for (char16_t c : text::Utf8ToUtf16(bytes)) {
    if (c == u' ') {
      arguments.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  arguments.push_back(word);
  crash::ParseUploaderArguments(arguments);
  return 0;
}

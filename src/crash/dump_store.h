#pragma once
// The crash folder's contents: each crash is a minidump "<base>.dmp" with its metadata
// "<base>.json" beside it; this file names them, writes and reads the metadata and decides which
// old crashes go when the folder is over its bounds.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crash {

struct UtcTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

struct CrashMetadata {
  std::u16string source;
  std::u16string version;
  int32_t report_mode = 0;
  uint32_t process_id = 0;
  uint32_t thread_id = 0;
  UtcTime time;
  bool has_exception = false;  // whether the crashed process's exception record could be read
  uint32_t exception_code = 0;
  uint64_t exception_address = 0;
  std::u16string program;  // the crashed program's file, when it could be found
};

// "<source>-YYYYMMDD-hhmmss-<pid>", the source reduced to letters, digits, '.', '_' and '-'
// (at most 64 of them; "crash" when none is left), so that no crash names a file outside the
// folder or an invalid one.
std::u16string DumpBaseName(const CrashMetadata& metadata);
// "2026-12-08T22:10:44Z".
std::string TimeText(const UtcTime& time);

// Metadata files larger than this are not read.
inline constexpr size_t kMaxMetadataBytes = 64 * 1024;

std::string MetadataJson(const CrashMetadata& metadata);
// Nothing when the text is not metadata this program wrote.
std::optional<CrashMetadata> ParseMetadataJson(std::string_view json);
// The metadata as form fields (name, UTF-8 value), in a fixed order.
std::vector<std::pair<std::string, std::string>> MetadataFields(const CrashMetadata& metadata);

struct StoredDump {
  std::u16string base;
  uint64_t bytes = 0;    // dump and metadata together
  uint64_t written = 0;  // any clock that grows with time
};

struct FolderBounds {
  size_t max_count = 10;
  uint64_t max_bytes = 100ull << 20;
};

// Whether a file name (without its extension) is one DumpBaseName could have made: only such
// crashes are sent, so that nothing else in the folder reaches a request's headers.
bool IsDumpBaseName(const std::u16string& base);

// The bases to delete so that the folder keeps at most max_count crashes of at most max_bytes
// together: the newest are kept while they fit, everything older than the first that does not
// fit goes. The newest crash is kept even when it alone is larger than the bound: it is the one
// the user is most likely to need; so is keep (the crash just written, whatever the times of
// the other files say).
std::vector<std::u16string> DumpsToRemove(std::vector<StoredDump> dumps, const FolderBounds& bounds,
                                          const std::u16string& keep = u"");

}  // namespace crash

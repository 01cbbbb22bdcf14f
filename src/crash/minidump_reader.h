#pragma once
// A reader of the facts a crash report needs from a minidump file: its header, its threads and
// modules, and the exception stream. Every offset and size in the file is checked against the
// file before it is followed, so a damaged or hostile file gives an error, never a bad read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crash {

inline constexpr uint32_t kMinidumpSignature = 0x504D444D;  // "MDMP"
inline constexpr uint32_t kThreadListStream = 3;
inline constexpr uint32_t kModuleListStream = 4;
inline constexpr uint32_t kExceptionStream = 6;

struct MinidumpException {
  uint32_t thread_id = 0;
  uint32_t code = 0;
  uint32_t flags = 0;
  uint64_t address = 0;
};

struct MinidumpSummary {
  uint32_t stream_count = 0;
  uint32_t time_stamp = 0;  // seconds since 1970, as the writer stamped it
  std::vector<uint32_t> thread_ids;
  uint32_t module_count = 0;
  std::optional<MinidumpException> exception;
};

// The summary of the minidump in bytes, or nothing with *error set.
std::optional<MinidumpSummary> ReadMinidump(std::string_view bytes, std::string* error);

}  // namespace crash

#pragma once
// The command line between the crash handler and the dump uploader, both sides of it: the
// handler formats it inside a crashing process (no allocation, fixed buffers), the uploader
// parses it strictly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crash {

inline constexpr char16_t kUploaderFileName[] = u"Wrenfall.exe";
// Source name and version are kept in buffers of this many units, terminator included.
inline constexpr size_t kInfoCapacity = 260;
// Room for the whole parameter line: two texts of kInfoCapacity and the numbers.
inline constexpr size_t kParameterCapacity = 2 * kInfoCapacity + 128;

// Writes "--pep=%llu --pid=%d --tid=%d --src=%s --ver=%s --rep=%d" into out (capacity units,
// terminator included). Allocates nothing. False, with out empty, when the line does not fit.
bool FormatUploaderParameters(char16_t* out, size_t capacity, uint64_t exception_pointers, uint32_t process_id,
                              uint32_t thread_id, const char16_t* source, const char16_t* version,
                              int32_t report_mode);

// The places the handler looks for the uploader, in order, for a program in program_dir
// (no trailing separator): the folder itself, its Utils folder, the parent, the parent's Utils
// folder, the grandparent. An entry is empty where the folder has no such ancestor, and where
// the folder it lies in or below is a drive or share root (but the program's own folder).
std::array<std::u16string, 5> UploaderCandidates(const std::u16string& program_dir);
// Whether folder is a drive or share root: "C:", "C:\\", "\\\\server\\share", "\\\\?\\C:\\".
bool IsRootFolder(const std::u16string& folder);

// The machine field of the PE header in the first size bytes of a program file (0x14C x86,
// 0x8664 x64), or 0 when they hold no such header.
inline constexpr uint16_t kMachineX86 = 0x14C;
inline constexpr uint16_t kMachineX64 = 0x8664;
uint16_t PeMachine(const uint8_t* bytes, size_t size);

// What the uploader is asked to do for one crash.
struct CrashRequest {
  uint64_t exception_pointers = 0;  // address in the crashed process
  uint32_t process_id = 0;
  uint32_t thread_id = 0;
  std::u16string source;
  std::u16string version;
  int32_t report_mode = 0;
};

struct UploaderArguments {
  std::optional<CrashRequest> crash;  // the six crash parameters
  bool send_pending = false;          // "--send": send what the crash folder holds, nothing else
  std::string error;                  // set when the arguments are neither
};

// Parses the uploader's arguments (program name excluded). Each of the six crash parameters
// must appear exactly once with a well-formed value and nothing else may appear; "--send" must
// stand alone.
UploaderArguments ParseUploaderArguments(const std::vector<std::u16string>& arguments);

}  // namespace crash

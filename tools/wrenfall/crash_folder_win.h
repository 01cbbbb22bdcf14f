#pragma once
// The uploader's work on the crash folder: writing one crash's minidump and metadata, keeping
// the folder within its bounds, and listing what is waiting to be sent.

#include <windows.h>

#include <string>
#include <vector>

#include "crash/dump_store.h"
#include "crash/uploader_command.h"

namespace wrenfall {

struct WrittenDump {
  bool ok = false;
  std::wstring dump_path;
  crash::CrashMetadata metadata;
  std::string error;  // why no dump was written
};

// Writes "<base>.dmp" and "<base>.json" for the crash into folder. The dump is written under a
// temporary name and renamed once complete, so that a sender never picks up half a dump.
WrittenDump WriteCrashDump(const crash::CrashRequest& request, const std::wstring& folder);

// Deletes the oldest crashes beyond the bounds (never keep, the crash just written), stray
// metadata and abandoned temporary files; returns the bases deleted.
std::vector<std::wstring> PruneCrashFolder(const std::wstring& folder, const crash::FolderBounds& bounds,
                                           const std::wstring& keep);

struct PendingDump {
  std::wstring dump_path;
  std::wstring metadata_path;
  std::wstring base;
};
// The complete crashes in folder with names this program gives them, oldest first.
std::vector<PendingDump> PendingDumps(const std::wstring& folder);

// The file's bytes; empty when it cannot be read, is larger than max_bytes or does not fit in
// memory.
std::string ReadWholeFile(const std::wstring& path, uint64_t max_bytes = 0x7FFFFFFF);

}  // namespace wrenfall

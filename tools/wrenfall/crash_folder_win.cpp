#include "crash_folder_win.h"

#include <dbghelp.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"
#include "crash/minidump_reader.h"
#include "log/logger.h"

namespace wrenfall {

namespace {

constexpr wchar_t kDumpSuffix[] = L".dmp";
constexpr wchar_t kMetadataSuffix[] = L".json";
constexpr wchar_t kPartialSuffix[] = L".dmp.tmp";
// Files an uploader may still be writing are left alone until they are this old.
constexpr uint64_t kStaleAfter100ns = 60ull * 60 * 10000000;

bool EndsWith(const std::wstring& text, const wchar_t* suffix) {
  const size_t n = wcslen(suffix);
  return text.size() > n && _wcsicmp(text.c_str() + text.size() - n, suffix) == 0;
}

uint64_t FileTimeValue(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

uint64_t Now100ns() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ErrorText(const char* what, DWORD error) { return std::string(what) + " (error " + std::to_string(error) + ")"; }

// What each report mode puts into the dump.
MINIDUMP_TYPE DumpType(int32_t report_mode) {
  const int small = MiniDumpWithIndirectlyReferencedMemory | MiniDumpWithThreadInfo | MiniDumpWithUnloadedModules;
  switch (report_mode) {
    case 1:
      return static_cast<MINIDUMP_TYPE>(small | MiniDumpWithDataSegs | MiniDumpWithPrivateReadWriteMemory |
                                        MiniDumpWithHandleData | MiniDumpWithFullMemoryInfo);
    case 2:
      return static_cast<MINIDUMP_TYPE>(MiniDumpWithFullMemory | MiniDumpWithHandleData | MiniDumpWithThreadInfo |
                                        MiniDumpWithUnloadedModules | MiniDumpWithFullMemoryInfo);
    default:
      return static_cast<MINIDUMP_TYPE>(small);
  }
}

bool TargetIs32Bit(HANDLE process) {
  if (sizeof(void*) == 4) return true;
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
}

bool ReadRemote(HANDLE process, uint64_t address, void* into, size_t size) {
  SIZE_T read = 0;
  if (address > UINTPTR_MAX) return false;
  return ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), into, size,
                           &read) &&
         read == size;
}

// The code and address of the exception record that the crashed process's exception pointers
// name, read in the crashed process's own pointer size.
bool ReadException(HANDLE process, uint64_t pointers, bool target_32bit, crash::CrashMetadata* m) {
  uint64_t record = 0;
  if (target_32bit) {
    uint32_t pair[2];
    if (!ReadRemote(process, pointers, pair, sizeof pair)) return false;
    record = pair[0];
  } else {
    uint64_t pair[2];
    if (!ReadRemote(process, pointers, pair, sizeof pair)) return false;
    record = pair[0];
  }
  // ExceptionCode, ExceptionFlags, ExceptionRecord (pointer), ExceptionAddress (pointer).
  unsigned char head[24];
  const size_t size = target_32bit ? 16 : 24;
  if (record == 0 || !ReadRemote(process, record, head, size)) return false;
  std::memcpy(&m->exception_code, head, 4);
  if (target_32bit) {
    uint32_t address;
    std::memcpy(&address, head + 12, 4);
    m->exception_address = address;
  } else {
    std::memcpy(&m->exception_address, head + 16, 8);
  }
  m->has_exception = true;
  return true;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const ScopedHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.IsValid() && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

struct FolderEntry {
  std::wstring name;
  uint64_t bytes = 0;
  uint64_t written = 0;
};

std::vector<FolderEntry> ListFolder(const std::wstring& folder) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    entries.push_back({data.cFileName, static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                       FileTimeValue(data.ftLastWriteTime)});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

std::wstring Base(const std::wstring& name, const wchar_t* suffix) { return name.substr(0, name.size() - wcslen(suffix)); }

}  // namespace

WrittenDump WriteCrashDump(const crash::CrashRequest& request, const std::wstring& folder) {
  WrittenDump out;
  crash::CrashMetadata& m = out.metadata;
  m.source = request.source;
  m.version = request.version;
  m.report_mode = request.report_mode;
  m.process_id = request.process_id;
  m.thread_id = request.thread_id;
  SYSTEMTIME now;
  GetSystemTime(&now);
  m.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};

  const ScopedHandle process(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE, request.process_id));
  if (!process.IsValid()) {
    out.error = ErrorText("cannot open the crashed process", GetLastError());
    return out;
  }
  wchar_t program[MAX_PATH * 2] = {};
  DWORD length = ARRAYSIZE(program);
  if (QueryFullProcessImageNameW(process.Get(), 0, program, &length)) m.program = to_u16(program);

  const bool target_32bit = TargetIs32Bit(process.Get());
  if (!ReadException(process.Get(), request.exception_pointers, target_32bit, &m)) {
    LOG_INFO("exception record unreadable at ", request.exception_pointers, ", the dump has no exception stream");
  }
  // dbghelp reads the exception pointers in its own pointer size.
  const bool same_bitness = target_32bit == (sizeof(void*) == 4);

  const std::wstring base_name = as_wcstr(crash::DumpBaseName(m));
  std::wstring base = folder + L"\\" + base_name;
  for (int n = 2; Exists(base + kDumpSuffix) || Exists(base + kMetadataSuffix) || Exists(base + kPartialSuffix); ++n) {
    if (n > 100) {
      out.error = "no free name for the dump";
      return out;
    }
    base = folder + L"\\" + base_name + L"-" + std::to_wstring(n);
  }
  const std::wstring partial = base + kPartialSuffix;
  bool written = false;
  {
    const ScopedHandle file(CreateFileW(partial.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
      out.error = ErrorText("cannot create the dump file", GetLastError());
      return out;
    }
    if (request.report_mode < 0 || request.report_mode > 2) {
      LOG_INFO("unknown report mode ", request.report_mode, ", writing a small dump");
    }
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    exception.ThreadId = request.thread_id;
    exception.ExceptionPointers = reinterpret_cast<EXCEPTION_POINTERS*>(static_cast<uintptr_t>(request.exception_pointers));
    exception.ClientPointers = TRUE;  // the address is the crashed process's, not ours
    const bool with_exception = m.has_exception && same_bitness;
    written = MiniDumpWriteDump(process.Get(), request.process_id, file.Get(), DumpType(request.report_mode),
                                with_exception ? &exception : nullptr, nullptr, nullptr);
    if (!written && with_exception) {
      // A dump without the exception still has every thread's stack.
      LOG_INFO("dump with the exception failed (error ", static_cast<unsigned>(GetLastError()), "), writing one without");
      SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
      SetEndOfFile(file.Get());
      written = MiniDumpWriteDump(process.Get(), request.process_id, file.Get(), DumpType(request.report_mode),
                                  nullptr, nullptr, nullptr);
    }
    if (!written) out.error = ErrorText("MiniDumpWriteDump failed", GetLastError());
  }
  if (!written) {
    DeleteFileW(partial.c_str());
    return out;
  }
  if (!WriteWholeFile(base + kMetadataSuffix, crash::MetadataJson(m))) {
    LOG_INFO("cannot write the metadata file (error ", static_cast<unsigned>(GetLastError()), "), keeping the dump");
  }
  if (!MoveFileExW(partial.c_str(), (base + kDumpSuffix).c_str(), 0)) {
    out.error = ErrorText("cannot rename the finished dump", GetLastError());
    DeleteFileW((base + kMetadataSuffix).c_str());
    DeleteFileW(partial.c_str());
    return out;
  }
  out.ok = true;
  out.dump_path = base + kDumpSuffix;
  return out;
}

std::vector<std::wstring> PruneCrashFolder(const std::wstring& folder, const crash::FolderBounds& bounds,
                                           const std::wstring& keep) {
  const std::vector<FolderEntry> entries = ListFolder(folder);
  const uint64_t now = Now100ns();
  std::vector<crash::StoredDump> dumps;
  for (const FolderEntry& e : entries) {
    if (!EndsWith(e.name, kDumpSuffix)) continue;
    crash::StoredDump dump{to_u16(Base(e.name, kDumpSuffix).c_str()), e.bytes, e.written};
    for (const FolderEntry& other : entries) {
      if (_wcsicmp(other.name.c_str(), (Base(e.name, kDumpSuffix) + kMetadataSuffix).c_str()) == 0) {
        dump.bytes += other.bytes;
      }
    }
    dumps.push_back(dump);
  }
  std::vector<std::wstring> removed;
  for (const std::u16string& base : crash::DumpsToRemove(dumps, bounds, to_u16(keep.c_str()))) {
    const std::wstring path = folder + L"\\" + as_wcstr(base);
    DeleteFileW((path + kDumpSuffix).c_str());
    DeleteFileW((path + kMetadataSuffix).c_str());
    removed.push_back(as_wcstr(base));
  }
  // Leftovers of uploaders that died mid-write, once nobody can still be writing them.
  for (const FolderEntry& e : entries) {
    const bool partial = EndsWith(e.name, kPartialSuffix);
    const bool stray_metadata =
        EndsWith(e.name, kMetadataSuffix) && !Exists(folder + L"\\" + Base(e.name, kMetadataSuffix) + kDumpSuffix);
    if ((partial || stray_metadata) && now > e.written && now - e.written > kStaleAfter100ns) {
      DeleteFileW((folder + L"\\" + e.name).c_str());
    }
  }
  return removed;
}

std::string ReadWholeFile(const std::wstring& path, uint64_t max_bytes) {
  const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > max_bytes ||
      size.QuadPart > 0x7FFFFFFF) {
    return {};
  }
  std::string bytes;
  try {
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
  } catch (const std::bad_alloc&) {
    return {};
  }
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    return {};
  }
  return bytes;
}

std::vector<PendingDump> PendingDumps(const std::wstring& folder) {
  std::vector<FolderEntry> entries = ListFolder(folder);
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return a.written != b.written ? a.written < b.written : a.name < b.name;
  });
  std::vector<PendingDump> pending;
  for (const FolderEntry& e : entries) {
    if (!EndsWith(e.name, kDumpSuffix)) continue;
    const std::wstring base = Base(e.name, kDumpSuffix);
    if (!crash::IsDumpBaseName(to_u16(base.c_str()))) {
      LOG_INFO("not sending ", e.name, ": not a name of ours");
      continue;
    }
    pending.push_back({folder + L"\\" + e.name, folder + L"\\" + base + kMetadataSuffix, base});
  }
  return pending;
}

}  // namespace wrenfall

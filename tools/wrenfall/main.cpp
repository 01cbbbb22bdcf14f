// The crash-dump uploader. Started by a crashing process's handler with the crash's parameters,
// it writes a minidump of that process into the crash folder, trims the folder and, when a
// collector is configured, leaves the sending to a copy of itself ("--send") so that the crashed
// process can end as soon as its dump is on disk. "--send" on its own sends whatever is waiting.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <vector>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"
#include "collector_win.h"
#include "crash/form_body.h"
#include "crash/minidump_reader.h"
#include "crash/uploader_command.h"
#include "crash_folder_win.h"
#include "log/logger.h"
#include "webview2/data_directory_win.h"
#include "webview2common/program_path_win.h"

namespace {

enum ExitCode : int {
  kDone = 0,
  kBadArguments = 2,
  kNoFolder = 3,
  kNoDump = 4,
  kNotAllSent = 5,
  kInternalError = 6,
};

struct Settings {
  std::wstring collector;  // empty: dumps stay on disk
  DWORD timeout_ms = 30000;
  crash::FolderBounds bounds;
};

int ReadInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int fallback, int low, int high) {
  const int value = static_cast<int>(GetPrivateProfileIntW(section, key, fallback, file.c_str()));
  if (value >= low && value <= high) return value;
  LOG_INFO("setting ", section, ".", key, "=", value, " is outside ", low, "..", high, ", using ", fallback);
  return fallback;
}

// Wrenfall.ini beside the program; every value has a default, and there is no collector unless
// one is named.
Settings ReadSettings() {
  const std::wstring file = ProgramFolder() + L"\\Wrenfall.ini";
  Settings settings;
  wchar_t url[2048] = {};
  GetPrivateProfileStringW(L"Collector", L"Url", L"", url, ARRAYSIZE(url), file.c_str());
  settings.collector = url;
  settings.timeout_ms = static_cast<DWORD>(ReadInt(file, L"Collector", L"TimeoutSeconds", 30, 1, 600)) * 1000;
  settings.bounds.max_count = static_cast<size_t>(ReadInt(file, L"Dumps", L"MaxCount", 10, 1, 1000));
  settings.bounds.max_bytes = static_cast<uint64_t>(ReadInt(file, L"Dumps", L"MaxTotalMB", 100, 1, 100000)) << 20;
  return settings;
}

void OpenLog(const std::wstring& data_directory) {
  wchar_t path[MAX_PATH] = {};
  if (PathCombineW(path, data_directory.c_str(), L"log\\Corvane.log") == nullptr) return;
  LogUtils::InitLog(as_u16cstr(path), 0, 0, 0, u"Wrenfall");
}

void PrintUsage(const std::string& error) {
  std::fprintf(stderr,
               "Wrenfall: %s\n"
               "usage: Wrenfall.exe --pep=<address> --pid=<process id> --tid=<thread id> --src=<source> "
               "--ver=<version> --rep=<report mode>\n"
               "       Wrenfall.exe --send\n",
               error.c_str());
}

// A copy of this program that sends the waiting dumps on its own, outside any job of the
// crashed process where that is allowed.
void StartSender() {
  const std::wstring program = ProgramPath();
  std::wstring command = L"\"" + program + L"\" --send";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  BOOL started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE,
                                CREATE_NO_WINDOW | CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr, &startup, &info);
  if (!started) {
    started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &info);
  }
  if (!started) {
    LOG_INFO("cannot start the sender (error ", static_cast<unsigned>(GetLastError()), "), dumps stay for the next run");
    return;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

uint64_t Seed() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<uint64_t>(counter.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 32);
}

int SendPending(const std::wstring& folder, const Settings& settings) {
  if (settings.collector.empty()) {
    LOG_INFO("no collector configured, dumps stay in ", folder);
    return kDone;
  }
  // One sender at a time, so that no dump is sent twice; a second one waits its turn, then sends
  // what is left (including a dump written after the first one looked).
  const ScopedHandle mutex(CreateMutexW(nullptr, FALSE, L"Local\\WrenfallSender"));
  const DWORD waited = mutex.IsValid() ? WaitForSingleObject(mutex.Get(), 10 * 60 * 1000) : WAIT_FAILED;
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    LOG_INFO("another sender is still busy, dumps stay for the next run");
    return kNotAllSent;
  }
  std::set<std::wstring> tried;
  bool all_sent = true;
  bool reachable = true;
  for (bool more = true; more && reachable;) {
    more = false;
    for (const wrenfall::PendingDump& dump : wrenfall::PendingDumps(folder)) {
      if (!tried.insert(dump.base).second) continue;
      more = true;
      const std::string bytes = wrenfall::ReadWholeFile(dump.dump_path);
      if (bytes.empty()) {
        LOG_INFO("cannot read ", dump.dump_path, " (or it does not fit in memory), kept");
        all_sent = false;
        continue;
      }
      std::vector<std::pair<std::string, std::string>> fields;
      if (const auto metadata =
              crash::ParseMetadataJson(wrenfall::ReadWholeFile(dump.metadata_path, crash::kMaxMetadataBytes))) {
        fields = crash::MetadataFields(*metadata);
      } else {
        LOG_INFO("no readable metadata for ", dump.base, ", sending the dump alone");
      }
      const std::string file_name(dump.base.begin(), dump.base.end());  // DumpBaseName is ASCII
      const crash::FormBody body = crash::BuildFormBody(fields, "upload_file_minidump", file_name + ".dmp", bytes, Seed());
      const wrenfall::PostResult result = wrenfall::PostForm(settings.collector, settings.timeout_ms, body, bytes);
      if (result.accepted()) {
        DeleteFileW(dump.dump_path.c_str());
        DeleteFileW(dump.metadata_path.c_str());
        LOG_INFO("sent ", dump.base, " (", bytes.size(), " bytes) to ", settings.collector, ": status ",
                 static_cast<unsigned>(result.status));
        continue;
      }
      all_sent = false;
      if (result.reached) {
        LOG_INFO("collector refused ", dump.base, " with status ", static_cast<unsigned>(result.status), ", kept");
      } else {
        // The collector is out of reach: the other dumps would only wait out the same timeouts.
        LOG_INFO("collector ", settings.collector, " unreachable: ", result.error, "; dumps kept");
        reachable = false;
        break;
      }
    }
  }
  ReleaseMutex(mutex.Get());
  return all_sent ? kDone : kNotAllSent;
}

int HandleCrash(const crash::CrashRequest& request, const std::wstring& folder, const Settings& settings) {
  LOG_INFO("crash of process ", request.process_id, " thread ", request.thread_id, " source ", request.source,
           " version ", request.version, " report mode ", request.report_mode);
  const wrenfall::WrittenDump dump = wrenfall::WriteCrashDump(request, folder);
  if (dump.ok) {
    std::string why;
    const auto summary = crash::ReadMinidump(wrenfall::ReadWholeFile(dump.dump_path), &why);
    if (summary && summary->exception) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", summary->exception->code);
      LOG_INFO("dump written: ", dump.dump_path, ", ", summary->thread_ids.size(), " threads, exception ", code,
               " in thread ", summary->exception->thread_id);
    } else {
      LOG_INFO("dump written: ", dump.dump_path, summary ? ", without an exception stream" : ", unreadable: ", why);
    }
  } else {
    LOG_INFO("no dump for process ", request.process_id, ": ", dump.error);
  }
  const std::wstring written_base =
      dump.ok ? dump.dump_path.substr(folder.size() + 1, dump.dump_path.size() - folder.size() - 5) : L"";
  for (const std::wstring& base : wrenfall::PruneCrashFolder(folder, settings.bounds, written_base)) {
    LOG_INFO("removed old crash ", base, " (folder bounds: ", settings.bounds.max_count, " dumps, ",
             settings.bounds.max_bytes >> 20, " MB)");
  }
  if (!settings.collector.empty()) StartSender();
  return dump.ok ? kDone : kNoDump;
}

}  // namespace

int Run(int argc, wchar_t** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(to_u16(argv[i]));
  const crash::UploaderArguments parsed = crash::ParseUploaderArguments(arguments);

  const std::wstring data_directory = as_wcstr(FindUserDataDirectory());
  if (!data_directory.empty()) OpenLog(data_directory);
  if (!parsed.error.empty()) {
    LOG_INFO("refused: ", parsed.error);
    PrintUsage(parsed.error);
    LogUtils::UninitLog();
    return kBadArguments;
  }
  const Settings settings = ReadSettings();
  const std::wstring folder = data_directory + L"\\crash";
  const int made = data_directory.empty() ? ERROR_PATH_NOT_FOUND : SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
    LOG_INFO("no crash folder (", folder, ")");
    std::fprintf(stderr, "Wrenfall: no crash folder\n");
    LogUtils::UninitLog();
    return kNoFolder;
  }
  const int code = parsed.send_pending ? SendPending(folder, settings) : HandleCrash(*parsed.crash, folder, settings);
  LogUtils::UninitLog();
  return code;
}

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    LOG_INFO("stopped by an error: ", error.what());
    std::fprintf(stderr, "Wrenfall: stopped by an error: %s\n", error.what());
  } catch (...) {
    LOG_INFO("stopped by an unknown error");
  }
  return kInternalError;
}

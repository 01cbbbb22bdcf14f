// The machine identifiers through the real host and the real registry: a page's
// "get_statistic_param" names the same machine from run to run, the values sit under their
// keys (the second identifier in the 32-bit view), and corrupted stored values are repaired.
#include <gtest/gtest.h>

#include <regex>

#include "host_session.h"
#include "mid/machine_id.h"
#include "webview2common/md5.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

using testwin::FindLine;
using testwin::HostSession;

// The "mid2" a page of a new host gets.
std::string Mid2OfAHostRun() {
  HostSession host;
  corvane::HostWindowSettings main = host.MainSettings(256);
  main.url = u"https://app.example/";
  EXPECT_TRUE(host.StartWith(main));
  EXPECT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  if (host.events.Count(IPC::kEvtCreated) != 1) return "";
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  EXPECT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " add_NavigationStarting") >= 0; }));
  host.Engine("navigation-starting\t" + view + "\thttps://app.example/");
  const std::string answer = host.Engine("script\t" + view + "\tCallBuiltinSync\ts:get_statistic_param");
  std::smatch m;
  return std::regex_search(answer, m, std::regex("\"mid2\":\"([^\"]*)\"")) ? m[1].str() : "";
}

void Write(const wchar_t* key, const char* name, const std::string& value, REGSAM view = 0) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE | view, nullptr, &opened, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}

TEST(MachineIdentity, CorruptedValuesAreRepairedAndRunsAgree) {
  // A classic record whose digest half is wrong, a second identifier with a wrong check value,
  // and no identifier kept for statistics yet.
  const std::string bad_mid = std::string(32, 'a') + std::string(32, 'b');
  // Every key in the 32-bit view, where the x86 host keeps them: one machine, one identity,
  // whichever build runs.
  Write(L"Software\\Ostra2\\Pulsar", "mid", bad_mid, KEY_WOW64_32KEY);
  std::string bad_m2 = mid::ComposeMid2({"001122334455", "", ""}, "", true);
  bad_m2[43] = bad_m2[43] == '0' ? '1' : '0';
  Write(L"SOFTWARE\\ComOstra", "m2", bad_m2, KEY_WOW64_32KEY);
  HKEY statistics = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ComOstra", 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &statistics) ==
      ERROR_SUCCESS) {
    RegDeleteValueW(statistics, L"m2_origin");
    RegCloseKey(statistics);
  }

  const std::string first = Mid2OfAHostRun();
  ASSERT_EQ(first.size(), 44u) << first;
  EXPECT_TRUE(mid::ValidMid2(first));
  const std::string m2 = testwin::MachineRegistryText(L"SOFTWARE\\ComOstra", "m2", KEY_WOW64_32KEY);
  EXPECT_TRUE(mid::ValidMid2(m2)) << "the stored value was repaired: " << m2;
  EXPECT_EQ(testwin::MachineRegistryText(L"SOFTWARE\\ComOstra", "m2_old", KEY_WOW64_32KEY), bad_m2);
  EXPECT_EQ(testwin::MachineRegistryText(L"Software\\ComOstra", "m2_origin", KEY_WOW64_32KEY), first);
  const std::string record = testwin::MachineRegistryText(L"Software\\Ostra2\\Pulsar", "mid", KEY_WOW64_32KEY);
  ASSERT_EQ(record.size(), 64u);
  EXPECT_EQ(record.substr(32), Md5::MidDigestHex(record.substr(0, 32)));
  EXPECT_EQ(testwin::MachineRegistryText(L"Software\\Ostra2\\Pulsar", "mid_old", KEY_WOW64_32KEY), bad_mid);

  EXPECT_EQ(Mid2OfAHostRun(), first) << "a second run names the same machine";
}

}  // namespace

#include "webview2/internal_fun/builtin_guard.h"

#include "base/text_convert.h"
#include "webview2/internal_fun/system_builtins.h"

namespace policy {

namespace {

// The built-ins that take a path as their first parameter itself, and whether they write.
struct RawPathBuiltin {
  const char* name;
  bool write;
};
constexpr RawPathBuiltin kRawPathBuiltins[] = {
    {"file_path_exist", false}, {"file_path_access", false}, {"file_path_jump", false}, {"create_dir", true}};

// The built-ins that name a path in their JSON parameter.
struct JsonPathBuiltin {
  const char* name;
  const char* key;
  bool write;
};
constexpr JsonPathBuiltin kJsonPathBuiltins[] = {
    {"get_path_filever", "path", false}, {"read_ini_file", "file_path", false}, {"write_ini_file", "file_path", true}};

std::optional<std::string> PathRefusal(const ExternalPolicy& policy, const std::u16string& path, bool write,
                                       const SystemNames& system, const std::vector<std::u16string>& startup_folders) {
  if (!policy.paths && !write) return std::nullopt;
  const std::optional<std::u16string> normalized = NormalizePath(system.Path(path));
  if (!normalized) {
    // Nothing to compare: allowed only where no scope or autostart rule could apply.
    return policy.paths ? std::optional<std::string>("a path that cannot be placed") : std::nullopt;
  }
  if (AllowsPath(policy, *normalized, write, startup_folders)) return std::nullopt;
  return "the path " + text::Utf16ToUtf8(*normalized) + " is outside the allowed paths";
}

}  // namespace

std::optional<std::string> BuiltinRefusal(const ExternalPolicy& policy, const Origin& origin, const std::string& name,
                                          const std::vector<std::u16string>& params, const SystemNames& system,
                                          const std::vector<std::u16string>& startup_folders) {
  if (!AllowsBuiltin(policy, origin, name)) return "the built-in is not allowed for this origin";
  for (const RawPathBuiltin& b : kRawPathBuiltins) {
    if (name == b.name && !params.empty() && !params[0].empty()) {
      return PathRefusal(policy, params[0], b.write, system, startup_folders);
    }
  }
  // A parameter the built-in cannot read touches nothing: it answers with its own error.
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return std::nullopt;
  const JsonPathValue& json = read.json;
  for (const JsonPathBuiltin& b : kJsonPathBuiltins) {
    if (name == b.name) return PathRefusal(policy, json.GetText(b.key, u""), b.write, system, startup_folders);
  }
  if (name == "read_regedit" || name == "write_regedit") {
    const std::optional<std::u16string> key =
        NormalizeRegistryKey(system.Name(json.GetText("hkey", u"")), system.Name(json.GetText("sub_key", u"")));
    if (!key) return std::nullopt;  // an unknown root: the built-in answers "error"
    if (AllowsRegistry(policy, *key, name == "write_regedit")) return std::nullopt;
    return "the key " + text::Utf16ToUtf8(*key) + " is outside the allowed keys";
  }
  if (name == "run_exe") {
    if (!policy.programs) return std::nullopt;
    const std::u16string path = json.GetText("path", u"");
    const std::optional<std::u16string> program = NormalizePath(system.Path(path));
    if (program && AllowsProgram(policy, *program)) return std::nullopt;
    return "the program " + text::Utf16ToUtf8(path) + " is not one of the allowed programs";
  }
  if (name == "open_url") {
    const std::u16string url = json.GetText("url", u"");
    if (AllowsUrl(policy, url)) return std::nullopt;
    return "the address's scheme is not one of the allowed schemes";
  }
  return std::nullopt;
}

}  // namespace policy

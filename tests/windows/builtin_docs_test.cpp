// The built-ins a page can call are exactly the ones the reference describes, each once, and
// the README's overview lists the same.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "base/text_convert.h"
#include "child_process.h"
#include "webview2/internal_fun/internal_fun.h"

namespace {

// A file of the source tree, which the tests reach through Wine's drive for the root folder.
std::string SourceFile(const std::string& relative) {
  std::string path = std::string(CORVANE_SOURCE_DIR) + "/" + relative;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return testwin::ReadFileBytes(std::wstring(path.begin(), path.end()));
}

// The names of the lines "### `name`".
std::multiset<std::string> HeadingNames(const std::string& text) {
  std::multiset<std::string> names;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 6 && line.compare(0, 5, "### `") == 0 && line.back() == '`') {
      names.insert(line.substr(5, line.size() - 6));
    }
  }
  return names;
}

// The names in backticks of the README's table of built-ins (its rows after "| Group | Names |").
std::multiset<std::string> TableNames(const std::string& text) {
  std::multiset<std::string> names;
  const size_t table = text.find("| Group | Names |");
  if (table == std::string::npos) return names;
  std::istringstream lines(text.substr(table));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line) && !line.empty() && line[0] == '|') {
    const size_t last_cell = line.rfind('|', line.size() - 2);
    for (size_t open = line.find('`', last_cell); open != std::string::npos; open = line.find('`', open)) {
      const size_t close = line.find('`', open + 1);
      if (close == std::string::npos) break;
      names.insert(line.substr(open + 1, close - open - 1));
      open = close + 1;
    }
  }
  return names;
}

TEST(BuiltinDocs, TheDocumentedNamesAreTheRegisteredOnes) {
  const InternalFun builtins(nullptr, WindowSettings{});
  std::multiset<std::string> registered;
  for (const std::u16string& name : builtins.Names()) registered.insert(text::Utf16ToUtf8(name));
  EXPECT_EQ(registered.size(), 30u);
  EXPECT_EQ(std::set<std::string>(registered.begin(), registered.end()).size(), registered.size()) << "a name twice";
  const std::string reference = SourceFile("docs/builtins.md");
  ASSERT_FALSE(reference.empty()) << "the reference of the built-ins is not readable";
  EXPECT_EQ(HeadingNames(reference), registered) << "docs/builtins.md: one heading per built-in";
  EXPECT_EQ(TableNames(SourceFile("README.md")), registered) << "the README's table of built-ins";
}

}  // namespace

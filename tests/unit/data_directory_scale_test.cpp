#include <gtest/gtest.h>

#include <set>

#include "webview2/data_directory.h"
#include "webview2/dpi_math.h"

namespace {

TEST(DisplayScale, RoundsToTwoDecimals) {
  struct Case {
    unsigned dpi;
    float scale;
  };
  const Case cases[] = {{96, 1.0f},   {120, 1.25f}, {144, 1.5f}, {192, 2.0f},
                        {110, 1.15f}, {97, 1.01f},  {0, 0.0f},   {288, 3.0f}};
  for (const Case& c : cases) EXPECT_FLOAT_EQ(dpi::ScaleFactorForDpi(c.dpi), c.scale) << c.dpi;
}

TEST(DisplayScale, AwarenessLevelForContext) {
  EXPECT_EQ(dpi::AwarenessLevelForContext(-4), 2);
  EXPECT_EQ(dpi::AwarenessLevelForContext(-3), 2);
  EXPECT_EQ(dpi::AwarenessLevelForContext(-2), 1);
  EXPECT_EQ(dpi::AwarenessLevelForContext(-1), 0);
  EXPECT_EQ(dpi::AwarenessLevelForContext(-5), 0);
}

class DataDirectory : public testing::Test {
 protected:
  datadir::Choice Choose(const std::u16string& program_dir) {
    return datadir::ChooseProductFolder(program_dir, tables_, [this](const std::u16string& f) {
      probed_.push_back(f);
      return existing_.count(f) != 0;
    });
  }

  datadir::ProductTables tables_{
      {{70, u"seventy.dat"}, {3, u"three.dat"}, {63, u"sixty-three.dat"}},
      {u"three-alt.dat"},
      {{3, u"Three"}, {63, u"SixtyThree"}, {70, u"Seventy"}}};
  std::set<std::u16string> existing_;
  std::vector<std::u16string> probed_;
};

TEST_F(DataDirectory, ShippedTablesAreEmptySoTemporaryRuleApplies) {
  const datadir::Choice choice = datadir::ChooseProductFolder(
      u"C:\\Apps\\Corvane", datadir::ShippedTables(), [](const std::u16string&) { return true; });
  EXPECT_TRUE(choice.folder.empty());
}

TEST_F(DataDirectory, LowestProductCodeWinsWithinALevel) {
  existing_ = {u"C:\\Apps\\Corvane\\seventy.dat", u"C:\\Apps\\Corvane\\sixty-three.dat"};
  const datadir::Choice choice = Choose(u"C:\\Apps\\Corvane");
  EXPECT_EQ(choice.folder, u"SixtyThree");
  EXPECT_TRUE(choice.local);
  EXPECT_EQ(probed_.front(), u"C:\\Apps\\Corvane\\three.dat");
}

TEST_F(DataDirectory, SearchesParentAndGrandparentButNoFurther) {
  existing_ = {u"C:\\Apps\\seventy.dat"};
  EXPECT_EQ(Choose(u"C:\\Apps\\Corvane\\bin").folder, u"Seventy");
  EXPECT_FALSE(Choose(u"C:\\Apps\\Corvane\\bin").local);
  EXPECT_TRUE(Choose(u"C:\\Apps\\Corvane\\bin\\x64").folder.empty());
}

TEST_F(DataDirectory, ProductThreeAcceptsItsExtraMarker) {
  existing_ = {u"D:\\P\\three-alt.dat"};
  EXPECT_EQ(Choose(u"D:\\P").folder, u"Three");
}

TEST_F(DataDirectory, MarkerWithoutFolderFallsThroughToNextLevel) {
  tables_.markers.push_back({80, u"eighty.dat"});
  existing_ = {u"C:\\A\\B\\eighty.dat", u"C:\\A\\three.dat"};
  EXPECT_EQ(Choose(u"C:\\A\\B").folder, u"Three");
}

TEST(DataDirectoryRules, LocalProductCodes) {
  std::set<int> local;
  for (int code = 0; code < 100; ++code) {
    if (datadir::IsLocalProduct(code)) local.insert(code);
  }
  EXPECT_EQ(local, (std::set<int>{63, 66, 67, 68, 69, 71, 72, 73, 74, 75, 77, 78, 79}));
}

TEST(DataDirectoryRules, AncestorFolder) {
  EXPECT_EQ(datadir::AncestorFolder(u"C:\\a\\b", 0), u"C:\\a\\b");
  EXPECT_EQ(datadir::AncestorFolder(u"C:\\a\\b", 1), u"C:\\a");
  EXPECT_EQ(datadir::AncestorFolder(u"C:\\a\\b", 2), u"C:");
  EXPECT_EQ(datadir::AncestorFolder(u"C:\\a\\b", 3), u"");
}

}  // namespace

// FillListing over the fixtures in data/listing: each case folder holds a page as the site
// serves it (GBK) and rows.txt, the rows the list must hold afterwards (UTF-8: number, title and
// page address, tab-separated). make_pages.py there writes both.
#include "browse/listing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "browse/site.h"
#include "support/memory_controls.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using Rows = std::vector<MemoryControls::Row>;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

Rows ExpectedRows(const std::string& rowsFile) {
  Rows rows;
  std::istringstream lines(ReadFile(rowsFile));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find('\t');
    const std::size_t second = line.find('\t', first + 1);
    rows.push_back({line.substr(0, first), Gbk(line.substr(first + 1, second - first - 1)),
                    Gbk(line.substr(second + 1)), ""});
  }
  return rows;
}

struct ListingCase {
  const char* folder;
  RadioButton category;
};

void PrintTo(const ListingCase& c, std::ostream* out) { *out << c.folder; }

class ListingTest : public testing::TestWithParam<ListingCase> {
 protected:
  void SetUp() override { SetSiteHost("tuxia.test"); }
};

TEST_P(ListingTest, FillsExactlyTheExpectedRows) {
  const std::string folder = std::string(TUXIA_TEST_DATA) + "/listing/" + GetParam().folder;
  const std::string page = ReadFile(folder + "/page.html");
  const Rows expected = ExpectedRows(folder + "/rows.txt");
  ASSERT_FALSE(page.empty()) << folder;
  ASSERT_FALSE(expected.empty()) << folder;

  MemoryControls controls;
  RegexObject regex;
  FillListing(regex, page, RuleOf(GetParam().category), controls);
  regex.Destroy();
  ASSERT_EQ(controls.Rows().size(), expected.size());
  for (std::size_t row = 0; row < expected.size(); ++row) {
    EXPECT_EQ(controls.Rows()[row], expected[row]) << "row " << row;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ListingTest,
    testing::Values(ListingCase{"element-page", RadioButton::Element},
                    ListingCase{"background-page", RadioButton::Background},
                    ListingCase{"wordart-page", RadioButton::WordArt},
                    ListingCase{"element-capitals", RadioButton::Element},
                    ListingCase{"element-split-title", RadioButton::Element},
                    ListingCase{"background-more-items", RadioButton::Background},
                    ListingCase{"wordart-fewer-items", RadioButton::WordArt},
                    ListingCase{"element-no-comma", RadioButton::Element},
                    ListingCase{"element-cut-in-title", RadioButton::Element},
                    ListingCase{"background-link-title", RadioButton::Background}),
    [](const testing::TestParamInfo<ListingCase>& info) {
      std::string name = info.param.folder;
      std::erase(name, '-');
      return name;
    });

TEST(Listing, EmptyOrUnrelatedPageLeavesTheListEmpty) {
  for (const std::string& page : {std::string(), Gbk("<html><body>没有素材</body></html>")}) {
    for (const RadioButton category :
         {RadioButton::Element, RadioButton::Background, RadioButton::WordArt}) {
      MemoryControls controls;
      RegexObject regex;
      FillListing(regex, page, RuleOf(category), controls);
      EXPECT_TRUE(controls.Rows().empty());
    }
  }
}

TEST(Listing, RunsBothPassesOnTheCallersObject) {
  const CategoryRule& rule = RuleOf(RadioButton::WordArt);
  MemoryControls controls;
  RegexObject regex;
  FillListing(regex,
              Gbk("<img alt=\"福\" title=\"福\">透明PNG</span><span data=\"9\" class=\"x\">"), rule,
              controls);
  EXPECT_EQ(regex.GetPattern(), rule.itemPattern);
  EXPECT_EQ(regex.MatchCount(), 1);
}

}  // namespace
}  // namespace tuxia

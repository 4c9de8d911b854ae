// The search and the page jump against a local site: the addresses they request, the token they
// keep and the rows they fill.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browse/search.h"
#include "preview/local_site.h"
#include "support/memory_controls.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using Targets = std::vector<std::string>;

std::string SearchTarget(const std::string& encoded) {
  return "/index.php?m=search&a=pinYin&keyword=" + encoded + "&stype=5&drawingz=undefined";
}

std::string TokenAnswer(const std::string& token) {
  return R"({"status":1,"res":")" + token + R"(","uid":"0","msg":"ok"})";
}

// Two materials of each category, with noise around them, as the site lists them.
const std::string kElementPage =
    Gbk("<html><head><title>列表</title></head><body>\n"
        "<img src=\"/a.png\" alt=\"花朵\" title=\"花朵免抠\" />\n"
        "<span onclick=\"page(7,1001)\">透明PNG</span>\n"
        "<img src=\"/b.png\" alt=\"星星\" title=\"星星免抠\" />\n"
        "<span onclick=\"page(7,1002)\">透明PNG</span>\n"
        "</body></html>\n");
const std::string kBackgroundPage =
    Gbk("<ul>\n"
        "<img src=\"/a.jpg\" title=\"蓝天背景图片素材\" width=\"100%\" />\n"
        "<span data=\"2001\" pictype=\"8\" data-type=\"0\">收藏</span>\n"
        "<img src=\"/b.jpg\" title=\"海边背景图片素材\" width=\"100%\" />\n"
        "<span data=\"2002\" pictype=\"8\" data-type=\"0\">收藏</span>\n"
        "</ul>\n");
const std::string kWordArtPage =
    Gbk("<ul>\n"
        "<img src=\"/a.png\" alt=\"福字\" title=\"福字艺术字\" />\n"
        "<span>透明PNG</span><span data=\"3001\" class=\"fav\">收藏</span>\n"
        "<img src=\"/b.png\" alt=\"春字\" title=\"春字艺术字\" />\n"
        "<span>透明PNG</span><span data=\"3002\" class=\"fav\">收藏</span>\n"
        "</ul>\n");

// Each category's page and the titles and page paths of the rows it must give.
struct Listing {
  RadioButton category;
  const std::string& page;
  std::vector<std::pair<std::string, std::string>> rows;
};
const Listing kListings[] = {
    {RadioButton::Element,
     kElementPage,
     {{"花朵", "/sucai/1001.html"}, {"星星", "/sucai/1002.html"}}},
    {RadioButton::Background,
     kBackgroundPage,
     {{"蓝天", "/banner/2001.html"}, {"海边", "/banner/2002.html"}}},
    {RadioButton::WordArt,
     kWordArtPage,
     {{"福字", "/wordart/3001.html"}, {"春字", "/wordart/3002.html"}}},
};

class HandlersTest : public ::testing::Test {
 protected:
  void SetUp() override { SearchToken().clear(); }

  // The rows as (number, title, page address, link) texts.
  [[nodiscard]] std::vector<MemoryControls::Row> ExpectedRows(
      const std::vector<std::pair<std::string, std::string>>& titlesAndPaths) const {
    std::vector<MemoryControls::Row> rows;
    for (const auto& [title, path] : titlesAndPaths) {
      rows.push_back({std::to_string(rows.size() + 1), Gbk(title), site.Address(path), ""});
    }
    return rows;
  }

  LocalSite site;
  MemoryControls controls;
};

TEST_F(HandlersTest, SearchSendsTheKeywordAsPercentEncodedGbkBytes) {
  const struct {
    std::string keyword;
    std::string encoded;
  } cases[] = {
      {"abc", "%61%62%63"},
      {Gbk("花朵"), "%BB%A8%B6%E4"},  // iconv -t GBK: BB A8 B6 E4
      {"", ""},
  };
  for (const auto& c : cases) {
    LocalSite fresh;
    controls.SetEditText(EditBox::Keyword, c.keyword);
    OnSearchClicked(controls);
    ASSERT_FALSE(fresh.Targets().empty());
    EXPECT_EQ(fresh.Targets().front(), SearchTarget(c.encoded)) << c.keyword;
  }
}

TEST_F(HandlersTest, SearchFetchesTheFirstListingPageOfTheCheckedCategoryWithTheToken) {
  const struct {
    RadioButton category;
    std::string listing;
  } cases[] = {
      {RadioButton::Element, "/image/AB12.html"},
      {RadioButton::Background, "/tuku/AB12.html"},
      {RadioButton::WordArt, "/yishuzi/AB12.html"},
  };
  for (const auto& c : cases) {
    LocalSite fresh;
    fresh.Serve(SearchTarget("%61%62%63"), TokenAnswer("AB12"));
    controls.SetEditText(EditBox::Keyword, "abc");
    controls.Check(c.category);
    OnSearchClicked(controls);
    EXPECT_EQ(fresh.Targets(), (Targets{SearchTarget("%61%62%63"), c.listing}));
    EXPECT_EQ(SearchToken(), "AB12");
  }
}

TEST_F(HandlersTest, SearchFillsTheRowsWithTheRuleOfTheCheckedCategory) {
  // The first listing page of each category, in the order of kListings.
  const std::string listings[] = {"/image/T.html", "/tuku/T.html", "/yishuzi/T.html"};
  site.Serve(SearchTarget("%54"), TokenAnswer("T"));
  controls.SetEditText(EditBox::Keyword, "T");
  for (std::size_t i = 0; i < std::size(kListings); ++i) {
    site.Serve(listings[i], kListings[i].page);
    controls.Check(kListings[i].category);
    OnSearchClicked(controls);
    EXPECT_EQ(controls.Rows(), ExpectedRows(kListings[i].rows)) << listings[i];
  }
}

TEST_F(HandlersTest, SearchReplacesTheTokenEvenByAnEmptyAnswer) {
  SearchToken() = "OLD";
  site.Serve("/image/OLD.html", kElementPage);
  controls.AppendRow();
  controls.SetEditText(EditBox::Keyword, "x");
  OnSearchClicked(controls);  // the search endpoint answers 404 with an empty body
  EXPECT_EQ(SearchToken(), "");
  EXPECT_EQ(site.Targets(), (Targets{SearchTarget("%78"), "/image/.html"}));
  EXPECT_TRUE(controls.Rows().empty());
}

TEST_F(HandlersTest, SearchTakesNoTokenFromAnAnswerWithoutBothMarkers) {
  site.Serve(SearchTarget("%78"), R"({"status":1,"res":"AB12"})");
  controls.SetEditText(EditBox::Keyword, "x");
  SearchToken() = "OLD";
  OnSearchClicked(controls);
  EXPECT_EQ(SearchToken(), "");
  EXPECT_EQ(site.Targets().back(), "/image/.html");
}

TEST_F(HandlersTest, PageJumpRequestsPageNOfTheCheckedCategory) {
  const struct {
    RadioButton category;
    std::string token;
    std::string page;
    std::string target;
  } cases[] = {
      {RadioButton::Element, "AB12", "3", "/sucai/0-default-0-0-AB12-0-3"},
      {RadioButton::Background, "AB12", "3", "/beijing/AB12-0-default-0-8-0-0-0-0-3/"},
      {RadioButton::Element, "", "3", "/sucai/0-default-0-0--0-3"},
      {RadioButton::Background, "", "3", "/beijing/-0-default-0-8-0-0-0-0-3/"},
      {RadioButton::Element, "AB12", "", "/sucai/0-default-0-0-AB12-0-"},
      {RadioButton::Background, "AB12", "", "/beijing/AB12-0-default-0-8-0-0-0-0-/"},
      {RadioButton::Element, "AB12", "xyz", "/sucai/0-default-0-0-AB12-0-xyz"},
      {RadioButton::Background, "AB12", "xyz", "/beijing/AB12-0-default-0-8-0-0-0-0-xyz/"},
      // Word art has no numbered pages: the first listing page of the search stands in.
      {RadioButton::WordArt, "AB12", "3", "/yishuzi/AB12.html"},
  };
  for (const auto& c : cases) {
    LocalSite fresh;
    SearchToken() = c.token;
    controls.Check(c.category);
    controls.SetEditText(EditBox::PageNumber, c.page);
    OnPageJumpClicked(controls);
    EXPECT_EQ(fresh.Targets(), Targets{c.target}) << c.target;
    EXPECT_EQ(SearchToken(), c.token);
  }
}

TEST_F(HandlersTest, PageJumpFillsTheRowsFromPageNumberOne) {
  // Page 2 of each category, in the order of kListings; word art has only its first page.
  const std::string targets[] = {"/sucai/0-default-0-0-T-0-2",
                                 "/beijing/T-0-default-0-8-0-0-0-0-2/", "/yishuzi/T.html"};
  SearchToken() = "T";
  controls.SetEditText(EditBox::PageNumber, "2");
  for (std::size_t i = 0; i < std::size(kListings); ++i) {
    site.Serve(targets[i], kListings[i].page);
    controls.AppendRow();
    controls.Check(kListings[i].category);
    OnPageJumpClicked(controls);
    EXPECT_EQ(controls.Rows(), ExpectedRows(kListings[i].rows)) << targets[i];
  }
}

TEST_F(HandlersTest, PageJumpUsesTheTokenOfTheLastSearchWhateverItsCategory) {
  site.Serve(SearchTarget("%61"), TokenAnswer("E7"));
  controls.SetEditText(EditBox::Keyword, "a");
  OnSearchClicked(controls);
  controls.SetEditText(EditBox::Keyword, "b");
  controls.Check(RadioButton::Background);
  controls.SetEditText(EditBox::PageNumber, "2");
  OnPageJumpClicked(controls);
  EXPECT_EQ(site.Targets().back(), "/beijing/E7-0-default-0-8-0-0-0-0-2/");
}

TEST_F(HandlersTest, AFailedListingLeavesTheListEmpty) {
  controls.AppendRow();
  controls.AppendRow();
  SearchToken() = "T";
  OnPageJumpClicked(controls);
  EXPECT_TRUE(controls.Rows().empty());
}

}  // namespace
}  // namespace tuxia

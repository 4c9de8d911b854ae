// The preview of a clicked row against a local site: the pages it follows, the cells it writes
// and the one picture it stores per click.
#include "preview/preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/pending_messages.h"
#include "preview/local_site.h"
#include "support/memory_controls.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using Targets = std::vector<std::string>;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Picture files with a zero byte inside, as real ones have.
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR-element", 24);
const std::string kJpeg("\xFF\xD8\xFF\xE0\0\x10JFIF-background", 22);

std::string MaterialPage(const std::string& alternate, const std::string& body = {}) {
  return "<html><head><link rel=\"alternate\" href=\"" + alternate +
         "\" /><meta name=\"mobile-agent\" content=\"format=html5\" /></head><body>\n" + body +
         "</body></html>";
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    controls.AppendRow();
    controls.SetCellText(0, kNumberColumn, "1");
    controls.Select(0);
  }

  void SetRow(const std::string& gbkTitle, const std::string& path) {
    controls.SetCellText(0, kTitleColumn, gbkTitle);
    controls.SetCellText(0, kPageColumn, site.Address(path));
  }

  LocalSite site;
  MemoryControls controls;
};

TEST_F(PreviewTest, ElementShowsThePictureOfTheAlternatePage) {
  SetRow(Gbk("花朵"), "/sucai/1.html");
  site.Serve("/sucai/1.html", MaterialPage(site.Address("/m/sucai/1.html")));
  site.Serve("/m/sucai/1.html",
             "<div class=\"m-pic\"><img src=\"" + site.Address("/img/1.png") + "\" /></div>");
  site.Serve("/img/1.png", kPng);
  OnListClicked(controls);
  EXPECT_EQ(controls.PictureBytes(), BytesOf(kPng));
  EXPECT_EQ(controls.PictureWrites(), 1);
  EXPECT_EQ(controls.CellText(0, kLinkColumn), site.Address("/m/sucai/1.html"));
  EXPECT_EQ(controls.CellText(0, kPageColumn), site.Address("/sucai/1.html"));
  EXPECT_EQ(site.Targets(), (Targets{"/sucai/1.html", "/m/sucai/1.html", "/img/1.png"}));
}

TEST_F(PreviewTest, ElementWithoutPictureOnTheAlternatePageTakesTheTitledOneOfItsPage) {
  SetRow(Gbk("星星"), "/sucai/2.html");
  const std::string titled = Gbk("<div><img alt=\"别的\"  title=\"星星\" src=\"") +
                             site.Address("/img/2.jpg") + "\" /></div>\n";
  site.Serve("/sucai/2.html", MaterialPage(site.Address("/m/sucai/2.html"), titled));
  site.Serve("/m/sucai/2.html", "<div class=\"m-pic\"><p>no picture</p></div>");
  site.Serve("/img/2.jpg", kJpeg);
  OnListClicked(controls);
  EXPECT_EQ(controls.PictureBytes(), BytesOf(kJpeg));
  EXPECT_EQ(controls.PictureWrites(), 1);
  EXPECT_EQ(controls.CellText(0, kLinkColumn), site.Address("/m/sucai/2.html"));
}

TEST_F(PreviewTest, BackgroundReadsItsAlternatePageAsUtf8WhateverItDeclares) {
  controls.Check(RadioButton::Background);
  SetRow(Gbk("蓝天"), "/banner/5.html");
  site.Serve("/banner/5.html", MaterialPage(site.Address("/m/banner/5.html")));
  // UTF-8 bytes under a GBK declaration: the title marker is found only after decoding UTF-8.
  site.Serve("/m/banner/5.html", "<meta charset=\"gbk\" /><img alt=\"蓝天\" title=\"蓝天\" src=\"" +
                                     site.Address("/img/5.jpg") + "\" /></div>");
  site.Serve("/img/5.jpg", kJpeg);
  OnListClicked(controls);
  EXPECT_EQ(controls.PictureBytes(), BytesOf(kJpeg));
  EXPECT_EQ(controls.PictureWrites(), 1);
  EXPECT_EQ(controls.CellText(0, kLinkColumn), site.Address("/m/banner/5.html"));
  EXPECT_EQ(site.Targets(), (Targets{"/banner/5.html", "/m/banner/5.html", "/img/5.jpg"}));
}

TEST_F(PreviewTest, VanishedBackgroundIsShownFromItsFallbackPage) {
  controls.Check(RadioButton::Background);
  SetRow(Gbk("海边"), "/banner/7.html");
  site.Serve("/banner/7.html", Gbk("<title>图匣站丢失页面</title>"), 404);
  const std::string base = site.Address("/img/7.jpg");
  site.Serve("/ycbeijing/7.html",
             "<div class=\"img-l-box\"><img src=\"" + base +
                 "/quality/90/unsharp/true/compress/true\" alt=\"x\" /></div>");
  site.Serve("/img/7.jpg", kJpeg);
  OnListClicked(controls);
  EXPECT_EQ(controls.CellText(0, kPageColumn), site.Address("/ycbeijing/7.html"));
  EXPECT_EQ(controls.CellText(0, kLinkColumn), base);
  EXPECT_EQ(controls.PictureBytes(), BytesOf(kJpeg));
  EXPECT_EQ(controls.PictureWrites(), 1);
  // The base address is read once as a page, then once more as the picture.
  EXPECT_EQ(site.Targets(),
            (Targets{"/banner/7.html", "/ycbeijing/7.html", "/img/7.jpg", "/img/7.jpg"}));
}

TEST_F(PreviewTest, AnErrorPageIsStoredAsThePicture) {
  SetRow("t", "/sucai/3.html");
  site.Serve("/sucai/3.html", MaterialPage(site.Address("/m/sucai/3.html")));
  site.Serve("/m/sucai/3.html",
             "<div class=\"m-pic\"><img src=\"" + site.Address("/img/3.png#top") + "\" /></div>");
  site.Serve("/img/3.png", "<h1>Not Found</h1>", 404);
  OnListClicked(controls);
  EXPECT_EQ(controls.PictureBytes(), BytesOf("<h1>Not Found</h1>"));
  EXPECT_EQ(site.Targets().back(), "/img/3.png");  // requested without its fragment
}

TEST_F(PreviewTest, AClickBesideTheRowsEmptiesThePicture) {
  for (const RadioButton category : {RadioButton::Element, RadioButton::Background}) {
    controls.SetPictureBytes(BytesOf(kPng));
    SetRow("t", "/sucai/4.html");
    controls.Select(-1);
    controls.Check(category);
    const auto rows = controls.Rows();
    const int writes = controls.PictureWrites();
    OnListClicked(controls);
    EXPECT_TRUE(controls.PictureBytes().empty());
    EXPECT_EQ(controls.PictureWrites(), writes + 1);
    EXPECT_EQ(controls.Rows(), rows);
  }
  EXPECT_TRUE(site.Targets().empty());
}

TEST_F(PreviewTest, WordArtHasNoPreview) {
  controls.Check(RadioButton::WordArt);
  SetRow("t", "/wordart/9.html");
  site.Serve("/wordart/9.html", MaterialPage(site.Address("/m/wordart/9.html")));
  controls.SetPictureBytes(BytesOf(kPng));
  const auto rows = controls.Rows();
  OnListClicked(controls);
  EXPECT_EQ(controls.PictureBytes(), BytesOf(kPng));
  EXPECT_EQ(controls.PictureWrites(), 1);
  EXPECT_EQ(controls.Rows(), rows);
  EXPECT_TRUE(site.Targets().empty());
}

// A click that arrives while the material page loads selects another row: the preview goes on
// with the row selected at each access.
TEST_F(PreviewTest, EachListAccessUsesTheRowSelectedAtThatMoment) {
  SetRow("t", "/sucai/1.html");
  controls.AppendRow();
  site.Serve("/sucai/1.html", MaterialPage(site.Address("/m/sucai/1.html")));
  SetPendingMessagesHook([this] { controls.Select(1); });
  OnListClicked(controls);
  SetPendingMessagesHook({});
  EXPECT_EQ(controls.CellText(1, kLinkColumn), site.Address("/m/sucai/1.html"));
  EXPECT_EQ(controls.CellText(0, kLinkColumn), "");
}

}  // namespace
}  // namespace tuxia

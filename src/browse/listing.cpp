#include "browse/listing.h"

#include "browse/site.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

// The match with every occurrence of the front cut, then of the back cut, taken out.
std::string Cut(std::string_view match, std::string_view front, std::string_view back) {
  return ReplaceText(ReplaceText(match, front, "", 1, -1, true), back, "", 1, -1, true);
}

// One numbered row per title match.
void FillTitles(RegexObject& regex, std::string_view page, const CategoryRule& rule,
                WindowControls& controls) {
  regex.Create(rule.titlePattern, page);
  const int count = regex.MatchCount();
  for (int n = 1; n <= count; ++n) {
    const std::string title = Cut(regex.MatchText(n), rule.titleFrontCut, rule.titleBackCut);
    controls.AppendRow();
    controls.SetCellText(n - 1, kNumberColumn, NumberToText(n));
    controls.SetCellText(n - 1, kTitleColumn, title);
  }
}

// The n-th item's page address into row n - 1; a row that does not exist takes nothing.
void FillAddresses(RegexObject& regex, std::string_view page, const CategoryRule& rule,
                   WindowControls& controls) {
  regex.Create(rule.itemPattern, page);
  const int count = regex.MatchCount();
  // Every address begins with the site and the path prefix; only the identifier differs.
  const std::string front = SiteAddress(rule.itemPathPrefix);
  for (int n = 1; n <= count; ++n) {
    std::string identifier = Cut(regex.MatchText(n), rule.itemFrontCut, rule.itemBackCut);
    if (rule.identifierSeparator) identifier = TextAfterLast(identifier, *rule.identifierSeparator);
    controls.SetCellText(n - 1, kPageColumn, ConcatText({front, identifier, ".html"}));
  }
}

CategoryRule ElementRule() {
  return {.titlePattern = "alt=\".*?\" title=\"",
          .titleFrontCut = "alt=\"",
          .titleBackCut = "\" title=\"",
          .itemPattern = Gbk("onclick=\"page(.*?)\">透明PNG"),
          .itemFrontCut = "onclick=\"page(",
          .itemBackCut = Gbk(")\">透明PNG"),
          .identifierSeparator = ",",
          .itemPathPrefix = "/sucai/"};
}

CategoryRule BackgroundRule() {
  return {.titlePattern = Gbk("\" title=\".*?背景图片素材\" width=\"100%\""),
          .titleFrontCut = "\" title=\"",
          .titleBackCut = Gbk("背景图片素材\" width=\"100%\""),
          .itemPattern = Gbk("data=\".*?\" pictype=\"8\" data-type=\"0\">收藏"),
          .itemFrontCut = "data=\"",
          .itemBackCut = Gbk("\" pictype=\"8\" data-type=\"0\">收藏"),
          .identifierSeparator = std::nullopt,
          .itemPathPrefix = "/banner/"};
}

CategoryRule WordArtRule() {
  return {.titlePattern = "alt=\".*?\" title=\"",
          .titleFrontCut = "alt=\"",
          .titleBackCut = "\" title=\"",
          .itemPattern = Gbk("透明PNG</span><span data=\".*?\" class=\""),
          .itemFrontCut = Gbk("透明PNG</span><span data=\""),
          .itemBackCut = "\" class=\"",
          .identifierSeparator = std::nullopt,
          .itemPathPrefix = "/wordart/"};
}

}  // namespace

const CategoryRule& RuleOf(RadioButton category) {
  static const CategoryRule element = ElementRule();
  static const CategoryRule background = BackgroundRule();
  static const CategoryRule wordArt = WordArtRule();
  switch (category) {
    case RadioButton::Background:
      return background;
    case RadioButton::WordArt:
      return wordArt;
    case RadioButton::Element:
      break;
  }
  return element;
}

void FillListing(RegexObject& regex, std::string_view page, const CategoryRule& rule,
                 WindowControls& controls) {
  FillTitles(regex, page, rule, controls);
  FillAddresses(regex, page, rule, controls);
}

}  // namespace tuxia

#include "browse/search.h"

#include <array>
#include <string>
#include <string_view>

#include "browse/listing.h"
#include "browse/site.h"
#include "net/web_request.h"
#include "regex/regex_object.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

struct FirstPage {
  RadioButton category;
  std::string_view pathPrefix;  // + token + ".html"
};
constexpr std::array<FirstPage, 3> kFirstPages = {{
    {RadioButton::Element, "/image/"},
    {RadioButton::Background, "/tuku/"},
    {RadioButton::WordArt, "/yishuzi/"},
}};

std::string FirstPageAddress(std::string_view pathPrefix) {
  return SiteAddress(ConcatText({pathPrefix, SearchToken(), ".html"}));
}

// Fetches one listing page and fills the (already emptied) list from it.
void FillFrom(std::string_view address, RadioButton category, RegexObject& regex,
              WindowControls& controls) {
  const std::string page = WebRequest(address);
  FillListing(regex, page, RuleOf(category), controls);
}

}  // namespace

std::string& SearchToken() {
  static std::string token;
  return token;
}

void OnSearchClicked(WindowControls& controls) {
  RegexObject regex;
  controls.DeleteAllRows();
  const std::string keyword = controls.EditText(EditBox::Keyword);
  const std::string encoded = UrlEncode(keyword);
  const std::string address = SiteAddress(ConcatText(
      {"/index.php?m=search&a=pinYin&keyword=", encoded, "&stype=5&drawingz=undefined"}));
  SearchToken() = WebRequest(address);
  SearchToken() = TextBetween(SearchToken(), "res\":\"", "\",\"uid\"");
  for (const FirstPage& first : kFirstPages) {
    if (controls.IsChecked(first.category) != 1) continue;
    FillFrom(FirstPageAddress(first.pathPrefix), first.category, regex, controls);
  }
}

void OnPageJumpClicked(WindowControls& controls) {
  RegexObject regex;
  controls.DeleteAllRows();
  if (controls.IsChecked(RadioButton::Element) == 1) {
    const std::string page = controls.EditText(EditBox::PageNumber);
    const std::string address =
        SiteAddress(ConcatText({"/sucai/0-default-0-0-", SearchToken(), "-0-", page}));
    FillFrom(address, RadioButton::Element, regex, controls);
  }
  if (controls.IsChecked(RadioButton::Background) == 1) {
    const std::string page = controls.EditText(EditBox::PageNumber);
    const std::string address =
        SiteAddress(ConcatText({"/beijing/", SearchToken(), "-0-default-0-8-0-0-0-0-", page, "/"}));
    FillFrom(address, RadioButton::Background, regex, controls);
  }
  // The site numbers no pages of word art: its first listing page of the search stands in.
  if (controls.IsChecked(RadioButton::WordArt) == 1) {
    FillFrom(FirstPageAddress("/yishuzi/"), RadioButton::WordArt, regex, controls);
  }
}

}  // namespace tuxia

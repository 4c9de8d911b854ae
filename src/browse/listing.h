#pragma once
// Rows of the result list cut out of a listing page by the rule of a category.
#include <optional>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "regex/regex_object.h"

namespace tuxia {

// All texts GBK, exactly as the site's markup has them.
struct CategoryRule {
  std::string titlePattern;
  std::string titleFrontCut;
  std::string titleBackCut;
  std::string itemPattern;
  std::string itemFrontCut;
  std::string itemBackCut;
  std::optional<std::string> identifierSeparator;
  std::string itemPathPrefix;
};

// The rule of 元素, 背景 or 艺术字.
[[nodiscard]] const CategoryRule& RuleOf(RadioButton category);

// Appends one numbered row per title match, then writes each material's page address into
// column 2 of the row of the same number. Expects an empty list.
void FillListing(RegexObject& regex, std::string_view page, const CategoryRule& rule,
                 WindowControls& controls);

}  // namespace tuxia

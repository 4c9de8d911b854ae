#pragma once
#include <string>

#include "platform/controls.h"

namespace tuxia {

// The token that the last search left for the page jump (empty before any search).
[[nodiscard]] std::string& SearchToken();

// 按钮1 搜索: token for the keyword, then the first listing page of the checked category.
void OnSearchClicked(WindowControls& controls);
// 按钮2 跳页: page N of the last search for the checked category.
void OnPageJumpClicked(WindowControls& controls);

}  // namespace tuxia

#pragma once
// The look the skin engine chose, applied to the whole application.
#include <optional>

#include "module/skin.h"

namespace tuxia {

// Sets the application's palette from the look's colours and its font size when the look names
// one. Without a look the application keeps its own.
void ApplySkinLook(const std::optional<SkinLook>& look);

}  // namespace tuxia

#pragma once
// The desktop-shell edge of the program: the user's desktop folder and the default browser.
#include <string>
#include <string_view>

namespace tuxia {

// The user's desktop folder (XDG), ending in "/"; the empty text when it cannot be found.
[[nodiscard]] std::string DesktopFolderPath();
// Asks the desktop to open the address in the default browser; the outcome is not reported.
void OpenAddress(std::string_view address);

}  // namespace tuxia

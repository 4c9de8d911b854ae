#pragma once
#include "platform/controls.h"

namespace tuxia {

// Left click in the list: fetch the selected material's pages and show its preview image.
void OnListClicked(WindowControls& controls);
// 下载 chosen: save the shown picture to the desktop under the MD5 of its bytes + ".png".
void OnDownloadChosen(WindowControls& controls);

}  // namespace tuxia

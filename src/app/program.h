#pragma once
// The program's bindings to the lower layers: the skin engine's start-up steps, the exit routine
// and the handler of every control event.
#include "app/main_window.h"
#include "app/startup.h"

namespace tuxia {

// The skin start-up's two halves around the registration of ExitRoutine.
[[nodiscard]] StartupSteps ProgramSteps();
// 按钮1 the search, 按钮2 the page jump, the list's left click the preview, its right click the
// context menu, 下载 the save, 标签1 the site; the created event attaches the skin.
[[nodiscard]] WindowHandlers ProgramHandlers();
// Run once at process end: the skin engine's loader instance released, SearchToken released.
void ExitRoutine();

}  // namespace tuxia

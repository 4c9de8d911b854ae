#pragma once
// Start-up of the program, in its fixed order. The steps that belong to other layers come in as
// functions so that the order can be driven with stand-ins.
#include <functional>
#include <string>

#include "app/main_window.h"

namespace tuxia {

struct StartupSteps {
  std::function<void()> skinStartupFirstHalf{};
  std::function<void()> registerExitRoutine{};
  std::function<void()> skinStartupSecondHalf{};
};

// Step 1, once the QApplication exists: the style and font size the fixed layout is drawn for,
// and ProcessPendingMessages dispatching the application's queue for the lower layers.
void PrepareProcess();

// Steps 2 to 6: the skin start-up's first half, the exit routine registered, the second half,
// MainWindow created (its `created` handler runs) and shown, then the message loop until the
// window is closed. Returns the loop's exit code.
int RunProgram(const StartupSteps& steps, std::string siteAddress, WindowHandlers handlers);

}  // namespace tuxia

#include "app/program.h"

#include <cstdlib>
#include <string>

#include "app/skin_look.h"
#include "browse/search.h"
#include "module/skin.h"
#include "preview/preview.h"

namespace tuxia {
namespace {

void RegisterExitRoutine() {
  // The token must exist before the routine is registered so that it is destroyed after it.
  static_cast<void>(SearchToken());
  std::atexit(ExitRoutine);
}

}  // namespace

StartupSteps ProgramSteps() {
  return {
      .skinStartupFirstHalf = SkinStartupFirstHalf,
      .registerExitRoutine = RegisterExitRoutine,
      .skinStartupSecondHalf = SkinStartupSecondHalf,
  };
}

WindowHandlers ProgramHandlers() {
  return {
      .created = [](MainWindow&) { ApplySkinLook(SkinAttach()); },
      .searchClicked = OnSearchClicked,
      .pageJumpClicked = OnPageJumpClicked,
      .listClicked = OnListClicked,
      .listRightClicked = &MainWindow::OnListRightClicked,
      .downloadChosen = OnDownloadChosen,
      .siteLabelPressed = &MainWindow::OnSiteLabelPressed,
  };
}

void ExitRoutine() {
  SkinCleanup();
  std::string& token = SearchToken();
  token.clear();
  token.shrink_to_fit();
}

}  // namespace tuxia

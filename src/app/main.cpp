// The program: binds the control events to the handlers of the lower layers and starts up.
// TUXIA_SITE_HOST_VALUE is the host of the site this build talks to.
#include <QApplication>
#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "app/skin_look.h"
#include "app/startup.h"
#include "browse/search.h"
#include "browse/site.h"
#include "module/skin.h"
#include "preview/preview.h"

namespace {

void ExitRoutine() {
  tuxia::SkinCleanup();
  std::string& token = tuxia::SearchToken();
  token.clear();
  token.shrink_to_fit();
}

void RegisterExitRoutine() {
  // The token must exist before the routine is registered so that it is destroyed after it.
  static_cast<void>(tuxia::SearchToken());
  std::atexit(ExitRoutine);
}

}  // namespace

int main(int argc, char** argv) {
  tuxia::SetSiteHost(TUXIA_SITE_HOST_VALUE);
  QApplication app(argc, argv);
  tuxia::PrepareProcess();
  return tuxia::RunProgram(
      {
          .skinStartupFirstHalf = tuxia::SkinStartupFirstHalf,
          .registerExitRoutine = RegisterExitRoutine,
          .skinStartupSecondHalf = tuxia::SkinStartupSecondHalf,
      },
      tuxia::SiteAddress("/"),
      {
          .created = [](tuxia::MainWindow&) { tuxia::ApplySkinLook(tuxia::SkinAttach()); },
          .searchClicked = tuxia::OnSearchClicked,
          .pageJumpClicked = tuxia::OnPageJumpClicked,
          .listClicked = tuxia::OnListClicked,
          .listRightClicked = &tuxia::MainWindow::OnListRightClicked,
          .downloadChosen = tuxia::OnDownloadChosen,
          .siteLabelPressed = &tuxia::MainWindow::OnSiteLabelPressed,
      });
}

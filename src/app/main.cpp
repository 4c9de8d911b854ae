// The program. TUXIA_SITE_HOST_VALUE is the host of the site this build talks to.
#include <QApplication>

#include "app/program.h"
#include "app/startup.h"
#include "browse/site.h"

int main(int argc, char** argv) {
  tuxia::SetSiteHost(TUXIA_SITE_HOST_VALUE);
  QApplication app(argc, argv);
  tuxia::PrepareProcess();
  return tuxia::RunProgram(tuxia::ProgramSteps(), tuxia::SiteAddress("/"),
                           tuxia::ProgramHandlers());
}

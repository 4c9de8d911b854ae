#include "app/startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <utility>

#include "platform/pending_messages.h"

namespace tuxia {
namespace {

void RunStep(const std::function<void()>& step) {
  if (step) step();
}

}  // namespace

void PrepareProcess() {
  QApplication::setStyle(QStringLiteral("Fusion"));
  QFont font = QApplication::font();
  font.setPixelSize(12);
  QApplication::setFont(font);
  SetPendingMessagesHook([] { QCoreApplication::processEvents(); });
}

int RunProgram(const StartupSteps& steps, std::string siteAddress, WindowHandlers handlers) {
  RunStep(steps.skinStartupFirstHalf);
  RunStep(steps.registerExitRoutine);
  RunStep(steps.skinStartupSecondHalf);
  MainWindow window(std::move(siteAddress), std::move(handlers));
  window.show();
  return QApplication::exec();
}

}  // namespace tuxia

// The program's bindings: every event runs the handler of its layer, the created event skins the
// application with the carried engine, and the exit routine releases what start-up made.
#include "app/program.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <string>

#include "browse/search.h"
#include "gui_support.h"
#include "module/skin.h"
#include "preview/preview.h"

namespace tuxia {
namespace {

// What `handler` calls when it is a plain function or a member of the window; null otherwise.
template <typename Target>
Target Bound(const WindowHandlers::Handler& handler) {
  const Target* target = handler.target<Target>();
  return target ? *target : nullptr;
}

TEST(Program, BindsEachEventToItsHandler) {
  using Function = void (*)(WindowControls&);
  using Member = void (MainWindow::*)();
  const WindowHandlers handlers = ProgramHandlers();
  EXPECT_EQ(Bound<Function>(handlers.searchClicked), &OnSearchClicked);
  EXPECT_EQ(Bound<Function>(handlers.pageJumpClicked), &OnPageJumpClicked);
  EXPECT_EQ(Bound<Function>(handlers.listClicked), &OnListClicked);
  EXPECT_EQ(Bound<Function>(handlers.downloadChosen), &OnDownloadChosen);
  EXPECT_EQ(Bound<Member>(handlers.listRightClicked), &MainWindow::OnListRightClicked);
  EXPECT_EQ(Bound<Member>(handlers.siteLabelPressed), &MainWindow::OnSiteLabelPressed);
  EXPECT_TRUE(handlers.created);
}

TEST(Program, WithoutTheEngineLoadedTheWindowStaysUnskinned) {
  const QPalette before = QApplication::palette();
  const StartupSteps steps = ProgramSteps();
  steps.skinStartupFirstHalf();
  MainWindow window(test::kSiteAddress, ProgramHandlers());
  EXPECT_EQ(QApplication::palette(), before);
  ExitRoutine();
}

TEST(Program, TheCreatedWindowIsSkinnedByTheCarriedEngine) {
  const QPalette before = QApplication::palette();
  const StartupSteps steps = ProgramSteps();
  steps.skinStartupFirstHalf();
  steps.skinStartupSecondHalf();
  MainWindow window(test::kSiteAddress, ProgramHandlers());
  EXPECT_NE(QApplication::palette(), before);

  // The picture of the skinned window, for anyone to look at: the carried skin's blue-grey
  // window (#4A5D70) and its blue buttons (#2F7FC8) show.
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QImage image = window.grab().toImage();
  ASSERT_TRUE(image.save(QStringLiteral(TUXIA_SKINNED_WINDOW_PNG), "PNG"));
  EXPECT_EQ(image.pixelColor(300, 540), QColor(0x4A, 0x5D, 0x70));
  const QPoint buttonFace = test::Find(window, "按钮1")->geometry().center() + QPoint(0, 10);
  // The style shades the button face a little; its hue stays the skin's blue.
  EXPECT_NEAR(image.pixelColor(buttonFace).hue(), QColor(0x2F, 0x7F, 0xC8).hue(), 4);
  ExitRoutine();
  QApplication::setPalette(before);
}

TEST(Program, ExitRoutineReleasesTheSearchToken) {
  SearchToken() = std::string(1000, 'x');
  ExitRoutine();
  EXPECT_TRUE(SearchToken().empty());
  EXPECT_LT(SearchToken().capacity(), 1000u);
}

}  // namespace
}  // namespace tuxia

// Renders the window as it starts to window.png in the build folder, for anyone to look at.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "app/main_window.h"
#include "gui_support.h"

namespace tuxia {
namespace {

TEST(WindowImage, IsWrittenToTheBuildFolder) {
  MainWindow window{test::kSiteAddress, {}};
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(window.grab().save(QStringLiteral(TUXIA_WINDOW_PNG), "PNG"));

  const QImage written(QStringLiteral(TUXIA_WINDOW_PNG));
  ASSERT_EQ(written.size(), window.size());
  // The picture box starts white and the button face is not.
  EXPECT_EQ(written.pixelColor(400, 100), QColor(Qt::white));
  EXPECT_NE(written.pixelColor(530, 442), QColor(Qt::white));
}

}  // namespace
}  // namespace tuxia

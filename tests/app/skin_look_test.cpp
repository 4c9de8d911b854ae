// The look the skin engine reports becomes the application's palette and font size.
#include "app/skin_look.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QPushButton>

#include "app/main_window.h"
#include "gui_support.h"

namespace tuxia {
namespace {

class SkinLookTest : public ::testing::Test {
 protected:
  void TearDown() override {
    QApplication::setPalette(palette_);
    QApplication::setFont(font_);
  }

  const QPalette palette_ = QApplication::palette();
  const QFont font_ = QApplication::font();
};

TEST_F(SkinLookTest, EveryColourReachesItsRoleInTheWindow) {
  MainWindow window{test::kSiteAddress, {}};
  const SkinLook look{.window = 0x102030,
                      .windowText = 0x405060,
                      .base = 0x708090,
                      .text = 0xA0B0C0,
                      .button = 0xD0E0F0,
                      .buttonText = 0x010203,
                      .highlight = 0x040506,
                      .highlightedText = 0x070809,
                      .fontPointSize = 11};
  ApplySkinLook(look);
  QCoreApplication::processEvents();  // the change reaches existing widgets through events

  const std::pair<QPalette::ColorRole, QRgb> roles[] = {
      {QPalette::Window, 0x102030},    {QPalette::WindowText, 0x405060},
      {QPalette::Base, 0x708090},      {QPalette::Text, 0xA0B0C0},
      {QPalette::Button, 0xD0E0F0},    {QPalette::ButtonText, 0x010203},
      {QPalette::Highlight, 0x040506}, {QPalette::HighlightedText, 0x070809},
  };
  const QPalette buttonPalette = test::Find(window, "按钮1")->palette();
  for (const auto& [role, rgb] : roles) {
    SCOPED_TRACE(role);
    EXPECT_EQ(QApplication::palette().color(role), QColor(rgb));
    EXPECT_EQ(window.palette().color(role), QColor(rgb));
    EXPECT_EQ(buttonPalette.color(role), QColor(rgb));
  }
  EXPECT_EQ(QApplication::font().pointSize(), 11);
  EXPECT_EQ(test::Find(window, "标签1")->font().pointSize(), 11);
}

TEST_F(SkinLookTest, ZeroFontSizeKeepsTheFont) {
  ApplySkinLook(SkinLook{.window = 0xFFFFFF});
  EXPECT_EQ(QApplication::font(), font_);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(SkinLookTest, NoLookLeavesTheApplicationUnskinned) {
  ApplySkinLook(std::nullopt);
  EXPECT_EQ(QApplication::palette(), palette_);
  EXPECT_EQ(QApplication::font(), font_);
}

}  // namespace
}  // namespace tuxia

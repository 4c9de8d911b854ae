// 图片框1 keeps exactly the bytes it was given and draws what decodes, scaled down and centred.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "app/main_window.h"
#include "gui_support.h"

namespace tuxia {
namespace {

// An image file of `size` filled with `colour`, encoded as `format` by Qt.
Bytes ImageFile(QSize size, QColor colour, const char* format) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray file;
  QBuffer buffer(&file);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return Bytes(file.begin(), file.end());
}

// The first half of a PNG file: its signature is right, its data ends early.
Bytes TruncatedPng() {
  Bytes bytes = ImageFile({40, 20}, Qt::red, "PNG");
  bytes.resize(bytes.size() / 2);
  return bytes;
}

bool Near(QColor actual, QColor expected) {
  return std::abs(actual.red() - expected.red()) < 24 &&
         std::abs(actual.green() - expected.green()) < 24 &&
         std::abs(actual.blue() - expected.blue()) < 24;
}

class PictureBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  // The picture box as drawn now, 336 x 424.
  QImage Drawn() { return test::Find(window_, "图片框1")->grab().toImage(); }

  MainWindow window_{test::kSiteAddress, {}};
};

TEST_F(PictureBoxTest, GivesBackExactlyTheStoredBytes) {
  const Bytes inputs[] = {
      ImageFile({40, 20}, Qt::red, "PNG"),
      ImageFile({40, 20}, Qt::green, "JPEG"),
      Bytes{'n', 'o', 't', 0, 'a', 'n', 0xFF, 0xD8, 'i', 'm', 'a', 'g', 'e'},
      TruncatedPng(),
      {},
  };
  for (const Bytes& bytes : inputs) {
    window_.SetPictureBytes(bytes);
    EXPECT_EQ(window_.PictureBytes(), bytes);
  }
}

TEST_F(PictureBoxTest, DrawsPngAndJpegCentredAndScaledDownToFit) {
  const struct {
    const char* format;
    QSize size;
    QPoint inside;   // a point of the box that the image covers
    QPoint outside;  // a point of the box that stays white
  } cases[] = {
      // A small image keeps its size: 40 x 20 centred at (168, 212).
      {"PNG", {40, 20}, {168, 212}, {140, 212}},
      {"JPEG", {40, 20}, {168, 212}, {168, 190}},
      // A wide image is scaled to the box's width: 336 x 168, from y 128 to 296.
      {"PNG", {1000, 500}, {2, 140}, {168, 120}},
      // A tall image is scaled to the box's height: 212 x 424, from x 62 to 274.
      {"JPEG", {500, 1000}, {70, 2}, {50, 212}},
  };
  const QColor colour(20, 60, 200);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format << " " << c.size.width() << "x" << c.size.height());
    window_.SetPictureBytes(ImageFile(c.size, colour, c.format));
    const QImage drawn = Drawn();
    EXPECT_TRUE(Near(drawn.pixelColor(c.inside), colour))
        << drawn.pixelColor(c.inside).name().toStdString();
    EXPECT_EQ(drawn.pixelColor(c.outside), QColor(Qt::white));
  }
}

TEST_F(PictureBoxTest, UndecodableBytesDrawNothing) {
  window_.SetPictureBytes(ImageFile({336, 424}, Qt::black, "PNG"));
  const Bytes junk{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3};
  window_.SetPictureBytes(junk);
  const QImage drawn = Drawn();
  for (int y = 0; y < drawn.height(); y += 7) {
    for (int x = 0; x < drawn.width(); x += 7) {
      ASSERT_EQ(drawn.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
    }
  }
  EXPECT_EQ(window_.PictureBytes(), junk);
}

TEST_F(PictureBoxTest, RadioButtonOnThePictureStaysOnTopAndOpaque) {
  QPalette palette = window_.palette();
  palette.setColor(QPalette::Window, QColor(0x20, 0x40, 0x60));
  palette.setColor(QPalette::Button, QColor(0x60, 0x40, 0x20));
  window_.setPalette(palette);
  window_.SetPictureBytes(ImageFile({336, 424}, Qt::black, "PNG"));
  const QImage drawn = window_.grab().toImage();
  const QRect wordArt = test::Find(window_, "单选框3")->geometry();
  EXPECT_EQ(drawn.pixelColor(wordArt.right() - 2, wordArt.center().y()), QColor(0x20, 0x40, 0x60));
  EXPECT_EQ(drawn.pixelColor(wordArt.right() + 4, wordArt.center().y()), QColor(Qt::black));
}

}  // namespace
}  // namespace tuxia

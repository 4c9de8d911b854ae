#include "app/picture_box.h"

#include <QPainter>

namespace tuxia {
namespace {

// The image's place in the box: its own size when it fits, else scaled down keeping the
// aspect ratio; centred either way.
QRect PlaceIn(const QSize& box, const QSize& image) {
  QSize size = image;
  if (size.width() > box.width() || size.height() > box.height()) {
    size.scale(box, Qt::KeepAspectRatio);
  }
  return {QPoint((box.width() - size.width()) / 2, (box.height() - size.height()) / 2), size};
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::SetBytes(const Bytes& bytes) {
  bytes_ = bytes;
  image_ = QImage::fromData(QByteArrayView(bytes_.data(), static_cast<qsizetype>(bytes_.size())));
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (image_.isNull()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PlaceIn(size(), image_.size()), image_);
}

}  // namespace tuxia

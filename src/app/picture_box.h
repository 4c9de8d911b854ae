#pragma once
// 图片框1: keeps the raw bytes of an image file and draws them decoded, scaled down to fit and
// centred on white. Bytes that do not decode are kept all the same and nothing is drawn.
#include <QImage>
#include <QWidget>

#include "text/types.h"

namespace tuxia {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  void SetBytes(const Bytes& bytes);
  [[nodiscard]] const Bytes& StoredBytes() const { return bytes_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bytes bytes_;
  QImage image_;
};

}  // namespace tuxia

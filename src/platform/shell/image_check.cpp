#include "platform/shell/image_check.h"

#include <QByteArrayView>
#include <QImage>

namespace tuxia {

bool DecodesAsImage(const Bytes& bytes) {
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return !bytes.empty() && !QImage::fromData(view).isNull();
}

}  // namespace tuxia

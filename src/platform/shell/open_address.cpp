#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "platform/shell/shell.h"

namespace tuxia {

void OpenAddress(std::string_view address) {
  QDesktopServices::openUrl(
      QUrl(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()))));
}

}  // namespace tuxia

#include <QFile>
#include <QStandardPaths>

#include "platform/shell/shell.h"

namespace tuxia {

// The path in the file system's own encoding, ready to be joined with a file name and opened.
std::string DesktopFolderPath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (folder.isEmpty()) return {};
  const QByteArray encoded = QFile::encodeName(folder);
  std::string path(encoded.constData(), static_cast<std::size_t>(encoded.size()));
  if (path.back() != '/') path += '/';
  return path;
}

}  // namespace tuxia

#include "io/LibraryItems.h"

#include <QFile>
#include <QString>

namespace libraryitems {

std::string folderNameOf(const std::string& path) {
  const size_t last = path.find_last_of('/');
  if (last == std::string::npos || last == 0) return "";
  const size_t before = path.find_last_of('/', last - 1);
  const size_t start = before == std::string::npos ? 0 : before + 1;
  return path.substr(start, last - start);
}

QIcon groupIcon(const std::string& name) {
  const QString base = QStringLiteral("Resources/FGIcons/") + QString::fromStdString(name);
  for (const QString& candidate :
       {base + QStringLiteral(".jpg"), base + QStringLiteral(".png"),
        QStringLiteral("Resources/FGIcons/default.png")})
    if (QFile::exists(candidate)) return QIcon(candidate);
  return QIcon();
}

}  // namespace libraryitems

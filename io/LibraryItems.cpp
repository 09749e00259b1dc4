#include "io/LibraryItems.h"

#include <QFile>
#include <QString>
#include <QStringList>

namespace libraryitems {

std::string folderNameOf(const std::string& path) {
  const size_t last = path.find_last_of('/');
  if (last == std::string::npos || last == 0) return "";
  const size_t before = path.find_last_of('/', last - 1);
  const size_t start = before == std::string::npos ? 0 : before + 1;
  return path.substr(start, last - start);
}

QIcon groupIcon(const std::string& name, const std::string& displayName) {
  QStringList stems{QString::fromStdString(name)};
  if (!displayName.empty()) stems << QString::fromStdString(displayName);
  QStringList candidates;
  for (const QString& stem : stems)
    candidates << QStringLiteral("Resources/FGIcons/") + stem + QStringLiteral(".jpg")
               << QStringLiteral("Resources/FGIcons/") + stem + QStringLiteral(".png");
  candidates << QStringLiteral("Resources/FGIcons/default.png");
  for (const QString& candidate : candidates)
    if (QFile::exists(candidate)) return QIcon(candidate);
  return QIcon();
}

}  // namespace libraryitems

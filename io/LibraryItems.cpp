#include "io/LibraryItems.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include "math/DataFolder.h"

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
  const QString icons = QString::fromStdString(dataPath("Resources/FGIcons/"));
  QStringList candidates;
  for (const QString& stem : stems)
    candidates << icons + stem + QStringLiteral(".jpg") << icons + stem + QStringLiteral(".png");
  candidates << icons + QStringLiteral("default.png");
  for (const QString& candidate : candidates)
    if (QFile::exists(candidate)) return QIcon(candidate);
  return QIcon();
}

}  // namespace libraryitems

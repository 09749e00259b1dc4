#ifndef KV_IO_LIBRARYITEMS_H
#define KV_IO_LIBRARYITEMS_H

// What the library loaders share when they hang files into the trees: the folder a file lies in
// and the icon of a group.

#include <QIcon>

#include <string>

namespace libraryitems {

// The last component of the path's directory part ("" when there is none).
std::string folderNameOf(const std::string& path);

// The group's picture from Resources/FGIcons (.jpg, then .png), then, when a display name is
// given, the picture named after it (.jpg, then .png); else the default picture, else no icon.
QIcon groupIcon(const std::string& name, const std::string& displayName = std::string());

}  // namespace libraryitems

#endif

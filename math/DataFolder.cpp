#include "math/DataFolder.h"

namespace {

std::string& folderSlot() {
  static std::string folder;
  return folder;
}

}  // namespace

const std::string& dataFolder() { return folderSlot(); }

void setDataFolder(const std::string& folder) { folderSlot() = folder; }

std::string dataPath(const std::string& relative) {
  const std::string& folder = folderSlot();
  if (folder.empty()) return relative;
  return folder.back() == '/' ? folder + relative : folder + "/" + relative;
}

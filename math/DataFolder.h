#pragma once

// The folder the program reads its library ("KV_GROUPS", "KV_TEMPLATES", "KV_MOLECULES"), its
// pictures ("Resources/") and its help page ("Help/") from. Empty, as at the start, stands for
// the working folder; start-up sets it when the library lies beside the executable or in the
// source tree the program was built from instead.

#include <string>

const std::string& dataFolder();
void setDataFolder(const std::string& folder);

// `relative` ("Resources/font.fnt") below the data folder; unchanged while that is the working
// folder.
std::string dataPath(const std::string& relative);

#pragma once

// The parts of a file's name, split the same way wherever the program takes a name apart: the
// type of a file, the name of the molecules read from it, the page of a font.

#include <string>

// The last extension of the path's file name with its dot ("a.b/c.SDF" gives ".SDF"); "" when
// the name has no dot. A dot in a folder's name never counts, and a name whose only dot leads it
// (".pdb") is all extension.
std::string fileExtension(const std::string& path);

// The file's name without its folder and its last extension ("x.d/1abc.pdb" gives "1abc", "a"
// gives "a", ".pdb" gives ""): what molecules read from a file and the folders that list them
// are named after.
std::string fileStem(const std::string& path);

#pragma once

// Opening a file for a reader, and naming a place in it, so that every reader reports an
// unreadable path and a bad line in the same words.

#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <string>

// A bond a file lists is no shorter and no longer than these (Angstrom); every reader refuses
// one outside them, as atoms on top of each other or as too long for a bond.
constexpr float kShortestBond = 0.3f;
constexpr float kLongestBond = 4.0f;

// Opens path for reading. False, with reason set ("cannot open file", "cannot read folder"), when
// it is not a file that can be read; a folder opens as a stream on Linux and then reads as empty.
bool openInputFile(const std::string& path, std::ifstream& in, std::string& reason);

// "line 12 of \"a.pdb\"", or "line 12" when the text came from no named file.
std::string linePlace(int line, const std::string& source);

// One line of text without its end, which may be a line feed, a carriage return and a line feed,
// or a carriage return alone (old Macintosh files); false when the stream holds no more.
bool readTextLine(std::istream& in, std::string& line);

// Drops a UTF-8 byte-order mark from the start of the first line of a file; true when there was
// one. Editors on some systems write it, and it would spoil the first record.
bool dropByteOrderMark(std::string& firstLine);

// How walkFolder treats the entries below a folder.
struct FolderWalk {
  bool hiddenFolders = true;      // enter folders whose name begins with "."
  bool followLinks = false;       // enter links to folders
  bool regularFilesOnly = true;   // regular files only; else every entry that is no folder
  int maxDepth = -1;              // folders nested deeper are not entered; -1: no bound
};

// The one walk over a folder tree: depth first, each folder's entries in the order the file
// system lists them, each file handed to visit. An entry that cannot be examined is passed over,
// and a folder whose listing fails part way is left there. False when folder cannot be listed.
bool walkFolder(const std::filesystem::path& folder, const FolderWalk& rules,
                const std::function<void(const std::filesystem::path&)>& visit);

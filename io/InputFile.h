#pragma once

// Opening a file for a reader, and naming a place in it, so that every reader reports an
// unreadable path and a bad line in the same words.

#include <fstream>
#include <string>

// Opens path for reading. False, with reason set ("cannot open file", "cannot read folder"), when
// it is not a file that can be read; a folder opens as a stream on Linux and then reads as empty.
bool openInputFile(const std::string& path, std::ifstream& in, std::string& reason);

// "line 12 of \"a.pdb\"", or "line 12" when the text came from no named file.
std::string linePlace(int line, const std::string& source);

// Drops a UTF-8 byte-order mark from the start of the first line of a file; true when there was
// one. Editors on some systems write it, and it would spoil the first record.
bool dropByteOrderMark(std::string& firstLine);

#pragma once

#include <iosfwd>
#include <string>

// Reads and writes the renderer's stored cameras as text: per camera a line "p x y z" with the
// translation and a line "r w x y z" with the rotation.
class CameraLoader {
 public:
  std::string fileName;

  CameraLoader() = default;
  // Stores the name and reads the file at once; an empty name reads nothing.
  explicit CameraLoader(std::string name);

  // Appends the file's cameras to the stored ones. A file that cannot be opened is named on the
  // error channel and stores nothing.
  void loadFile();
  // Stores the cameras of the text: "p" starts a translation, "r" pairs a rotation with the
  // latest translation (only the first character of the first word counts). An "r" before any
  // "p" is skipped; missing numbers read as 0; a line with a number that is not finite, or a
  // rotation of length zero, is skipped. Returns the number of cameras stored.
  static int readCameras(std::istream& in);
  // Writes every stored camera; an empty name writes nothing. The old file stays whole when the
  // new one cannot be written (named on the error channel, false returned).
  bool writeFile(std::string name);
};

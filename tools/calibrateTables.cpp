// Writes the fitted rows back into the table text: every data line keeps its type columns and its
// trailing comment, and gets the loaded row's numbers; the calibration note follows line 1.

#include "tools/Calibrate.h"

#include "math/Constants.h"
#include "parameters/InputParameters.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace calib {

namespace {

const char* const kNoteMark = "// calibrate:";

bool readLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return true;
}

// A line the readers turn into a row: not blank, not a comment, not a section marker.
bool isDataLine(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return false;
  if (line.compare(first, 2, "//") == 0 || line[first] == '#') return false;
  const std::string body = line.substr(first, line.find('/') == std::string::npos
                                                  ? std::string::npos
                                                  : line.find('/') - first);
  return body.find_first_not_of(" \t\r") != std::string::npos;
}

std::vector<std::string> tokens(const std::string& body) {
  std::istringstream in(body);
  std::vector<std::string> out;
  std::string token;
  while (in >> token) out.push_back(token);
  return out;
}

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%10.5f", value);
  return buffer;
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines,
                const std::string& note) {
  std::ofstream out(path);
  if (!out) return false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].compare(0, std::string(kNoteMark).size(), kNoteMark) == 0) continue;
    out << lines[i] << "\n";
    if (i == 0) {
      std::istringstream text(note);
      std::string noteLine;
      while (std::getline(text, noteLine)) out << kNoteMark << " " << noteLine << "\n";
    }
  }
  return static_cast<bool>(out);
}

void splitComment(const std::string& line, std::string& body, std::string& comment) {
  const size_t slash = line.find('/');
  body = slash == std::string::npos ? line : line.substr(0, slash);
  comment = slash == std::string::npos ? "" : "  " + line.substr(slash);
}

}  // namespace

bool writeBondTable(const std::string& in, const std::string& out, const std::string& note) {
  std::vector<std::string> lines;
  if (!readLines(in, lines)) return false;
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  size_t row = 0;
  for (std::string& line : lines) {
    if (!isDataLine(line)) continue;
    if (row >= rows.size()) return false;
    const BondParameters& r = *rows[row++];
    std::string body, comment;
    splitComment(line, body, comment);
    const std::vector<std::string> t = tokens(body);
    if (t.size() < 6) continue;   // placeholder rows keep their two types and order 0
    line = padded(t[0], 6) + padded(t[1], 6) + padded(t[2], 2) +
           number(r.majorAxis / kBohrToAngstrom) + number(r.distance) + number(r.bondEnergy) +
           number(r.bondMoment);
    for (size_t extra = 7; extra < t.size(); ++extra) line += " " + t[extra];
    line += comment;
  }
  return row == rows.size() && writeLines(out, lines, note);
}

bool writeAngleTable(const std::string& in, const std::string& out, const std::string& note) {
  std::vector<std::string> lines;
  if (!readLines(in, lines)) return false;
  const std::vector<AngleParameters*>& rows = InputParameters::instance()->angleParameters;
  size_t row = 0;
  for (std::string& line : lines) {
    if (!isDataLine(line)) continue;
    if (row >= rows.size()) return false;
    const AngleParameters& r = *rows[row++];
    std::string body, comment;
    splitComment(line, body, comment);
    std::vector<std::string> t = tokens(body);
    if (t.size() < 4 || r.angle < 0.0f) continue;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", r.angle);
    line = padded(t[0], 6) + padded(t[1], 6) + padded(t[2], 6) + buffer;
    for (size_t extra = 4; extra < t.size(); ++extra) line += "  " + t[extra];
    line += comment;
  }
  return row == rows.size() && writeLines(out, lines, note);
}

bool writeRingStrainTable(const std::string& in, const std::string& out, const std::string& note) {
  std::vector<std::string> lines;
  if (!readLines(in, lines)) return false;
  const std::vector<RingStrainParameters*>& rows =
      InputParameters::instance()->ringStrainParameters;
  size_t row = 0;
  for (std::string& line : lines) {
    if (!isDataLine(line)) continue;
    if (row >= rows.size()) return false;
    const RingStrainParameters& r = *rows[row++];
    std::string body, comment;
    splitComment(line, body, comment);
    const std::vector<std::string> t = tokens(body);
    if (t.size() < 3) continue;
    line = padded(t[0], 8) + padded(t[1], 2) + number(r.energy) + comment;
  }
  return row == rows.size() && writeLines(out, lines, note);
}

}  // namespace calib

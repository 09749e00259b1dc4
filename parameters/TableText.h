#ifndef KV_PARAMETERS_TABLETEXT_H
#define KV_PARAMETERS_TABLETEXT_H

// The line grammar shared by the table readers, and a row of values taken field by field.

#include <cstdint>
#include <string>
#include <vector>

class TableText {
public:
  // Splits text into lines without their terminators ("\n", "\r\n" or a lone "\r").
  static std::vector<std::string> lines(const std::string& text);

  // The common steps: trim "\r\n\t " from both ends, skip empty and "//" lines, cut at the first
  // "/", trim endSet from the end. False when nothing is left to read.
  static bool prepareLine(std::string& line, const char* endSet);

  static void trimEnd(std::string& line, const char* set);
  static void trimBoth(std::string& line, const char* set);
  static bool startsWith(const std::string& line, const char* prefix);

  // Numbers with an end check: the whole token must be the number.
  static bool toFloat(const std::string& token, float& value);
  static bool toDouble(const std::string& token, double& value);
  static bool toInt(const std::string& token, int& value);
  static bool toUnsigned(const std::string& token, unsigned int& value);
};

// The values of one row, taken in order; a field past the last value keeps its default. Text
// where a number is expected is reported once on standard error and marks the row bad.
class TableRow {
public:
  TableRow(const std::string& line, const char* place);
  TableRow(const std::vector<std::string>& tokens, const std::string& line, const char* place);

  void next(std::string& value);
  void next(float& value);
  void next(double& value);
  void next(int& value);
  void next(int16_t& value);
  void next(unsigned int& value);
  void skip(size_t count);

  bool atEnd() const { return index >= tokens.size(); }
  bool good() const { return !bad; }
  size_t size() const { return tokens.size(); }

private:
  const std::string* nextToken();
  void reportBad(const std::string& token);

  std::vector<std::string> tokens;
  size_t index = 0;
  std::string line;
  const char* place;
  bool bad = false;
};

#endif

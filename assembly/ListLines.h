#pragma once

// Line handling shared by the text readers of assembly/: the group and molecule list files
// and the bond-orbital geometry text.

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "math/UtilityEngine.h"

namespace listfile {

// Removes every character of `characters` from both ends.
inline std::string trimmed(const std::string& text, const char* characters = "\r\n\t ") {
  const std::string::size_type first = text.find_first_not_of(characters);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

// A list-file line made ready for its keywords: trimmed, cut before its first "/" (a single one
// is enough) and freed of trailing blanks. False for a line to skip: empty, or a "//" comment.
inline bool prepareLine(std::string& line) {
  line = trimmed(line);
  if (line.empty() || line.compare(0, 2, "//") == 0) return false;
  const std::string::size_type slash = line.find('/');
  if (slash != std::string::npos) line.erase(slash);
  const std::string::size_type last = line.find_last_not_of(' ');
  line.erase(last == std::string::npos ? 0 : last + 1);
  return true;
}

inline std::string upperCased(std::string text) {
  UtilityEngine::instance()->toUpper(text);
  return text;
}

inline bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The runs of characters between blanks and tabs.
inline std::vector<std::string> tokensOf(const std::string& text) {
  std::vector<std::string> tokens;
  UtilityEngine::instance()->tokenize(text, tokens, " \t");
  return tokens;
}

// The text after the first `skip` characters (empty when the line is shorter).
inline std::string remainderAfter(const std::string& text, size_t skip) {
  return text.size() > skip ? text.substr(skip) : std::string();
}

// Whole-token numbers: false for empty text, trailing characters or a value out of range.
inline bool parseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

inline bool parseFloat(const std::string& text, float& value) {
  double parsed = 0.0;
  if (!parseDouble(text, parsed) || std::fabs(parsed) > 3.0e38) return false;
  value = static_cast<float>(parsed);
  return true;
}

inline bool parseInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || parsed < -2147483647L ||
      parsed > 2147483647L)
    return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace listfile

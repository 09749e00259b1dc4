#include "parameters/TableText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>

#include "math/UtilityEngine.h"

std::vector<std::string> TableText::lines(const std::string& text) {
  std::vector<std::string> result;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n' || c == '\r') {
      result.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty())
    result.push_back(current);
  return result;
}

void TableText::trimEnd(std::string& line, const char* set) {
  size_t last = line.find_last_not_of(set);
  if (last == std::string::npos)
    line.clear();
  else
    line.erase(last + 1);
}

void TableText::trimBoth(std::string& line, const char* set) {
  trimEnd(line, set);
  size_t first = line.find_first_not_of(set);
  if (first == std::string::npos)
    line.clear();
  else
    line.erase(0, first);
}

bool TableText::startsWith(const std::string& line, const char* prefix) {
  return line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool TableText::prepareLine(std::string& line, const char* endSet) {
  trimBoth(line, "\r\n\t ");
  if (line.empty() || startsWith(line, "//"))
    return false;
  size_t slash = line.find('/');
  if (slash != std::string::npos)
    line.erase(slash);
  trimEnd(line, endSet);
  // A line that was only a "/ comment" leaves nothing; it makes no row.
  return line.find_first_not_of(" \t") != std::string::npos;
}

bool TableText::toDouble(const std::string& token, double& value) {
  if (token.empty())
    return false;
  errno = 0;
  char* end = nullptr;
  double parsed = std::strtod(token.c_str(), &end);
  if (end != token.c_str() + token.size() || errno == ERANGE || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

bool TableText::toFloat(const std::string& token, float& value) {
  double parsed = 0.0;
  if (!toDouble(token, parsed) || std::fabs(parsed) > std::numeric_limits<float>::max())
    return false;
  value = static_cast<float>(parsed);
  return true;
}

bool TableText::toInt(const std::string& token, int& value) {
  if (token.empty())
    return false;
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(token.c_str(), &end, 10);
  if (end != token.c_str() + token.size() || errno == ERANGE ||
      parsed < std::numeric_limits<int>::min() || parsed > std::numeric_limits<int>::max())
    return false;
  value = static_cast<int>(parsed);
  return true;
}

bool TableText::toUnsigned(const std::string& token, unsigned int& value) {
  int parsed = 0;
  if (!toInt(token, parsed) || parsed < 0)
    return false;
  value = static_cast<unsigned int>(parsed);
  return true;
}

static std::vector<std::string> splitOnWhiteSpace(const std::string& line) {
  std::vector<std::string> tokens;
  const char* blanks = " \t\r\n\v\f";
  size_t start = line.find_first_not_of(blanks);
  while (start != std::string::npos) {
    size_t end = line.find_first_of(blanks, start);
    tokens.push_back(line.substr(start, end == std::string::npos ? std::string::npos
                                                                  : end - start));
    start = end == std::string::npos ? end : line.find_first_not_of(blanks, end);
  }
  return tokens;
}

TableRow::TableRow(const std::string& text, const char* where)
    : tokens(splitOnWhiteSpace(text)), line(text), place(where) {}

TableRow::TableRow(const std::vector<std::string>& rowTokens, const std::string& text,
                   const char* where)
    : tokens(rowTokens), line(text), place(where) {}

const std::string* TableRow::nextToken() {
  if (index >= tokens.size())
    return nullptr;
  return &tokens[index++];
}

void TableRow::reportBad(const std::string& token) {
  if (!bad)
    ErrorLine() << "Error: " << place << ": bad number \"" << token << "\" in line \"" << line
                << "\"";
  bad = true;
}

void TableRow::next(std::string& value) {
  if (const std::string* token = nextToken())
    value = *token;
}

void TableRow::next(float& value) {
  if (const std::string* token = nextToken())
    if (!TableText::toFloat(*token, value))
      reportBad(*token);
}

void TableRow::next(double& value) {
  if (const std::string* token = nextToken())
    if (!TableText::toDouble(*token, value))
      reportBad(*token);
}

void TableRow::next(int& value) {
  if (const std::string* token = nextToken())
    if (!TableText::toInt(*token, value))
      reportBad(*token);
}

void TableRow::next(int16_t& value) {
  if (const std::string* token = nextToken()) {
    int parsed = 0;
    if (!TableText::toInt(*token, parsed) || parsed < std::numeric_limits<int16_t>::min() ||
        parsed > std::numeric_limits<int16_t>::max())
      reportBad(*token);
    else
      value = static_cast<int16_t>(parsed);
  }
}

void TableRow::next(unsigned int& value) {
  if (const std::string* token = nextToken())
    if (!TableText::toUnsigned(*token, value))
      reportBad(*token);
}

void TableRow::skip(size_t count) {
  index = std::min(tokens.size(), index + count);
}

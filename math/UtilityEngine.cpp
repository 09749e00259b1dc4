#include "math/UtilityEngine.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSaveFile>
#include <QString>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <utility>

UtilityEngine* UtilityEngine::Instance = nullptr;

namespace {

void writeToStandardOutput(const std::string& line) { std::cout << line << '\n' << std::flush; }

void writeToStandardError(const std::string& line) { std::cerr << line << '\n' << std::flush; }

ErrorSink& errorSink() {
  static ErrorSink sink = writeToStandardError;
  return sink;
}

}  // namespace

UtilityEngine::UtilityEngine() : printLevel(1), sink(writeToStandardOutput) {}

UtilityEngine* UtilityEngine::instance() {
  if (!Instance) Instance = new UtilityEngine();
  return Instance;
}

void UtilityEngine::setConsoleSink(ConsoleSink newSink) {
  sink = newSink ? std::move(newSink) : ConsoleSink(writeToStandardOutput);
}

void setConsoleSink(ConsoleSink sink) {
  UtilityEngine::instance()->setConsoleSink(std::move(sink));
}

ErrorSink setErrorSink(ErrorSink sink) {
  ErrorSink previous = std::move(errorSink());
  errorSink() = sink ? std::move(sink) : ErrorSink(writeToStandardError);
  return previous;
}

void printError(const std::string& line) { errorSink()(printableText(line)); }

size_t utf8CharacterLength(const std::string& text, size_t at) {
  if (at >= text.size()) return 0;
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return 1;
  // The lead byte gives the length and the smallest and largest value the first continuation
  // byte may have: narrower bounds refuse overlong forms, UTF-16 surrogates and values past
  // U+10FFFF.
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;   // a continuation byte, or a byte no character starts with
  }
  if (at + length > text.size()) return 1;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char byte = static_cast<unsigned char>(text[at + k]);
    if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return 1;
  }
  return length;
}

std::string utf8CharacterAt(const std::string& text, size_t at) {
  return at < text.size() ? text.substr(at, utf8CharacterLength(text, at)) : std::string();
}

std::string cutAtCharacter(const std::string& text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t length = utf8CharacterLength(text, end);
    if (end + length > maxBytes) break;
    end += length;
  }
  return text.substr(0, end);
}

std::string printableText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  auto escape = [&out](unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
  };
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    const unsigned char byte = static_cast<unsigned char>(c);
    // A line feed inside a message is a line of its own (the force-field model's two-line
    // refusal); a quoted input line never holds one, since the readers split at them.
    if ((byte >= 0x20 && byte < 0x7F) || c == '\n') {
      out += c;
      ++at;
      continue;
    }
    // A whole UTF-8 character is kept ("Å" in a name), but not the controls U+0080 to U+009F,
    // which some terminals obey; a byte of a broken or cut sequence is escaped like a control.
    const size_t length = byte < 0x80 ? 1 : utf8CharacterLength(text, at);
    const bool control = length == 2 && byte == 0xC2 &&
                         static_cast<unsigned char>(text[at + 1]) < 0xA0;
    if (length > 1 && !control) {
      out.append(text, at, length);
    } else {
      for (size_t k = 0; k < length; ++k) escape(static_cast<unsigned char>(text[at + k]));
    }
    at += length;
  }
  return out;
}

void processPendingEvents() {
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void processPendingEventsAndInput() {
  if (QCoreApplication::instance() == nullptr) return;
  // Input that earlier calls held back waits in the window system's own queue, which the glib
  // event loop only reads when it was woken: without a wake-up a click made during a load would
  // wait for the next event of any kind from the display.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    dispatcher->wakeUp();
  QCoreApplication::processEvents();
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
  std::string reason;
  return writeWholeFile(path, bytes, reason);
}

bool writeWholeFile(const std::string& path, const std::string& bytes, std::string& reason) {
  if (path.empty()) {
    reason = "no file name";
    return false;
  }
  QSaveFile file(QString::fromLocal8Bit(path.c_str()));
  if (file.open(QIODevice::WriteOnly) &&
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
          static_cast<qint64>(bytes.size()) &&
      file.commit())
    return true;
  reason = file.errorString().toStdString();
  if (reason.empty()) reason = "cannot write the file";
  return false;
}

ErrorLine::~ErrorLine() {
  std::string line = text.str();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  printError(line);
}

void UtilityEngine::printToConsole(std::string line) {
  // The line ends at its first zero byte, as a C string would.
  const std::string::size_type end = line.find('\0');
  if (end != std::string::npos) line.erase(end);
  sink(line);
  // Keeps the window painting during long runs; this re-enters the event loop.
  processPendingEvents();
}

void UtilityEngine::printToConsole(const char* line) {
  if (!line) return;
  printToConsole(std::string(line));
}

void UtilityEngine::toUpper(std::string& text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void UtilityEngine::tokenize(const std::string& text, std::vector<std::string>& tokens,
                             const std::string& delimiters) {
  std::string::size_type start = text.find_first_not_of(delimiters);
  while (start != std::string::npos) {
    std::string::size_type end = text.find_first_of(delimiters, start);
    const std::string::size_type length = end == std::string::npos ? end : end - start;
    tokens.push_back(text.substr(start, length));
    if (end == std::string::npos) break;
    start = text.find_first_not_of(delimiters, end);
  }
}

// Wildcard match as the parameter lookups use it, the table's name first and the query second.
// Only one side may hold "*"; the pieces between the stars are looked for in order in the other
// string, with no anchoring at either end, so C* matches any name that contains a C.
// A table pattern's piece matches wherever any of its characters occurs (CS* matches SP3); a
// query's piece must occur as a whole. After a hit the rest of the string starts at the last
// character the piece covered.
bool UtilityEngine::stringMatchWithWildCards(std::string first, std::string second) {
  const bool firstHasStar = first.find('*') != std::string::npos;
  const bool secondHasStar = second.find('*') != std::string::npos;
  if (firstHasStar && secondHasStar) return false;
  if (!firstHasStar && !secondHasStar) return first == second;

  const bool patternIsFirst = firstHasStar;
  std::vector<std::string> pieces;
  tokenize(patternIsFirst ? first : second, pieces, "*");
  std::string rest = patternIsFirst ? second : first;
  for (const std::string& piece : pieces) {
    const std::string::size_type position =
        patternIsFirst ? rest.find_first_of(piece) : rest.find(piece);
    if (position == std::string::npos) return false;
    const std::string::size_type cut = position + piece.size() - 1;
    // A long table piece hit near the end would cut past the text: no match.
    if (cut > rest.size()) return false;
    rest = rest.substr(cut);
  }
  return true;
}

void UtilityEngine::sortStringVector(std::vector<std::string>& list) {
  // Every "*" to the end, keeping the others in front.
  std::size_t n = list.size();
  std::size_t i = 0;
  while (i < n) {
    if (list[i] == "*") {
      --n;
      list[i] = list[n];
      list[n] = "*";
    } else {
      ++i;
    }
  }
  // Selection sort of the rest; the first of equal entries is taken.
  for (std::size_t position = 0; position + 1 < n; ++position) {
    std::size_t smallest = position;
    for (std::size_t k = position + 1; k < n; ++k)
      if (list[k] < list[smallest]) smallest = k;
    if (smallest != position) std::swap(list[position], list[smallest]);
  }
}

void UtilityEngine::clearWhiteSpaces(std::string& text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') kept += c;
  text = std::move(kept);
}

void UtilityEngine::replaceWhiteSpaces(std::string& text) {
  for (char& c : text)
    if (c == ' ') c = '_';
}

std::string UtilityEngine::intToString(int value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

int UtilityEngine::stringToInt(std::string text) {
  clearWhiteSpaces(text);
  std::istringstream in(text);
  int value = 0;
  if (!(in >> value)) return 0;   // no number, or one out of range
  return value;
}

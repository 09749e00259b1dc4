// Small text services for developers: constraint marks, connection strings and integer lists.
#include "math/UtilityEngine.h"

bool UtilityEngine::hasConstraint(std::string text) { return text.find('@') != std::string::npos; }

void UtilityEngine::getConnFromString(std::string text, std::vector<std::string>& pieces) {
  clearWhiteSpaces(text);
  enum State { Outside, InBraces, PieceEnded };
  std::vector<std::string> result;
  std::string piece;
  int depth = 0;
  State state = Outside;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{') {
      ++depth;
      state = InBraces;
    } else if (c == '}') {
      // Only the brace that closes the outermost group ends the piece; unbalanced braces just
      // move where pieces end.
      if (state == InBraces && depth == 1) state = PieceEnded;
      --depth;
    } else if (c == '&' && state != InBraces) {
      state = PieceEnded;
    } else {
      piece += c;
    }
    if (state == PieceEnded || i + 1 == text.size()) {
      if (!piece.empty()) result.push_back(piece);
      piece.clear();
      // An empty piece ("A&&B") resets the state too, or the next character would end a piece
      // of its own.
      state = Outside;
    }
  }
  pieces.swap(result);
}

void printVector(std::vector<int> values, std::ostream& out) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out << ", ";
    out << values[i];
  }
}

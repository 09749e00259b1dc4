#include "io/InputFile.h"

#include <filesystem>
#include <system_error>
#include <vector>

bool openInputFile(const std::string& path, std::ifstream& in, std::string& reason) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    reason = "cannot read folder";
    return false;
  }
  in.open(path, std::ios::binary);
  if (!in.is_open()) {
    reason = "cannot open file";
    return false;
  }
  return true;
}

std::string linePlace(int line, const std::string& source) {
  std::string place = "line " + std::to_string(line);
  if (!source.empty()) place += " of \"" + source + "\"";
  return place;
}

bool readTextLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* bytes = in.good() ? in.rdbuf() : nullptr;
  if (bytes == nullptr) {
    in.setstate(std::ios::failbit);
    return false;
  }
  const int end = std::char_traits<char>::eof();
  for (int c = bytes->sbumpc(); c != end; c = bytes->sbumpc()) {
    if (c == '\n') return true;
    if (c == '\r') {
      if (bytes->sgetc() == '\n') bytes->sbumpc();
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
  // The last line may lack its end; after it the stream is exhausted.
  in.setstate(line.empty() ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit);
  return !line.empty();
}

bool dropByteOrderMark(std::string& firstLine) {
  if (firstLine.compare(0, 3, "\xEF\xBB\xBF") != 0) return false;
  firstLine.erase(0, 3);
  return true;
}

bool walkFolder(const std::filesystem::path& folder, const FolderWalk& rules,
                const std::function<void(const std::filesystem::path&)>& visit) {
  namespace fs = std::filesystem;
  struct Level {
    fs::directory_iterator it;
    int depth;
  };
  std::error_code error;
  fs::directory_iterator first(folder, fs::directory_options::skip_permission_denied, error);
  if (error) return false;
  std::vector<Level> stack{{first, 0}};
  const fs::directory_iterator end;
  while (!stack.empty()) {
    Level& top = stack.back();
    if (top.it == end) {
      stack.pop_back();
      continue;
    }
    const fs::directory_entry entry = *top.it;
    const int depth = top.depth;
    top.it.increment(error);
    if (error) top.it = end;   // the rest of this folder is lost; the walk goes on above it
    std::error_code entryError;
    const fs::file_status status = rules.followLinks ? entry.status(entryError)
                                                     : entry.symlink_status(entryError);
    if (entryError) continue;
    if (fs::is_directory(status)) {
      const std::string leaf = entry.path().filename().string();
      if (!rules.hiddenFolders && (leaf.empty() || leaf[0] == '.')) continue;
      if (rules.maxDepth >= 0 && depth + 1 > rules.maxDepth) continue;
      std::error_code openError;
      fs::directory_iterator inner(entry.path(), fs::directory_options::skip_permission_denied,
                                   openError);
      if (!openError) stack.push_back({inner, depth + 1});
      continue;
    }
    if (rules.regularFilesOnly) {
      std::error_code typeError;
      if (!entry.is_regular_file(typeError) || typeError) continue;
    }
    visit(entry.path());
  }
  return true;
}

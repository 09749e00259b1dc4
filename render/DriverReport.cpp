// The graphics-driver report and the renderer exclusion list: developer services of
// UtilityEngine whose bodies live here because they call GL.
#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "math/UtilityEngine.h"
#include "render/DriverReport.h"
#include "render/GraphicsEngine.h"

namespace {

const size_t kVersionPrefixLength = 25;   // characters of the version string that are read
const char* const kReportFile = "hwdebug.txt";
const char* const kExclusionList = "Settings/blacklist.ini";

// The integer at the start of the text (blanks, a sign, digits), clamped to the int range; 0
// when there is none.
int leadingInt(const std::string& text) {
  errno = 0;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value > INT_MAX) return value < 0 ? INT_MIN : INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The next token of text from pos, as strtok finds it: leading delimiters are skipped and the
// delimiter that ends the token is consumed. Empty when the text is used up.
std::string nextToken(const std::string& text, size_t& pos, const char* delimiters) {
  const size_t start = text.find_first_not_of(delimiters, pos);
  if (start == std::string::npos) {
    pos = text.size();
    return std::string();
  }
  const size_t end = text.find_first_of(delimiters, start);
  pos = end == std::string::npos ? text.size() : end + 1;
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string glText(GLenum name) {
  const GLubyte* text = glGetString(name);
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

void parseGLVersion(const char* version, int& major, int& minor) {
  const std::string text = version ? std::string(version).substr(0, kVersionPrefixLength) : "";
  size_t pos = 0;
  major = leadingInt(nextToken(text, pos, "."));
  minor = leadingInt(nextToken(text, pos, ". \n"));
}

std::vector<std::string> splitExtensions(const char* extensions) {
  std::vector<std::string> names;
  std::string name;
  for (const char* c = extensions; c && *c; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '_') {
      name += *c;
    } else if (!name.empty()) {
      names.push_back(name);
      name.clear();
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

bool rendererExcluded(const std::string& renderer, std::istream& list) {
  const std::string name = lowerCase(renderer);
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (name.find(lowerCase(line)) != std::string::npos) return true;
  }
  return false;
}

void UtilityEngine::QueryGPU() {
  const std::string vendor = glText(GL_VENDOR);
  const std::string renderer = glText(GL_RENDERER);
  const std::string version = glText(GL_VERSION);
  const std::string extensions = glText(GL_EXTENSIONS);
  GraphicsEngine* engine = GraphicsEngine::instance();
  parseGLVersion(version.c_str(), engine->glMajorVersion, engine->glMinorVersion);

  std::ofstream report(kReportFile, std::ios::out | std::ios::app);
  if (!report) {
    ErrorLine() << "Error: UtilityEngine::QueryGPU: cannot open \"" << kReportFile << "\"";
    return;
  }
  report << "\n*******Begin GPU Query*******\n\n";
  report << "Vendor: " << vendor << "\n";
  report << "Renderer: " << renderer << "\n\n";
  report << "GL Major: " << engine->glMajorVersion << "\n";
  report << "GL Minor: " << engine->glMinorVersion << "\n";
  report << "Extensions:\n";
  for (const std::string& name : splitExtensions(extensions.c_str())) report << name << "\n";
  report << "\n********End GPU Query********\n";
}

bool UtilityEngine::QueryGPUBlackList() {
  const std::string renderer = glText(GL_RENDERER);
  std::ifstream list(kExclusionList);
  return list && rendererExcluded(renderer, list);
}

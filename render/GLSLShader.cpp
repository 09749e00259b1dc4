#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QByteArray>
#include <QFile>

#include <cstdlib>
#include <cstring>
#include <string>

#include "math/UtilityEngine.h"
#include "render/GLSLShader.h"

namespace {

// A compile or link log on one line of the error channel; an empty log says nothing.
void reportLog(const char* what, const std::string& source, std::string log) {
  while (!log.empty() && (log.back() == '\n' || log.back() == '\0' || log.back() == ' '))
    log.pop_back();
  if (log.empty()) return;
  for (char& c : log)
    if (c == '\n' || c == '\r') c = ' ';
  ErrorLine() << "Error: GLSLShader: " << what << " log of \"" << source << "\": " << log;
}

using GetParameter = void (*)(GLuint, GLenum, GLint*);
using GetInfoLog = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);

// The info log of a shader or a program, through the getters of its kind.
std::string infoLog(GLuint object, GetParameter getParameter, GetInfoLog getLog) {
  GLint length = 0;
  getParameter(object, GL_INFO_LOG_LENGTH, &length);
  if (length <= 0) return std::string();
  std::string log(static_cast<size_t>(length), '\0');
  getLog(object, length, nullptr, &log[0]);
  return log;
}

}  // namespace

GLSLShaderModule::GLSLShaderModule(const char* modulePath, ShaderType stage)
    : type(stage), path(modulePath != nullptr ? modulePath : "") {
  if (!load()) {
    ErrorLine() << "Error: GLSLShaderModule: cannot open the shader \"" << path << "\"";
    std::exit(1);
  }
}

bool GLSLShaderModule::load() {
  QFile file(QString::fromLocal8Bit(path.c_str()));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  const QByteArray text = file.readAll();   // QByteArray keeps a terminating zero byte
  shader = glCreateShader(type == VertexShader ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
  const GLchar* source = text.constData();
  glShaderSource(shader, 1, &source, nullptr);
  return true;
}

bool GLSLShader::stageOfPath(const char* path, ShaderType& type) {
  const char* dot = path != nullptr ? std::strchr(path, '.') : nullptr;
  if (dot == nullptr) return false;
  switch (dot[1]) {
    case 'v': case 'V': type = VertexShader; return true;
    case 'f': case 'F': type = FragmentShader; return true;
    default: return false;
  }
}

bool GLSLShader::loadShaderModule(const char* path) {
  ShaderType type = VertexShader;
  if (!stageOfPath(path, type)) return false;
  (type == VertexShader ? vertexModules : fragmentModules).emplace_back(path, type);
  return true;
}

void GLSLShader::buildShader() {
  for (const std::vector<GLSLShaderModule>* modules : {&vertexModules, &fragmentModules})
    for (const GLSLShaderModule& module : *modules) {
      glCompileShader(module.shader);
      reportLog("compile", module.path,
                infoLog(module.shader, glGetShaderiv, glGetShaderInfoLog));
    }
  program = glCreateProgram();
  for (const GLSLShaderModule& module : vertexModules) glAttachShader(program, module.shader);
  for (const GLSLShaderModule& module : fragmentModules) glAttachShader(program, module.shader);
  glLinkProgram(program);
  reportLog("link", vertexModules.empty() ? std::string() : vertexModules.front().path,
            infoLog(program, glGetProgramiv, glGetProgramInfoLog));
}

#pragma once

#include <string>
#include <vector>

// The stage of a shader module, from the letter after the first dot of its path.
enum ShaderType { VertexShader = 0, FragmentShader = 1 };

// One shader stage, loaded from a file or a ":/" resource path as soon as it is made.
class GLSLShaderModule {
 public:
  ShaderType type;
  std::string path;
  unsigned int shader = 0;   // GL shader name

  // Loads at once; a path that cannot be opened is named on the error channel and ends the
  // process with status 1, since the program cannot be built without it.
  GLSLShaderModule(const char* path, ShaderType type);
  // Reads the whole text and hands it to a new GL shader of the module's stage as its one
  // source string; compilation waits for GLSLShader::buildShader. False when the path cannot
  // be opened.
  bool load();
};

// A GLSL program from vertex and fragment modules.
class GLSLShader {
 public:
  unsigned int program = 0;   // GL program name; 0 until buildShader
  std::vector<GLSLShaderModule> vertexModules;
  std::vector<GLSLShaderModule> fragmentModules;

  // The stage named by the letter after the path's first dot: "v" or "V" vertex, "f" or "F"
  // fragment. False for any other letter or a path without a dot.
  static bool stageOfPath(const char* path, ShaderType& type);
  // Loads a module of the path's stage and lists it; false (nothing made) when the path names
  // no stage.
  bool loadShaderModule(const char* path);
  // Compiles every module, vertex modules first, and links them into a new program. Non-empty
  // compile and link logs go to the error channel.
  void buildShader();
};

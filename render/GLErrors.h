#pragma once

// The GL error report shared by the renderer, the meshes and the spheroids: the name of a
// pending error and a line feed on standard output.
enum class GLErrorNames {
  Core,               // the six codes from GL_INVALID_ENUM to GL_OUT_OF_MEMORY
  WithTableTooLarge,  // those and the imaging subset's table-too-large code
};

// Reads one error with glGetError, prints its name when the set knows it, returns the code.
unsigned int reportGLError(GLErrorNames names);

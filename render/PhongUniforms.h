#pragma once

#include <functional>

// The phong program's uniforms as the HDR drawing sets them. Each only touches a uniform while
// a program is in use: the HDR frame draws through program 0 when lighting is off.

// The renderer's phong program, 0 before initHDR.
unsigned int phongProgram();
// "Alpha" of the program in use.
void setAlphaUniform(float alpha);
// Runs draw with "UseSpec" set to value; puts 1 back afterwards when it was on before.
void drawWithUseSpec(int value, const std::function<void()>& draw);

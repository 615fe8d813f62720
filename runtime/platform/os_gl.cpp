// os_gl.cpp - entry-point look-up through SDL's OpenGL loader.
#include "runtime/platform/os_gl.h"

#include <SDL.h>

bool os_gl_entry_point(const char* name) {
  if (!name || !*name) return false;
  if (!SDL_GL_GetCurrentContext()) return false;
  return SDL_GL_GetProcAddress(name) != nullptr;
}

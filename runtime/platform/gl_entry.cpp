// gl_entry.cpp - entry-point look-up for the current OpenGL context.
//
// The desktop's loader hands out a dispatch stub for any name at all (even
// "glNoSuchThing"), so its answer alone says nothing. A name counts only when
// the loader gives an address and the OpenGL library itself knows a
// function of that name.
#include "runtime/platform/gl_entry.h"

#include <SDL.h>
#include <dlfcn.h>

bool platform_gl_entry_point(const char* name) {
  if (!name || !*name) return false;
  if (!SDL_GL_GetCurrentContext()) return false;
  if (!SDL_GL_GetProcAddress(name)) return false;
  return dlsym(RTLD_DEFAULT, name) != nullptr;
}

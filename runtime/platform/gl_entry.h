// gl_entry.h - asks the OpenGL driver of the current context for an entry point.
#pragma once

// True if an OpenGL context is current and its driver offers the entry point
// of exactly this name; false without a context.
bool platform_gl_entry_point(const char* name);

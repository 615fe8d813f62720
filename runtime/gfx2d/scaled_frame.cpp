// scaled_frame.cpp - the enlarged window's frame through EXT frame-buffer
// objects, presented as one textured quad with nearest sampling.
//
// The colour texture has power-of-two sides so drivers without
// non-power-of-two textures work too; the frame lies at its bottom-left,
// where OpenGL's window coordinates put it. The quad is drawn with the
// fixed-function pipeline and the program's state saved around it.
#include "runtime/gfx2d/scaled_frame.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "runtime/gfx2d/surfaces.h"

namespace {

template <typename F>
F fn(void* p) {
  return reinterpret_cast<F>(p);
}

int power_of_two(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

void bind(OpenGLVadeviva& d, unsigned framebuffer) {
  fn<PFNGLBINDFRAMEBUFFEREXTPROC>(d.fbo.glBindFramebufferEXT)(GL_FRAMEBUFFER_EXT, framebuffer);
}

// Depth storage for the bound render buffer and its attachment; the packed
// depth-and-stencil format first, since the window has a stencil buffer too.
bool attach_depth(OpenGLVadeviva& d, int tw, int th) {
  FramebufferFunctions& f = d.fbo;
  auto storage = fn<PFNGLRENDERBUFFERSTORAGEEXTPROC>(f.glRenderbufferStorageEXT);
  auto attach = fn<PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC>(f.glFramebufferRenderbufferEXT);
  auto status = fn<PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC>(f.glCheckFramebufferStatusEXT);
  while (glGetError() != GL_NO_ERROR) {
  }
  storage(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, tw, th);
  if (glGetError() == GL_NO_ERROR) {
    attach(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, d.scaled.depth_buffer);
    attach(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
           d.scaled.depth_buffer);
    if (status(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT) return true;
    attach(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, 0);
  }
  storage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, tw, th);
  attach(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, d.scaled.depth_buffer);
  return status(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

}  // namespace

bool make_scaled_frame(OpenGLVadeviva& d, int scale) {
  free_scaled_frame(d);
  if (scale <= 1 || d.width <= 0 || d.height <= 0 || !d.context_present) return false;
  look_up_framebuffer_functions(d);
  FramebufferFunctions& f = d.fbo;
  if (!f.glGenFramebuffersEXT || !f.glDeleteFramebuffersEXT || !f.glBindFramebufferEXT ||
      !f.glGenRenderbuffersEXT || !f.glDeleteRenderbuffersEXT || !f.glBindRenderbufferEXT ||
      !f.glRenderbufferStorageEXT || !f.glCheckFramebufferStatusEXT ||
      !f.glFramebufferTexture2DEXT || !f.glFramebufferRenderbufferEXT)
    return false;
  ScaledFrame& s = d.scaled;
  int tw = power_of_two(d.width), th = power_of_two(d.height);
  GLint limit = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
  if (tw > limit || th > limit) return false;

  glGenTextures(1, &s.texture);
  glBindTexture(GL_TEXTURE_2D, s.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  fn<PFNGLGENFRAMEBUFFERSEXTPROC>(f.glGenFramebuffersEXT)(1, &s.framebuffer);
  fn<PFNGLGENRENDERBUFFERSEXTPROC>(f.glGenRenderbuffersEXT)(1, &s.depth_buffer);
  if (!s.texture || !s.framebuffer || !s.depth_buffer) {
    free_scaled_frame(d);
    return false;
  }
  bind(d, s.framebuffer);
  fn<PFNGLFRAMEBUFFERTEXTURE2DEXTPROC>(f.glFramebufferTexture2DEXT)(
      GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, s.texture, 0);
  fn<PFNGLBINDRENDERBUFFEREXTPROC>(f.glBindRenderbufferEXT)(GL_RENDERBUFFER_EXT, s.depth_buffer);
  bool complete = attach_depth(d, tw, th);
  fn<PFNGLBINDRENDERBUFFEREXTPROC>(f.glBindRenderbufferEXT)(GL_RENDERBUFFER_EXT, 0);
  if (!complete) {
    bind(d, 0);
    free_scaled_frame(d);
    return false;
  }
  s.texture_width = tw;
  s.texture_height = th;
  s.window_scale = scale;
  s.scale = scale;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  return true;
}

void free_scaled_frame(OpenGLVadeviva& d) {
  ScaledFrame& s = d.scaled;
  if (d.context_present) {
    if (s.framebuffer && d.fbo.glDeleteFramebuffersEXT) {
      if (s.scale > 1) bind(d, 0);
      fn<PFNGLDELETEFRAMEBUFFERSEXTPROC>(d.fbo.glDeleteFramebuffersEXT)(1, &s.framebuffer);
    }
    if (s.depth_buffer && d.fbo.glDeleteRenderbuffersEXT)
      fn<PFNGLDELETERENDERBUFFERSEXTPROC>(d.fbo.glDeleteRenderbuffersEXT)(1, &s.depth_buffer);
    if (s.texture) glDeleteTextures(1, &s.texture);
  }
  s = ScaledFrame{};
}

void use_scaled_frame(OpenGLVadeviva& d, bool enlarged) {
  ScaledFrame& s = d.scaled;
  if (!s.framebuffer) return;
  s.scale = enlarged ? s.window_scale : 1;
  bind(d, enlarged ? s.framebuffer : 0);
}

int frame_scale(const OpenGLVadeviva& d) { return d.scaled.framebuffer ? d.scaled.scale : 1; }

void present_scaled_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || frame_scale(*d) <= 1) return;
  ScaledFrame& s = d->scaled;
  bind(*d, 0);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(0, 0, d->width * s.scale, d->height * s.scale);
  static const GLenum off[] = {GL_BLEND,    GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST,
                               GL_SCISSOR_TEST, GL_CULL_FACE, GL_LIGHTING,  GL_FOG,
                               GL_DITHER,   GL_COLOR_LOGIC_OP};
  for (GLenum cap : off) glDisable(cap);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // the first texture unit, whichever the program left active (restored
  // with the texture state)
  if (d->ext.glActiveTextureARB)
    fn<PFNGLACTIVETEXTUREARBPROC>(d->ext.glActiveTextureARB)(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, s.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  float u = float(d->width) / float(s.texture_width);
  float v = float(d->height) / float(s.texture_height);
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(u, 0);
  glVertex2f(1, -1);
  glTexCoord2f(0, v);
  glVertex2f(-1, 1);
  glTexCoord2f(u, v);
  glVertex2f(1, 1);
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void resume_scaled_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (d && frame_scale(*d) > 1) bind(*d, d->scaled.framebuffer);
}

unsigned window_read_buffer() {
  OpenGLVadeviva* d = graphics_device;
  return d && frame_scale(*d) > 1 ? GL_COLOR_ATTACHMENT0_EXT : GL_BACK;
}

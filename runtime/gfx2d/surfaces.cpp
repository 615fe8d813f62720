// surfaces.cpp - off-screen surfaces through EXT frame-buffer objects, and
// the window-corner fallback for drivers without them.
//
// A frame-buffer object counts as usable only after it has been checked
// complete with the surface texture and depth buffer attached; anything
// less falls back to the window corner, which works on every driver.
#include "runtime/gfx2d/surfaces.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/platform/window_sdl.h"

namespace {

OpenGLVadeviva* dev() { return graphics_device; }

template <typename F>
F fn(void* p) {
  return reinterpret_cast<F>(p);
}

void message(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

ScreenRecord* current_record() {
  OpenGLVadeviva* d = dev();
  if (!d || d->current_screen < 0 || d->current_screen >= kScreenCount) return nullptr;
  return &d->screens[d->current_screen];
}

void delete_objects(OpenGLVadeviva& d, ScreenRecord& r) {
  if (d.context_present) {
    if (r.framebuffer && d.fbo.glDeleteFramebuffersEXT)
      fn<PFNGLDELETEFRAMEBUFFERSEXTPROC>(d.fbo.glDeleteFramebuffersEXT)(1, &r.framebuffer);
    if (r.depth_buffer && d.fbo.glDeleteRenderbuffersEXT)
      fn<PFNGLDELETERENDERBUFFERSEXTPROC>(d.fbo.glDeleteRenderbuffersEXT)(1, &r.depth_buffer);
  }
  int sprite = r.sprite;
  r = ScreenRecord{};
  r.sprite = sprite;
}

// Binds the screen's object with the surface texture and depth buffer
// attached.
void attach(OpenGLVadeviva& d, ScreenRecord& r) {
  fn<PFNGLBINDFRAMEBUFFEREXTPROC>(d.fbo.glBindFramebufferEXT)(GL_FRAMEBUFFER_EXT, r.framebuffer);
  SpriteSlot* s = sprite_slot(r.sprite);
  if (d.fbo.glFramebufferTexture2DEXT)
    fn<PFNGLFRAMEBUFFERTEXTURE2DEXTPROC>(d.fbo.glFramebufferTexture2DEXT)(
        GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, s ? s->texture : 0, 0);
  if (d.fbo.glFramebufferRenderbufferEXT)
    fn<PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC>(d.fbo.glFramebufferRenderbufferEXT)(
        GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, r.depth_buffer);
}

// Makes the screen's frame-buffer object; leaves the record without one
// (fallback) when anything is missing or the object is not complete.
void make_framebuffer(OpenGLVadeviva& d, ScreenRecord& r, int tw, int th) {
  delete_objects(d, r);
  FramebufferFunctions& f = d.fbo;
  if (!f.glGenFramebuffersEXT || !f.glGenRenderbuffersEXT || !f.glBindRenderbufferEXT ||
      !f.glRenderbufferStorageEXT || !f.glCheckFramebufferStatusEXT || !f.glBindFramebufferEXT ||
      !f.glFramebufferTexture2DEXT || !f.glFramebufferRenderbufferEXT)
    return;
  fn<PFNGLGENFRAMEBUFFERSEXTPROC>(f.glGenFramebuffersEXT)(1, &r.framebuffer);
  if (r.framebuffer == 0) {
    message("glGenFramebuffersExt failed");
    delete_objects(d, r);
    return;
  }
  fn<PFNGLGENRENDERBUFFERSEXTPROC>(f.glGenRenderbuffersEXT)(1, &r.depth_buffer);
  if (r.depth_buffer == 0) {
    message("glGenRenderbuffersExt failed");
    delete_objects(d, r);
    return;
  }
  fn<PFNGLBINDRENDERBUFFEREXTPROC>(f.glBindRenderbufferEXT)(GL_RENDERBUFFER_EXT, r.depth_buffer);
  fn<PFNGLRENDERBUFFERSTORAGEEXTPROC>(f.glRenderbufferStorageEXT)(
      GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, tw, th);
  fn<PFNGLBINDRENDERBUFFEREXTPROC>(f.glBindRenderbufferEXT)(GL_RENDERBUFFER_EXT, 0);
  // completeness is checked with the attachments in place, so a driver that
  // cannot render into this texture falls back instead of drawing nowhere
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previous);
  attach(d, r);
  GLenum status = fn<PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC>(f.glCheckFramebufferStatusEXT)(
      GL_FRAMEBUFFER_EXT);
  fn<PFNGLBINDFRAMEBUFFEREXTPROC>(f.glBindFramebufferEXT)(GL_FRAMEBUFFER_EXT, GLuint(previous));
  if (status == GL_FRAMEBUFFER_COMPLETE_EXT) {
    r.width = tw;
    r.height = th;
  } else {
    message("glCheckFramebufferStatusExt failed");
    delete_objects(d, r);
  }
}

void leave_current(OpenGLVadeviva& d) {
  ScreenRecord* r = current_record();
  submit_drawing();
  if (r && r->width > 0) {
    SpriteSlot* s = sprite_slot(r->sprite);
    if (s) texture_changing(s->texture);  // what was drawn into it
    fn<PFNGLBINDFRAMEBUFFEREXTPROC>(d.fbo.glBindFramebufferEXT)(GL_FRAMEBUFFER_EXT,
                                                                 GLuint(r->saved_binding));
  } else if (r) {
    SpriteSlot* s = sprite_slot(r->sprite);
    if (s && s->image_width > 0) {
      // a clean state first: the program may have changed the viewport or
      // the alpha mode while it drew into the corner
      set_viewport(0, 0, 0, 0);
      grab_sprite(r->sprite, 0, 0, s->image_width, s->image_height);
      draw_rect(0, 0, s->texture_width, s->texture_height, 0);
      // the saved corner goes back exactly, also its see-through pixels
      draw_sprite_exactly(kScratchSprite, 0, 0);
      d.alpha_test = true;
    }
  }
  d.current_screen = -1;
  set_viewport(0, 0, 0, 0);
}

}  // namespace

void look_up_framebuffer_functions(OpenGLVadeviva& d) {
  if (d.fbo.looked_up) return;
  FramebufferFunctions& f = d.fbo;
  f.looked_up = true;
  f.glBindRenderbufferEXT = platform_gl_proc_address("glBindRenderbufferEXT");
  f.glDeleteRenderbuffersEXT = platform_gl_proc_address("glDeleteRenderbuffersEXT");
  f.glGenRenderbuffersEXT = platform_gl_proc_address("glGenRenderbuffersEXT");
  f.glRenderbufferStorageEXT = platform_gl_proc_address("glRenderbufferStorageEXT");
  f.glBindFramebufferEXT = platform_gl_proc_address("glBindFramebufferEXT");
  f.glDeleteFramebuffersEXT = platform_gl_proc_address("glDeleteFramebuffersEXT");
  f.glGenFramebuffersEXT = platform_gl_proc_address("glGenFramebuffersEXT");
  f.glCheckFramebufferStatusEXT = platform_gl_proc_address("glCheckFramebufferStatusEXT");
  f.glFramebufferTexture2DEXT = platform_gl_proc_address("glFramebufferTexture2DEXT");
  f.glFramebufferRenderbufferEXT = platform_gl_proc_address("glFramebufferRenderbufferEXT");
  f.glGetFramebufferAttachmentParameterivEXT =
      platform_gl_proc_address("glGetFramebufferAttachmentParameterivEXT");
}

void init_screens() {
  if (graphics_device) look_up_framebuffer_functions(*graphics_device);
}

void create_screen(int screen, int sprite, int width, int height) {
  OpenGLVadeviva* d = dev();
  if (!d || screen < 0 || screen >= kScreenCount || !sprite_slot(sprite)) return;
  if (!d->context_present) return;
  look_up_framebuffer_functions(*d);
  int limit = max_texture_size();
  int w = width < 1 ? 1 : width > limit ? limit : width;
  int h = height < 1 ? 1 : height > limit ? limit : height;
  // the texture is at least 16 wide and high like every sprite texture, and
  // the slot records the size it really has
  int tw = power_of_two_at_least(w, 16), th = power_of_two_at_least(h, 16);
  release_sprite_slot(sprite);
  TextureImage blank;
  blank.texture_width = tw;
  blank.texture_height = th;
  blank.width = w;
  blank.height = h;
  blank.rgba.assign(size_t(tw) * size_t(th) * 4, 0);  // transparent black needs no fill
  upload_slot_texture(sprite, blank, false);
  ScreenRecord& r = d->screens[screen];
  if (d->current_screen == screen) leave_current(*d);
  r.sprite = sprite;
  make_framebuffer(*d, r, tw, th);
}

void use_screen(int screen) {
  OpenGLVadeviva* d = dev();
  if (!d) return;
  if (d->current_screen >= 0) {
    leave_current(*d);
  } else if (screen < 0) {
    set_viewport(0, 0, 0, 0);
  }
  if (screen < 0 || screen >= kScreenCount) return;  // drawing stays on the window
  ScreenRecord& r = d->screens[screen];
  SpriteSlot* s = sprite_slot(r.sprite);
  if (!s || s->image_width <= 0 || s->image_height <= 0) return;  // no surface made
  submit_drawing();  // what was drawn so far goes to the old target
  d->current_screen = screen;
  int iw = s->image_width, ih = s->image_height;
  if (r.width > 0) {
    GLint binding = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &binding);
    r.saved_binding = binding;
    attach(*d, r);
    set_viewport(0, 0, iw, ih);
    d->gl_viewport[0] = d->gl_viewport[1] = 0;
    apply_device_state();
  } else {
    set_viewport(0, 0, iw, ih);
    grab_sprite(kScratchSprite, 0, 0, iw, ih);
    draw_rect(0, 0, iw, ih, d->sprite_color_key);
    draw_sprite(r.sprite, 0, 0);
  }
  discard_collision_mask(r.sprite);
}

void leave_screen() {
  OpenGLVadeviva* d = dev();
  if (d && d->current_screen >= 0) leave_current(*d);
}

bool drawing_into_framebuffer() {
  ScreenRecord* r = current_record();
  return r && r->width > 0;
}

int target_height() {
  OpenGLVadeviva* d = dev();
  if (!d) return 0;
  if (drawing_into_framebuffer()) {
    SpriteSlot* s = sprite_slot(current_record()->sprite);
    return s ? s->image_height : 0;
  }
  return d->height;
}

void select_read_buffer() {
  glReadBuffer(drawing_into_framebuffer() ? GL_COLOR_ATTACHMENT0_EXT : window_read_buffer());
}

bool read_screen_pixel(int x, int y, uint8_t rgba[4]) {
  OpenGLVadeviva* d = dev();
  if (!d || !current_record()) return false;
  // in the fallback the surface is the window's corner
  submit_drawing();
  select_read_buffer();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, target_height() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return true;
}

void free_screens(OpenGLVadeviva& device) {
  for (ScreenRecord& r : device.screens) delete_objects(device, r);
  device.current_screen = -1;
}

// sprites.h - the sprite table: images held as GL textures in 65,536
// numbered slots, loaded from BMP, PNG and JPEG files, drawn plain,
// stretched, zoomed, rotated and as animation frames, tested for
// pixel-exact collisions and grabbed from the screen.
//
// Slots 65504-65535 hold the fonts (fonts.h); slot 65503 is the scratch
// slot of the surface fallback (surfaces.h). Textures are powers of two of
// at least 16 pixels with the image in their lower-left corner, bottom row
// first. Every operation ignores sprite numbers outside the table and does
// nothing while there is no device.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/values/tv_string.h"

// ---- loading -------------------------------------------------------------------
// Last-error state: 0 on success, 3 when the name does not resolve or the
// image cannot be decoded (the slot is then empty).
void load_sprite(const TvString& file, int sprite);
// load_sprite, then the animation frame size.
void load_anim(const TvString& file, int sprite, int frame_width, int frame_height);
// Only when the slot holds an image.
void set_sprite_anim(int sprite, int frame_width, int frame_height);

// ---- drawing (current alpha mode, colour and smoothing) -------------------------
void draw_sprite(int sprite, int x, int y);
void stretch_sprite(int sprite, int x, int y, int width, int height);
void zoom_sprite(int sprite, int x, int y, float x_factor, float y_factor);
// Angles in degrees, positive turns counter-clockwise on the screen.
void rotate_sprite(int sprite, int x, int y, float angle);
void rot_zoom_sprite(int sprite, int x, int y, float angle, float zoom);
void draw_anim(int sprite, int frame, int x, int y);
void stretch_anim(int sprite, int frame, int x, int y, int width, int height);
void rot_zoom_anim(int sprite, int frame, int x, int y, float angle, float zoom);

// ---- collisions ----------------------------------------------------------------
int sprite_collision(int sprite1, int x1, int y1, int sprite2, int x2, int y2);
int anim_collision(int sprite1, int frame1, int x1, int y1, int sprite2, int frame2, int x2,
                   int y2);

// ---- grabbing and queries ------------------------------------------------------
// Copies the target area with top-left corner (x, y) into the sprite. Returns 1.
int grab_sprite(int sprite, int x, int y, int width, int height);
void sprite_size(int sprite, int& width, int& height);
void sprite_size(int sprite, double& width, double& height);
// First sprite number 0-65503 whose slot is empty, or -1.
int free_sprite_slot();
unsigned sprite_texture(int sprite);

// ---- shared with the font, background and surface modules ----------------------
// The slot, or null for a number outside the table or without a device.
SpriteSlot* sprite_slot(int sprite);
// Deletes both textures (while a context exists), resets the sizes and
// extents and drops the collision mask; the frame size stays.
void release_sprite_slot(int sprite);
void discard_collision_mask(int sprite);
// The largest texture side the driver takes (queried once).
int max_texture_size();
// The one place image files are read: the name is resolved like every
// other file name of the runtime. False when it does not resolve.
bool read_image_file(const char* name, std::vector<uint8_t>& bytes);
bool image_file_resolves(const char* name);
// Resolves, decodes (BMP, PNG, JPEG) and uploads an image into a slot, as
// sprites and fonts load: fonts use nearest filtering and no transparent-
// pixel fill. False (slot empty) when the file is missing or undecodable.
bool load_image_into_slot(int sprite, const char* file, TvColor colour_key, bool font);
// Replaces the slot's main texture with `image` and sets its sizes.
void upload_slot_texture(int sprite, const TextureImage& image, bool nearest);
// draw_sprite with the alpha test off: the pixels go back exactly, also the
// see-through ones (the surface fallback restores the window's corner).
void draw_sprite_exactly(int sprite, int x, int y);
// Frees every slot; textures only while the context exists.
void free_sprite_table(OpenGLVadeviva& device);

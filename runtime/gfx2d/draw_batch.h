// draw_batch.h - the 2D drawing of a frame as one recorded vertex stream.
//
// Every primitive, sprite, text and polygon batch appends its triangles (or
// lines) to one stream, together with the state its run of vertices needs:
// target, viewport and projection, texture and its filter and wrap, blend
// and alpha test, constant or per-vertex colour, shading, rotation. Runs
// with equal state merge, so a frame of rectangles or a screen of text is a
// single draw call. The stream is submitted in order when something reads
// or retargets the frame (submit_drawing), and at presentation.
//
// The stream of a whole frame is kept, also across submissions, so that
// show_frame can tell a frame identical to the one on screen and skip
// rasterising and presenting it. A caller that knows its own part of the
// frame is unchanged (the toolkit, by its state) need not even record it:
// it marks that part once, and later asks for the presented frame's copy.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/gfx2d/device.h"

enum BlendMode : int8_t { BLEND_OFF = 0, BLEND_TRANSLUCENT = 1, BLEND_ADDITIVE = 2 };
enum RunKind : int8_t { RUN_TRIANGLES = 0, RUN_LINES = 1, RUN_CLEAR = 2 };

// The state one run of vertices is drawn with. Compared bytewise: every
// member is set and the padding is zeroed.
struct RunState {
  int32_t target = -1;           // off-screen surface or -1 for the window
  int32_t viewport[4] = {0, 0, 0, 0};  // GL viewport: x, y from the bottom, w, h
  int32_t ortho_w = 0, ortho_h = 0;    // projection: one unit per pixel
  uint32_t texture = 0;          // 0 = untextured
  int8_t kind = RUN_TRIANGLES;
  int8_t filter = -1;            // -1 leave the texture's filter, 0 nearest, 1 linear
  int8_t clamp = 0;              // set the texture's wrap to clamp-to-edge
  int8_t blend = BLEND_OFF;
  int8_t alpha_test = 1;
  int8_t colour_array = 0;       // per-vertex colours, else (1, 1, 1, constant_alpha)
  int8_t smooth = 0;             // smooth shading and dithering
  int8_t pixel_shift = 0;        // projection moved by 0.375 pixel (primitives)
  float constant_alpha = 1;
  float rotate[3] = {0, 0, 0};   // translate x, y, then turn by angle degrees
  int32_t rotated = 0;
  float clear_rgba[4] = {0, 0, 0, 0};  // RUN_CLEAR: colour
  int32_t clear_depth = 0;             // RUN_CLEAR: depth buffer too
};

struct DrawRun {
  RunState state;
  uint32_t first = 0;  // first vertex in the stream
  uint32_t count = 0;
};

// State for a run drawn with the device's current settings: target,
// viewport, projection, blend, alpha test and alpha factor.
RunState current_run_state();

// Appends vertices in `state`'s run (a new run unless the last one has equal
// state and is not submitted yet). Returns where to write `count` vertices.
PolyVertex* record_vertices(const RunState& state, int count);
// An axis-aligned quad as two triangles: corners (x0, y0) .. (x1, y1),
// texture (u0, v0) at the top-left corner and (u1, v1) at the bottom-right.
void record_quad(const RunState& state, float x0, float y0, float x1, float y1, float u0,
                 float v0, float u1, float v1, const uint8_t rgba[4]);
// Clears the current target (colour, and depth when asked) in stream order.
void record_clear(float r, float g, float b, float a, bool depth);

// Draws everything recorded and not yet drawn, in order; afterwards the GL
// state is the device's current one. Call before reading the frame,
// changing the target or changing a texture.
void submit_drawing();
// Before a texture's pixels or parameters change, or it is deleted or
// made: pending drawing goes first, and frames using it count as changed.
void texture_changing(unsigned texture);
// What a texture's pixels hold, told where they are uploaded: whether its
// alpha is all 255 or only 0 and 255 (a run under the alpha test can then
// be drawn blended instead, with the same pixels), and an opaque white
// texel (untextured runs of the first frame can sample it, and so share
// both the driver program and the bound texture with text). Any
// texture_changing forgets it. Call after the upload, with the pixels as
// uploaded (RGBA, width x height) and whether the filter is nearest.
void texture_uploaded(unsigned texture, const uint8_t* rgba, int width, int height, bool nearest);
// The byte the rasteriser makes of a constant alpha: vertices carrying it
// in their colour draw exactly as the constant does, so textured runs in a
// translucent mode can share the per-vertex colour's program. Scaled by
// 255/256 and rounded to 1/256, ties to even, as the software driver does;
// a driver rounding otherwise differs at most by one in a tie.
uint8_t alpha_byte(float alpha);
// Sets the GL state to the device's current 2D state (blend, alpha test,
// colour, viewport and projection; texturing off).
void apply_device_state();

// ---- whole frames --------------------------------------------------------------
// True when everything recorded since the last presentation equals the
// presented frame, no texture it uses changed since, and nothing (expose,
// resize, re-scale) asked for a redraw.
bool frame_unchanged();
// The recorded frame was drawn and presented: it becomes the one to compare.
void frame_presented();
// The recorded frame equals the presented one and is dropped undrawn.
void frame_dropped();
// The window's content must be drawn again at the next presentation.
void invalidate_presented_frame();
// ---- a part of the frame repeated unrecorded --------------------------------------
// Mark where a caller's part of the frame begins and ends (one part per
// frame; a second one in the same frame makes neither repeatable). Drawing
// before and after a part never merges into its runs.
void begin_repeatable_part();
void end_repeatable_part();
// Instead of recording its part again: true when the presented frame has
// such a part, what this frame recorded so far equals what came before it
// there, and neither its textures nor an expose/resize/re-scale changed the
// window since. The part then counts as recorded, equal to the presented one,
// at no cost; it is copied only if more is drawn or read in this frame. On
// false nothing changed: record the part as usual.
bool repeat_presented_part();
// ---- a frame drawn only where it changed -----------------------------------------------
// Notes an area of the frame being recorded, in the current coordinates,
// whose pixels may change from one frame to the next while all else stays
// (the caret's blink).
void note_changing_area(float x0, float y0, float x1, float y1);
// The caller vouches that its part of this frame (after end_repeatable_part)
// equals the presented frame's part everywhere outside the areas noted in
// either frame. When the frame before the part equals the presented one too,
// nothing follows the part, and the window's back buffer still holds the
// presented frame, the frame is drawn only inside those areas.
void part_changed_only_in_noted_areas();
// The frame is drawn and about to be presented: its noted areas are read
// back, so that the next frame can tell whether the back buffer kept it.
// A frame drawn off-screen and scaled into the window (`drawn_into_window`
// false) is not drawn in parts.
void frame_about_to_present(bool drawn_into_window = true);
// Frames drawn only where they changed (for tests and benchmarks).
uint64_t partly_drawn_frames();
// Drops everything (device going away).
void reset_draw_batch();
// Draw calls submitted and frames presented since start (for tests and
// benchmarks).
uint64_t submitted_draw_calls();
uint64_t presented_frames();
// Vertices the frame being recorded holds now (for tests: what a scene costs).
size_t recorded_vertices();
// Vertices the two frame buffers (recorded and presented) have room for.
size_t kept_vertex_room();
// Different driver programs (texturing, sampling, blend, alpha test,
// colour source and shading of the runs as drawn) met since start, for
// tests: each costs the software driver a compile in the first frame.
size_t draw_programs_met();

// modal.cpp - the end key switched off around the built-in modal dialogs.
#include "vexui/modal.h"

#include "runtime/frame/frame_loop.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"

namespace {

constexpr int kDepth = 16;

int depth = 0;
bool escape_was_on = true;
bool armed[kDepth] = {};  // Escape was seen up since that dialog began

}  // namespace

void vexui_modal_begin() {
  if (depth == 0) escape_was_on = escape_ends_program;
  escape_switch(0);
  if (depth < kDepth) armed[depth] = false;
  ++depth;
}

bool vexui_modal_escape() {
  if (depth <= 0) return false;
  bool& ready = armed[depth <= kDepth ? depth - 1 : kDepth - 1];
  bool held = key_state(SCAN_ESCAPE) != 0;
  if (!held) ready = true;
  return held && ready;
}

void vexui_modal_end() {
  if (depth <= 0) return;
  if (--depth > 0) {
    // the press that closed the inner dialog must not close this one too
    if (depth <= kDepth) armed[depth - 1] = false;
    return;
  }
  // A release takes effect at a later frame start: wait for it here, so the
  // next frame's end-key check does not see the press that closed us.
  for (int i = 0; i < 400 && escape_was_on && key_state(SCAN_ESCAPE); i++) {
    pump_messages(lookup_message_hook());
    input_frame_start();
    sleep_ms(5);
  }
  escape_switch(escape_was_on ? 1 : 0);
}

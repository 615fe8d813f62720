// modal.cpp - the modal runner and the end key switched off around it.
#include "vexui/modal.h"

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "vexui/state.h"

namespace {

constexpr int32_t kIdleWaitMs = 300;  // the longest sleep of an idle dialog

int clamp_level(int level) { return level < VexuiModal::kDepth ? level : VexuiModal::kDepth - 1; }

// Whether Escape was seen up since the dialog at `level` (0 outermost) began.
bool& armed(int level) { return vexui_state.modal.armed[clamp_level(level)]; }

// The runtime asks before a close request ends the program: a running
// dialog that holds entered work takes it and asks its user.
bool take_close_request() {
  VexuiModal& m = vexui_state.modal;
  for (int level = 0; level < m.depth && level < VexuiModal::kDepth; ++level)
    if (m.holds_work[level]) return m.close_requested = true;
  return false;
}

uint8_t* keys_up(int level) {
  VexuiModal& m = vexui_state.modal;
  return m.keys_up[level < VexuiModal::kDepth ? level : VexuiModal::kDepth - 1];
}

void forget_keys(int level) {
  uint8_t* bits = keys_up(level);
  for (int i = 0; i < 32; ++i) bits[i] = 0;
}

}  // namespace

void vexui_modal_begin() {
  VexuiModal& m = vexui_state.modal;
  if (m.depth == 0) m.escape_was_on = escape_ends_program;
  escape_switch(0);
  set_close_request_guard(take_close_request);
  armed(m.depth) = false;
  forget_keys(m.depth);
  m.holds_work[clamp_level(m.depth)] = false;
  ++m.depth;
}

bool vexui_modal_escape() {
  VexuiModal& m = vexui_state.modal;
  if (m.depth <= 0) return false;
  bool& ready = armed(m.depth - 1);
  bool held = key_state(SCAN_ESCAPE) != 0;
  if (!held) ready = true;
  return held && ready;
}

bool vexui_modal_key(int32_t code) {
  VexuiModal& m = vexui_state.modal;
  if (m.depth <= 0 || code <= 0 || code > 255) return false;
  uint8_t* bits = keys_up(m.depth - 1);
  uint8_t bit = uint8_t(1u << (code & 7));
  if (!key_state(code)) {
    bits[code >> 3] |= bit;
    return false;
  }
  if (!(bits[code >> 3] & bit)) return false;
  bits[code >> 3] &= uint8_t(~bit);  // once per press
  return true;
}

void vexui_modal_hold_close(bool holds) {
  VexuiModal& m = vexui_state.modal;
  if (m.depth > 0) m.holds_work[clamp_level(m.depth - 1)] = holds;
}

bool vexui_modal_close_requested() {
  bool requested = vexui_state.modal.close_requested;
  vexui_state.modal.close_requested = false;
  return requested;
}

void vexui_modal_end() {
  VexuiModal& m = vexui_state.modal;
  if (m.depth <= 0) return;
  m.holds_work[clamp_level(m.depth - 1)] = false;
  if (--m.depth > 0) {
    armed(m.depth - 1) = false;  // the press that closed the inner dialog must not close this one too
    forget_keys(m.depth - 1);
    return;
  }
  // A release takes effect at a later frame start: wait for it here, so the
  // next frame's end-key check does not see the press that closed us.
  for (int i = 0; i < 400 && m.escape_was_on && key_state(SCAN_ESCAPE); i++) {
    pump_messages(lookup_message_hook());
    input_frame_start();
    sleep_ms(5);
  }
  escape_switch(m.escape_was_on ? 1 : 0);
}

int32_t vexui_modal_run(const VexuiModalStep& step, bool idle) {
  vexui_modal_begin();
  int32_t result;
  while ((result = step()) == VEXUI_DIALOG_RUNNING) {
    show_frame();
    // asleep until input, or until the frame would change by itself
    if (idle) wait_input_for(vexui_rest_ms(kIdleWaitMs));
  }
  vexui_pop_dialog();
  vexui_modal_end();
  return result;
}

// keyboard.cpp - STAND-IN until the on-screen keyboard lands: Cancel at once.
#include "vexui/keyboard.h"

TvString vexui_text_entry(const TvString& text, int32_t) { return text; }

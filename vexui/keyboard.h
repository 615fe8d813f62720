// keyboard.h - the text entry dialog with its on-screen keyboard.
#pragma once
#include "vexui/model.h"

// The edited text after OK, the given text after Cancel.
TvString vexui_text_entry(const TvString& text, int32_t accents);

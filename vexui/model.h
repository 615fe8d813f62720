// model.h - finding and inserting widgets, the constructors' common part,
// the layout elements (spacer, frame, unframe, user widgets), item lists
// and the user-widget hook.
#pragma once
#include "vexui/state.h"

int32_t vexui_find_widget(VexuiDialog& dialog, const TvString& id, int32_t create);
// The widget `id` of the top dialog, or null (also with no dialog).
VexuiWidget* vexui_find(const TvString& id);
// The constructors' common part: adds (or finds) the widget, sizes it from
// its text where the size is automatic, types it "WIDGET"; gives its index.
int32_t vexui_add_widget_index(const TvString& id, const TvString& text, int32_t width, int32_t height);

// Item lists are one text with "|" between items: `vexui_split_items` gives
// the items (none for an empty text), read strictly inside the text; empty
// parts do not count.
void vexui_split_items(const TvString& text, TvArray<TvString>& items);
int32_t vexui_count_items(const TvString& text);  // without splitting
// Where item `index` lies in the text, without copying: false when there
// is no such item. A long text's answer is kept, found again by its
// widget's text stamp, so asking each frame does not walk megabytes.
bool vexui_item_span(const TvString& text, uint64_t stamp, int32_t index, uint32_t& from, uint32_t& length);
int32_t vexui_longest_item(const TvArray<TvString>& items);  // in characters

void vexui_handle_user(VexuiWidget& widget);

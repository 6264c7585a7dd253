#pragma once

#include <cstdint>

// The widget code of the library, built into libparvexlib_widgets.so and reached only through the table
// that ParvexLibWidgetFunctions hands out.
namespace parvexlib::gui {

// Scrolls the pane (a QAbstractItemView*) so that row index of its root is the top row; a row out of range
// or one already on top leaves the pane alone.
void SetTopItem(void* pane, int32_t index);
// Gives the target pane the source pane's top row.
void SyncTopItem(void* source, void* target);
// A modal information box over the active window, its text shown as plain text. GUI thread only.
void ShowMessageBox(const char* text, const char* title);

} // namespace parvexlib::gui

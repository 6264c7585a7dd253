#pragma once

#include <cstdint>

// The widget side of the library lives in libparvexlib_widgets.so, next to libparvexlib.so, so that a
// program without a QApplication (parvexcmd) never maps QtGui or QtWidgets. The library opens it on the
// first pane or message-box call made in a widget application and keeps it open from then on.
namespace parvexlib {

// What the companion hands over. Bumped whenever a member changes, so a companion left over from another
// build is refused instead of called through the wrong slots.
constexpr uint32_t kWidgetFunctionsVersion = 1;

struct WidgetFunctions
{
    uint32_t version;
    void (*SetTopItem)(void* pane, int32_t index);  // pane: a QAbstractItemView*
    void (*SyncTopItem)(void* source, void* target); // the target shows the source's top row
    void (*ShowMessageBox)(const char* text, const char* title); // modal information box, plain text
};

// The companion's only export: extern "C" const WidgetFunctions* ParvexLibWidgetFunctions(void).
constexpr const char* kWidgetLibraryFile = "libparvexlib_widgets.so";
constexpr const char* kWidgetEntryName = "ParvexLibWidgetFunctions";
using WidgetEntry = const WidgetFunctions* (*)();

// libparvexlib's end: the companion's functions when the running application is a QApplication and the
// companion loads from the library's own folder; nullptr otherwise, and the caller falls back to what a
// headless program gets (stderr for messages, nothing for panes).
const WidgetFunctions* WidgetSide();

} // namespace parvexlib

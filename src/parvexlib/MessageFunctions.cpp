#include "LibText.h"
#include "WidgetSide.h"
#include "parvexlib.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <mutex>

using namespace parvexlib;

namespace {

// The one piece of state the library keeps: where the program wants its messages shown.
struct HandlerSlot
{
    std::mutex lock;
    PBMessageHandler handler = nullptr;
    void* context = nullptr;
};

HandlerSlot& Slot()
{
    static HandlerSlot slot;
    return slot;
}

void Show(const char* text, const char* title)
{
    PBMessageHandler handler = nullptr;
    void* context = nullptr;
    {
        std::lock_guard guard(Slot().lock);
        handler = Slot().handler;
        context = Slot().context;
    }
    const char* t = text == nullptr ? "" : text;
    const char* caption = title == nullptr ? "" : title;
    if (handler != nullptr) {
        handler(t, caption, context);
        return;
    }
    // A message box needs a widget application and its own thread; anything else gets the text on stderr.
    const QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && QThread::currentThread() == app->thread()) {
        if (const WidgetFunctions* widgets = WidgetSide()) {
            widgets->ShowMessageBox(t, caption);
            return;
        }
    }
    std::fprintf(stderr, "%s: %s\n", caption, t);
    std::fflush(stderr);
}

} // namespace

void PBSetMessageHandler(PBMessageHandler handler, void* context)
{
    std::lock_guard guard(Slot().lock);
    Slot().handler = handler;
    Slot().context = handler == nullptr ? nullptr : context;
}

void ShowInformationMessage(const char* text, const char* title) { Show(text, title); }

void ShowExplorerNotice(void)
{
    Show("If you make any changes to this folder using Explorer, you will need \n\r"
         "to run a comparison in order for Parvex to recognize the changes.",
         "Run Explorer");
}

void ShowSelectedNotice(void)
{
    Show("Rerun the comparison or select a View type to undo this action.", "Show Only Selected Objects");
}

#include "WidgetSide.h"
#include "parvexlib.h"

#include <QtGlobal>

using namespace parvexlib;

// A pane is a widget, so there is none to scroll outside a widget application: without the widget side
// both calls do nothing. A null pane never opens the widget side.
void SetTopItem(void* pane, int32_t index)
{
    if (pane == nullptr)
        return;
    if (const WidgetFunctions* widgets = WidgetSide())
        widgets->SetTopItem(pane, index);
}

// The scroll message itself is not replayed: whatever it asked of the source, the outcome that matters is
// that the target then shows the same top row, which is set directly (one scroll, no signal echo).
void SyncListViewScrolling(void* source, void* target, uint32_t message, intptr_t p1, intptr_t p2)
{
    Q_UNUSED(message);
    Q_UNUSED(p1);
    Q_UNUSED(p2);
    if (source == nullptr || target == nullptr || source == target)
        return;
    if (const WidgetFunctions* widgets = WidgetSide())
        widgets->SyncTopItem(source, target);
}

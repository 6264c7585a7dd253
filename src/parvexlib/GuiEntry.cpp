#include "GuiWidgets.h"
#include "WidgetSide.h"
#include "parvexlib_widgets_export.h"

using namespace parvexlib;

extern "C" PARVEXLIB_WIDGETS_EXPORT const WidgetFunctions* ParvexLibWidgetFunctions(void)
{
    static const WidgetFunctions functions{kWidgetFunctionsVersion, &gui::SetTopItem, &gui::SyncTopItem,
                                           &gui::ShowMessageBox};
    return &functions;
}

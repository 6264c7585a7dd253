#pragma once

#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultPane;
class GuiResultsFrame;

// The time-stamp and rename commands of the result panes (File menu and the pop-ups): "Synchronize
// Date/Time of Selected File with its Counterpart", "Set Date/Time of Selected File(s)" and "Rename
// File(s)/Folder(s)...". Each acts on the pane that last had the focus; when a file got a new time or an
// object a new name, the results are compared again or cleared, as "Auto Compare After Filename or
// Date/Time Change" says.
class GuiStampRenameCommands final
{
public:
    GuiStampRenameCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiStampRenameCommands)

    void SyncTimeStamp();
    void SetDateTimeStamp();
    void ChangeFilename();

private:
    GuiResultPane* OtherPane(const GuiResultPane* pane) const;
    void AfterChange();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
};

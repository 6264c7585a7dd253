#pragma once

#include "platform/DriveQueries.h"
#include "fileops/RowOperations.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class AppContext;
class GuiCommandRegistry;
class GuiResultPane;
class GuiResultsFrame;

// The file commands of the result panes: copy and move to the other folder or to any folder, send to
// the trash, delete permanently, objects dropped onto a pane, and a new sub-folder from a folder button's
// menu. Each runs on the pane that last had the focus with the confirmation its Options-menu mark asks
// for, and compares again or clears the results afterwards.
class GuiFileOpCommands final
{
public:
    GuiFileOpCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    ~GuiFileOpCommands();
    Q_DISABLE_COPY_MOVE(GuiFileOpCommands)

    // Tests stand in for the drives, the confirmation window and the progress window.
    void SetDriveQueries(const DriveQueries* drives) { m_drives = drives; }
    void SetConfirmation(ConfirmationAsker* confirmation) { m_confirmationOverride = confirmation; }
    void SetRunner(FileOpRunner* runner) { m_runnerOverride = runner; }

    // A drop onto pane, as the pane reports it.
    void Drop(GuiResultPane* pane, const QStringList& paths, Qt::KeyboardModifiers modifiers);
    // The new sub-folder of one side's folder box.
    void NewSubFolder(bool source);

    // The paths of a pane's selected rows (the objects a drag out of it carries).
    QStringList SelectedPaths(const GuiResultPane* pane) const;

private:
    enum class Command { CopyToOther, CopyToAny, MoveToOther, MoveToAny, Trash, Delete };
    void RunCommand(Command command);
    GuiResultPane* OtherPane(const GuiResultPane* pane) const;
    RowOpServices Services();
    // Compares again or clears the results after an operation, as the option says.
    void AfterChange(bool autoCompare);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    const DriveQueries* m_drives = &DriveQueries::System();
    std::unique_ptr<ConfirmationAsker> m_confirmation;
    std::unique_ptr<FileOpRunner> m_runner;
    ConfirmationAsker* m_confirmationOverride = nullptr;
    FileOpRunner* m_runnerOverride = nullptr;
};

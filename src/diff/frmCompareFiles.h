#pragma once

#include "compare/ResultList.h"
#include "diff/TwoFileChecks.h"

#include <QDialog>
#include <functional>
#include <memory>

class AppContext;
class DriveQueries;
class EventPump;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QUrl;

// What the window that opens the two-file comparison hands over: the folders of the comparison window
// that was active last (the main window's two path boxes, or the sub-folder differences window's two
// folders) and the name of the selected row on each side, each read from that side's own row (a side
// whose row is a placeholder has no name), plus the preset paths, which win when given.
struct CompareFilesStart
{
    QString leftFolder;
    QString rightFolder;
    QString leftName;
    QString rightName;
    QString fileOnePreset;
    QString fileTwoPreset;
};

// Shows the text differences of two files (the differences options or window); called by "Show
// &Differences" once both paths name existing files.
using ShowDifferencesFn = std::function<void(const QString& file1, const QString& file2)>;

// "Compare Two Files": two path boxes (txtFileOne, txtFileTwo, with "..." pickers and file drops), the
// check list lvwCompareFiles (one checkable row per check: Method, File #1, File #2, Result), and the
// commands Compare (TwoFileChecks), Show Differences, Sync (frmFileSync), Open File 1/2, Help and
// Close, which reads "Cancel" while a long check runs and then cancels it.
//
// Shown modally by its opener: construct, exec(), then read FileSynchronised() to decide whether the
// folder comparison must be run again (or its results cleared).
class frmCompareFiles final : public QDialog, private TwoFileChecksView
{
    Q_OBJECT

public:
    frmCompareFiles(AppContext& ctx, const CompareFilesStart& start, ShowDifferencesFn showDifferences,
                    QWidget* parent = nullptr);
    ~frmCompareFiles() override;
    Q_DISABLE_COPY_MOVE(frmCompareFiles)

    static QString Caption() { return QStringLiteral("Compare Two Files"); }

    // The name a selected row gives CompareFilesStart: its text when it is a real row, otherwise empty.
    static QString SelectedRowName(const ResultList& list, int row);

    // Whether Sync replaced one of the files while the window was open.
    bool FileSynchronised() const { return m_fileSynchronised; }

    // Replaces how a file is handed to its program (the desktop's default handler).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    // Replaces the pump the long checks poll (the window's event pump); nullptr restores it.
    void SetEventPump(EventPump* pump);
    // Replaces the drive queries handed to the file synchronisation window.
    void SetDriveQueries(const DriveQueries& drives) { m_drives = &drives; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class BarSink;

    void BuildWindow();
    void FormLoad(const CompareFilesStart& start);
    QString InitialPath(const QString& preset, const QString& folder, const QString& name) const;

    void cmdFileOne_Click();
    void cmdFileTwo_Click();
    void ChooseFile(QLineEdit* box, const QString& title, const QString& comparisonFolder, const char* label);
    void cmdCompare_Click();
    void cmdCancel_Click();
    void cmdShowDiffs_Click();
    void cmdSync_Click();
    void OpenFile(QLineEdit* box, const QString& missingText, const QString& title);
    void cmdHelp_Click();

    void SetCommandsEnabled(bool enabled, bool withCancel = false);
    TwoFileCheckMarks CheckMarks() const;

    // TwoFileChecksView
    void SetStatus(const QString& text) override;
    void RowChanged(TwoFileCheck check, const TwoFileRow& row) override;
    void LongCheckStarted() override;
    void LongCheckEnded() override;
    ProgressSink& Bar() override;

    AppContext& m_ctx;
    ShowDifferencesFn m_showDifferences;
    std::function<bool(const QUrl&)> m_openUrl;
    std::unique_ptr<EventPump> m_ownPump;
    EventPump* m_pump = nullptr;
    const DriveQueries* m_drives;
    QString m_leftFolder;
    QString m_rightFolder;
    bool m_shaRow = false;

    QLineEdit* m_txtFileOne = nullptr;
    QLineEdit* m_txtFileTwo = nullptr;
    QPushButton* m_cmdFileOne = nullptr;
    QPushButton* m_cmdFileTwo = nullptr;
    QTableWidget* m_lvwCompareFiles = nullptr;
    QPushButton* m_cmdCompare = nullptr;
    QPushButton* m_cmdShowDiffs = nullptr;
    QPushButton* m_cmdSync = nullptr;
    QPushButton* m_cmdViewFileOne = nullptr;
    QPushButton* m_cmdViewFileTwo = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdHelp = nullptr;
    QLabel* m_lblStatusInfo = nullptr;
    QProgressBar* m_prgBinaryCompare = nullptr;
    std::unique_ptr<BarSink> m_bar;

    bool m_commandRunning = false; // a command's checks are under way (events run from inside them)
    bool m_runningCheck = false;   // a check reading whole files: Cancel cancels it
    bool m_closeWhenDone = false;
    bool m_fileSynchronised = false;
};

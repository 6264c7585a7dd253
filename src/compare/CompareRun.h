#pragma once

#include "compare/CompareResults.h"
#include "compare/CompareServices.h"
#include "compare/ContentCompare.h"
#include "compare/NameLists.h"
#include "compare/ResultList.h"
#include "model/CDir.h"

#include <QString>
#include <atomic>
#include <functional>
#include <vector>

class CompareProgressView;
class EventPump;

enum class CompareOutcome { Completed, Cancelled };

// The places where a run hands over to its owner. Every hook may be left empty; an empty hook does
// nothing (menusEnabled then answers false). Sound and summary hooks decide themselves whether their
// settings ask for them: the run calls them only at the end of a completed run started by a command.
struct CompareRunHooks
{
    std::function<bool()> menusEnabled;             // the main window's top-level menus
    std::function<void(bool)> setMenusEnabled;      // disable during the run, enable at its end
    std::function<void()> noteResults;              // add to the finished rows what their owner knows
                                                    // (the pair's memory), before the panes are filled
    std::function<void()> applyViewTypes;           // fill the visible panes from the hold lists
    std::function<void(const QString&, const QString&)> addPathsToIni; // left, right folder
    std::function<void()> removeListItemsAndShowNoCompareMsg;          // the cancelled end
    std::function<void()> bringToTop;               // the main window, unless minimised
    std::function<void()> playCompareCompleteSound;
    std::function<void()> showResultsSummary;
    std::function<void()> showErrorLog;             // the user asked to see the error log; without it
                                                    // the end of a run only says where the log is
    std::function<void(const QString&)> showFilterState; // "No Filters" / "Filters"
    std::function<void(CompareOutcome)> finished;  // last of all, with how the run ended
};

// The prompt the path boxes show until a folder is chosen.
QString FolderPathPrompt();

// Runs comparisons of two folders into a CompareResults. One object per owner; one run at a time.
//
// The two sides are scanned at the same time on two threads (a scan is a pure function of a folder and
// its filters); the window thread meanwhile shows their progress and keeps the events running, and
// reports their failures after both have finished. Everything else runs on the window thread, letting
// events run once per name and testing CCompare's CompareCancelled after each.
class CompareRun final
{
public:
    CompareRun(const CompareServices& services, CompareResults& results, CompareProgressView& view, EventPump& pump,
               CompareRunHooks hooks = {});
    Q_DISABLE_COPY_MOVE(CompareRun)

    // Compares leftText with rightText. userCommand1/userCommand2 say a user command started the run:
    // then the error report, the completion sound and the summary apply. Never throws.
    CompareOutcome CompareDirs(const QString& leftText, const QString& rightText, bool userCommand1,
                               bool userCommand2);

    // The sorted union of the two scanned folders' file names, paired (step 8 of a run).
    void BuildAllFileNames();
    // Classifies every name paired by BuildAllFileNames into the hold lists.
    void ShowAllFilesInBothDirs();

    // Scans both sides one after the other on the window thread instead of at the same time.
    void SetParallelScan(bool on) { m_parallelScan = on; }
    // The milliseconds clock the scans time themselves with (a test makes a listing look slow).
    void SetScanClock(std::function<qint64()> clockMs) { m_scanClock = std::move(clockMs); }

private:
    enum class StepsEnd { Completed, Cancelled };

    StepsEnd RunSteps(const QString& leftText, const QString& rightText, bool& started);
    bool IsCancelled() const;
    void WaitForStartDelay();
    void ResetFolder(CDir& dir, const QString& text);
    bool ScanBothSides(const QString& rightText);
    bool ScanInTurn(const QString& rightText);
    bool ScanAtOnce(const QString& rightText);
    bool CheckListing(const ScanResult& result, const CDir& dir);
    bool AskSlowConnection();
    void ShowCompareMethodMessage();
    void CancelledEnd();
    void CommonEnd(bool userCommand, bool started);
    bool MenusEnabled() const;
    void SetMenus(bool enabled);

    CompareServices m_services;
    CompareResults& m_results;
    CompareProgressView& m_view;
    EventPump& m_pump;
    CompareRunHooks m_hooks;
    ContentComparer m_comparer;
    std::vector<NamePair> m_pairs;
    std::atomic<bool> m_slowConnectionDetected{false};
    std::function<qint64()> m_scanClock;
    bool m_parallelScan = true;
};

// Whether two folder texts name the same folder: their resolved real paths are equal exactly (letter
// case counts; a trailing "/" and symbolic links do not).
bool IsSameFolder(const QString& left, const QString& right);

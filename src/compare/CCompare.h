#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

// The settings that steer a comparison and the flags of the run in progress. A new object holds 0,
// false and empty texts; the saved settings are applied when the main window loads.
class CCompare final
{
public:
    enum Method : int32_t { Quick = 0, ThoroughString = 1, ThoroughCRC = 2, SHA = 3 };

    CCompare() = default;
    Q_DISABLE_COPY_MOVE(CCompare)

    int32_t CompareMethod() const { return m_compareMethod; }
    void SetCompareMethod(int32_t v) { m_compareMethod = v; }
    const QString& IncludeFilters() const { return m_includeFilters; }
    void SetIncludeFilters(const QString& v) { m_includeFilters = v; }
    const QString& ExcludeFilters() const { return m_excludeFilters; }
    void SetExcludeFilters(const QString& v) { m_excludeFilters = v; }
    bool IgnoreFAT_NTFS_TwoSecDiff() const { return m_ignoreTwoSec; }
    void SetIgnoreFAT_NTFS_TwoSecDiff(bool v) { m_ignoreTwoSec = v; }
    bool IgnoreFAT_NTFS_DaylightSavings() const { return m_ignoreDaylight; }
    void SetIgnoreFAT_NTFS_DaylightSavings(bool v) { m_ignoreDaylight = v; }
    bool ExcludeSystemFiles() const { return m_excludeSystemFiles; }
    void SetExcludeSystemFiles(bool v) { m_excludeSystemFiles = v; }
    bool ExcludeHiddenFiles() const { return m_excludeHiddenFiles; }
    void SetExcludeHiddenFiles(bool v) { m_excludeHiddenFiles = v; }
    bool ExcludeSystemFolders() const { return m_excludeSystemFolders; }
    void SetExcludeSystemFolders(bool v) { m_excludeSystemFolders = v; }
    bool ExcludeHiddenFolders() const { return m_excludeHiddenFolders; }
    void SetExcludeHiddenFolders(bool v) { m_excludeHiddenFolders = v; }

    // Set by the user's cancel (ESC in the progress window, Cancel in the two-file window); read by every
    // loop of a run, also from scan threads.
    bool CompareCancelled() const { return m_compareCancelled.load(std::memory_order_relaxed); }
    void SetCompareCancelled(bool v) { m_compareCancelled.store(v, std::memory_order_relaxed); }
    const std::atomic<bool>* CancelFlag() const { return &m_compareCancelled; }

    bool ErrorsDuringCompare() const { return m_errorsDuringCompare; }
    void SetErrorsDuringCompare(bool v) { m_errorsDuringCompare = v; }
    bool RunningCompare() const { return m_runningCompare; }
    void SetRunningCompare(bool v) { m_runningCompare = v; }

    bool CompareSubFolders() const { return m_compareSubFolders; }
    // Switching sub-folder comparison off drops the previous sub-folder results through the hook.
    void SetCompareSubFolders(bool v);
    void SetOnSubFoldersSwitchedOff(std::function<void()> hook) { m_onSubFoldersOff = std::move(hook); }

    bool AlreadyNotifiedAboutFATNTFS() const { return m_alreadyNotified; }
    void SetAlreadyNotifiedAboutFATNTFS(bool v) { m_alreadyNotified = v; }
    bool RemindAboutFATNTFSIssue() const { return m_remind; }
    void SetRemindAboutFATNTFSIssue(bool v) { m_remind = v; }
    int32_t ChunkSize() const { return m_chunkSize; }
    void SetChunkSize(int32_t v) { m_chunkSize = v; }

private:
    int32_t m_compareMethod = 0;
    QString m_includeFilters;
    QString m_excludeFilters;
    bool m_ignoreTwoSec = false;
    bool m_ignoreDaylight = false;
    bool m_excludeSystemFiles = false;
    bool m_excludeHiddenFiles = false;
    bool m_excludeSystemFolders = false;
    bool m_excludeHiddenFolders = false;
    std::atomic<bool> m_compareCancelled{false};
    bool m_errorsDuringCompare = false;
    bool m_runningCompare = false;
    bool m_compareSubFolders = false;
    bool m_alreadyNotified = false;
    bool m_remind = false;
    int32_t m_chunkSize = 0;
    std::function<void()> m_onSubFoldersOff;
};

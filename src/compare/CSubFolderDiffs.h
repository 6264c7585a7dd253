#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <vector>

// One file of a differing sub-folder, on one side. An absent file has an empty name, empty texts and
// compare result -1.
struct SubFolderDiffEntry
{
    QString fileName;          // relative to the compared sub-folder ("b.txt", "Old/b.txt")
    QString sizeText;          // digit-grouped byte count
    QString timeStamp;         // local date/time text
    int16_t compareResult = -1; // 1 Newer, 2 Older, 4 Orphan, 5 Binary; -1 absent
    qint64 size = 0;            // the bytes behind sizeText
    qint64 ticks = 0;           // last-write time stamp, 100-ns ticks since 1601 UTC

    bool IsAbsent() const { return fileName.isEmpty(); }
};

// The file-level differences found inside one compared sub-folder: two row-aligned arrays, entry i of
// DiffOne (left) and of DiffTwo (right) describing the same relative name. Indexes run from the lower
// bound to the upper bound given to the Redim operations (1..count as the comparison fills them); an
// object that was never sized answers the bounds 1..0. Index operations outside the bounds do nothing
// and answer false.
class CSubFolderDiffs final
{
public:
    // The sub-folder as the left side spells it (the name the differences are known by).
    const QString& strSubFolderName() const { return m_name; }
    void SetStrSubFolderName(const QString& name) { m_name = name; }
    // The same sub-folder as the right side spells it (Docs against docs): paths on the right are built
    // from this one. Empty means the left spelling.
    const QString& TargetSubFolderName() const { return m_targetName.isEmpty() ? m_name : m_targetName; }
    void SetTargetSubFolderName(const QString& name) { m_targetName = name; }

    // Part of either side could not be read (a folder that could not be listed, a name that is not text):
    // what was not seen is not in the arrays, so nothing of this sub-folder may be deleted on its account.
    bool Incomplete() const { return m_incomplete; }
    void SetIncomplete(bool incomplete) { m_incomplete = incomplete; }

    // Resize to lower..upper, keeping the entries whose indexes survive.
    void RedimArrayDiffOne(int lower, int upper) { Redim(m_one, m_lowerOne, lower, upper); }
    void RedimArrayDiffTwo(int lower, int upper) { Redim(m_two, m_lowerTwo, lower, upper); }

    bool AddUDTToArrayDiffOne(int index, const SubFolderDiffEntry& entry) { return Put(m_one, m_lowerOne, index, entry); }
    bool AddUDTToArrayDiffTwo(int index, const SubFolderDiffEntry& entry) { return Put(m_two, m_lowerTwo, index, entry); }
    bool AddUDTToArrayDiffOne(int index, const QString& fileName, const QString& sizeText, const QString& timeStamp,
                              int16_t compareResult);
    bool AddUDTToArrayDiffTwo(int index, const QString& fileName, const QString& sizeText, const QString& timeStamp,
                              int16_t compareResult);

    bool GetUDTFromArrayDiffOne(int index, QString& fileName, QString& sizeText, QString& timeStamp,
                                int16_t& compareResult) const;
    bool GetUDTFromArrayDiffTwo(int index, QString& fileName, QString& sizeText, QString& timeStamp,
                                int16_t& compareResult) const;

    void GetArrayDiffOneDimensions(int& lower, int& upper) const;
    void GetArrayDiffTwoDimensions(int& lower, int& upper) const;

    // Direct read access, in index order, for code that walks every entry.
    const std::vector<SubFolderDiffEntry>& DiffOne() const { return m_one; }
    const std::vector<SubFolderDiffEntry>& DiffTwo() const { return m_two; }
    // Takes both arrays whole (equal lengths), indexed from 1.
    void Assign(std::vector<SubFolderDiffEntry> one, std::vector<SubFolderDiffEntry> two);

private:
    static void Redim(std::vector<SubFolderDiffEntry>& v, int& lowerField, int lower, int upper);
    static bool Put(std::vector<SubFolderDiffEntry>& v, int lowerField, int index, const SubFolderDiffEntry& e);
    static const SubFolderDiffEntry* At(const std::vector<SubFolderDiffEntry>& v, int lowerField, int index);

    QString m_name;
    QString m_targetName;
    std::vector<SubFolderDiffEntry> m_one;
    std::vector<SubFolderDiffEntry> m_two;
    int m_lowerOne = 1;
    int m_lowerTwo = 1;
    bool m_incomplete = false;
};

// The differences of every differing sub-folder of the last run, in sub-folder order.
using SubFolderDiffsList = std::vector<CSubFolderDiffs>;

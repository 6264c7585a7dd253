#pragma once

#include "compare/ResultList.h"

#include <QString>
#include <cstdint>
#include <vector>

// The file-level differences found inside one compared sub-folder: two row-aligned result lists, row i of
// DiffOne (left) and of DiffTwo (right) describing the same relative name. A row's text is the file's
// path below the sub-folder ("Old/b.txt") in its own side's spelling, its icon the category; a side
// without the file holds a placeholder row.
//
// The index operations address rows from the lower bound to the upper bound given to the Redim
// operations (1..count as the comparison fills them); an object that was never sized answers the bounds
// 1..0. Index operations outside the bounds do nothing and answer false. They speak of a category as its
// number (1 Newer, 2 Older, 4 Orphan, 5 Binary), -1 for a placeholder row.
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
    // what was not seen is not in the lists, so nothing of this sub-folder may be deleted on its account.
    bool Incomplete() const { return m_incomplete; }
    void SetIncomplete(bool incomplete) { m_incomplete = incomplete; }

    // Resize to lower..upper, keeping the rows whose indexes survive.
    void RedimArrayDiffOne(int lower, int upper) { Redim(m_one, m_lowerOne, lower, upper); }
    void RedimArrayDiffTwo(int lower, int upper) { Redim(m_two, m_lowerTwo, lower, upper); }

    bool AddUDTToArrayDiffOne(int index, const ResultRow& row) { return Put(m_one, m_lowerOne, index, row); }
    bool AddUDTToArrayDiffTwo(int index, const ResultRow& row) { return Put(m_two, m_lowerTwo, index, row); }
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

    // The rows in index order, for code that walks every one.
    const ResultList& DiffOne() const { return m_one; }
    const ResultList& DiffTwo() const { return m_two; }
    // The rows to write into (the notes a comparison adds afterwards).
    ResultList& DiffOneRows() { return m_one; }
    ResultList& DiffTwoRows() { return m_two; }
    // Takes both lists whole (equal lengths), indexed from 1.
    void Assign(ResultList one, ResultList two);

private:
    static void Redim(ResultList& rows, int& lowerField, int lower, int upper);
    static bool Put(ResultList& rows, int lowerField, int index, const ResultRow& row);
    static const ResultRow* At(const ResultList& rows, int lowerField, int index);

    QString m_name;
    QString m_targetName;
    ResultList m_one;
    ResultList m_two;
    int m_lowerOne = 1;
    int m_lowerTwo = 1;
    bool m_incomplete = false;
};

// The differences of every differing sub-folder of the last run, in sub-folder order.
using SubFolderDiffsList = std::vector<CSubFolderDiffs>;

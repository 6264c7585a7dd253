#pragma once

#include "compare/ResultList.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CDir;

// The order of every name list the program shows or searches: the locale's collation ignoring case, ties
// broken by the exact text so that names differing only in case (README, Readme) keep a stable order.
// The C locale has no collation of its own: there names compare by code point, ignoring case.
// The comparator precomputes collation keys; build one per sort and reuse it for a list's searches.
class NameOrder final
{
public:
    NameOrder();
    ~NameOrder();
    Q_DISABLE_COPY_MOVE(NameOrder)

    // <0, 0, >0 as a sorts before, equal to, after b (0 only for identical texts).
    int Compare(const QString& a, const QString& b) const;
    // Like Compare, but 0 for texts that differ only in letter case.
    int CompareIgnoringCase(const QString& a, const QString& b) const;

    // Sorts names in this order. Cheap per name: a key is computed once per name. allowShortcut: large
    // lists of plain ASCII names may be keyed without the collator where that is proven to agree with it.
    void Sort(QStringList& names, bool allowShortcut = true) const;
    // The permutation that puts count texts (textAt(0) ...) in this order.
    std::vector<qsizetype> SortedIndexes(qsizetype count, const std::function<const QString&(qsizetype)>& textAt) const;
    std::vector<qsizetype> SortedIndexes(qsizetype count, const std::function<const QString&(qsizetype)>& textAt,
                                         bool allowShortcut) const;

private:
    // Keys every text with the collator; the answer holds indexOf(i) for each sorted position's i.
    std::vector<qsizetype> SortedIndexesByCollator(qsizetype count, const std::function<const QString&(qsizetype)>& textAt,
                                                   const std::function<qsizetype(qsizetype)>& indexOf) const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// One file name of the union of two folders: the index of the entry in each side's list, -1 where the
// side has no partner. Names are paired by exact spelling first, then ignoring case, so a folder holding
// README and Readme keeps both; whatever stays without a partner is an orphan.
struct NamePair
{
    qsizetype left = -1;
    qsizetype right = -1;
};

// The sorted union of two name lists as pairs (in the order of NameOrder, by the left spelling where the
// left side has the name). Hashes the names and sorts once, so a million names pair in about a second.
// Answers an empty list when cancel becomes true on the way; cancel may be null.
std::vector<NamePair> PairNames(const QStringList& leftNames, const QStringList& rightNames,
                                const std::atomic<bool>* cancel = nullptr);

// PairNames over the file names of two folders; the indexes are into each folder's Files().
std::vector<NamePair> PairFiles(const CDir& left, const CDir& right, const std::atomic<bool>* cancel = nullptr);

// Finds rows of a result list by name in constant time per look-up, in any row order (placeholder rows,
// with empty text, are never found): for callers that look up many names in one list.
class ResultRowIndex final
{
public:
    explicit ResultRowIndex(const ResultList& rows);
    // The first row with text's spelling, else the first row equal ignoring case, else -1.
    qsizetype Find(const QString& text) const;

private:
    QHash<QString, qsizetype> m_exact;
    QHash<QString, qsizetype> m_folded;
};

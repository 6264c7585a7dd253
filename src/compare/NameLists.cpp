#include "compare/NameLists.h"

#include "app/ErrorHandler.h"
#include "app/ProgressSink.h"
#include "model/CDir.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <numeric>

struct NameOrder::Impl
{
    QCollator collator;
    // The C locale: Qt's collator there compares code points, and its sort keys would not ignore case.
    bool plain = false;
};

NameOrder::NameOrder() : m_impl(std::make_unique<Impl>())
{
    const QLocale locale;
    m_impl->plain = locale.language() == QLocale::C;
    m_impl->collator = QCollator(locale);
    m_impl->collator.setCaseSensitivity(Qt::CaseInsensitive);
}

NameOrder::~NameOrder() = default;

int NameOrder::CompareIgnoringCase(const QString& a, const QString& b) const
{
    return m_impl->plain ? a.compare(b, Qt::CaseInsensitive) : m_impl->collator.compare(a, b);
}

int NameOrder::Compare(const QString& a, const QString& b) const
{
    const int r = CompareIgnoringCase(a, b);
    return r != 0 ? r : a.compare(b);
}

namespace {

// Opening a collator costs more than a whole binary search, so each thread keeps one for the current
// locale.
const NameOrder& CurrentNameOrder()
{
    thread_local std::unique_ptr<NameOrder> order;
    thread_local QString localeName;
    const QString name = QLocale().bcp47Name();
    if (order == nullptr || name != localeName) {
        order = std::make_unique<NameOrder>();
        localeName = name;
    }
    return *order;
}

// Keeps the first value stored under a key.
void InsertIfAbsent(QHash<QString, qsizetype>& hash, const QString& key, qsizetype value)
{
    if (!hash.contains(key))
        hash.insert(key, value);
}

// The permutation that sorts by a key per text, ties broken by the exact text. A key per text turns each of
// the n log n comparisons into a plain comparison, which is what makes a million names sort in about a
// second.
struct KeyPointer
{
    const QCollatorSortKey* key;
    int compare(const KeyPointer& other) const { return key->compare(*other.key); }
};

template <typename Key>
struct Keyed
{
    Key key;
    qsizetype index;
};

template <typename Key>
std::vector<qsizetype> SortByKeys(std::vector<Keyed<Key>>& entries,
                                  const std::function<const QString&(qsizetype)>& textAt)
{
    std::sort(entries.begin(), entries.end(), [&](const Keyed<Key>& a, const Keyed<Key>& b) {
        const int r = a.key.compare(b.key);
        if (r != 0)
            return r < 0;
        return textAt(a.index).compare(textAt(b.index)) < 0;
    });
    std::vector<qsizetype> order;
    order.reserve(entries.size());
    for (const Keyed<Key>& e : entries)
        order.push_back(e.index);
    return order;
}

} // namespace

std::vector<qsizetype> NameOrder::SortedIndexes(qsizetype count,
                                                const std::function<const QString&(qsizetype)>& textAt) const
{
    if (m_impl->plain) {
        std::vector<Keyed<QString>> entries;
        entries.reserve(static_cast<size_t>(count));
        for (qsizetype i = 0; i < count; ++i)
            entries.push_back({textAt(i).toCaseFolded(), i});
        return SortByKeys(entries, textAt);
    }
    // The keys stay put and the sort moves pointers to them: a key is reference-counted, and moving it
    // would count up and down at every exchange.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(count));
    std::vector<Keyed<KeyPointer>> entries;
    entries.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        keys.push_back(m_impl->collator.sortKey(textAt(i)));
        entries.push_back({KeyPointer{&keys.back()}, i});
    }
    return SortByKeys(entries, textAt);
}

void NameOrder::Sort(QStringList& names) const
{
    if (names.size() < 2)
        return;
    const std::vector<qsizetype> order =
        SortedIndexes(names.size(), [&names](qsizetype i) -> const QString& { return names.at(i); });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.append(names.at(i)); // shares the text, copies no characters
    names.swap(sorted);
}

std::vector<NamePair> PairNames(const QStringList& leftNames, const QStringList& rightNames,
                                const std::atomic<bool>* cancel)
{
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    const size_t leftCount = static_cast<size_t>(leftNames.size());
    const size_t rightCount = static_cast<size_t>(rightNames.size());
    std::vector<qsizetype> leftPartner(leftCount, -1);
    std::vector<qsizetype> rightPartner(rightCount, -1);

    // Exact spelling first.
    QHash<QString, qsizetype> leftExact;
    leftExact.reserve(leftNames.size());
    for (qsizetype i = 0; i < leftNames.size(); ++i)
        InsertIfAbsent(leftExact, leftNames.at(i), i);
    for (qsizetype j = 0; j < rightNames.size(); ++j) {
        if ((j & 0xFFF) == 0 && cancelled())
            return {};
        const auto it = leftExact.constFind(rightNames.at(j));
        if (it != leftExact.constEnd() && leftPartner[static_cast<size_t>(*it)] < 0) {
            leftPartner[static_cast<size_t>(*it)] = j;
            rightPartner[static_cast<size_t>(j)] = *it;
        }
    }
    leftExact = {};

    // Then what is left, ignoring case: within one case-folded name, in listing order on both sides.
    QHash<QString, std::vector<qsizetype>> leftByFold;
    for (qsizetype i = 0; i < leftNames.size(); ++i) {
        if (leftPartner[static_cast<size_t>(i)] < 0)
            leftByFold[leftNames.at(i).toCaseFolded()].push_back(i);
    }
    if (!leftByFold.isEmpty()) {
        QHash<QString, size_t> used;
        for (qsizetype j = 0; j < rightNames.size(); ++j) {
            if (rightPartner[static_cast<size_t>(j)] >= 0)
                continue;
            const QString folded = rightNames.at(j).toCaseFolded();
            const auto group = leftByFold.constFind(folded);
            if (group == leftByFold.constEnd())
                continue;
            size_t& next = used[folded];
            if (next < group->size()) {
                const qsizetype i = (*group)[next++];
                leftPartner[static_cast<size_t>(i)] = j;
                rightPartner[static_cast<size_t>(j)] = i;
            }
        }
    }
    if (cancelled())
        return {};

    std::vector<NamePair> pairs;
    pairs.reserve(leftCount + rightCount);
    for (size_t i = 0; i < leftCount; ++i)
        pairs.push_back(NamePair{static_cast<qsizetype>(i), leftPartner[i]});
    for (size_t j = 0; j < rightCount; ++j) {
        if (rightPartner[j] < 0)
            pairs.push_back(NamePair{-1, static_cast<qsizetype>(j)});
    }

    const auto nameOf = [&](qsizetype p) -> const QString& {
        const NamePair& pair = pairs[static_cast<size_t>(p)];
        return pair.left >= 0 ? leftNames.at(pair.left) : rightNames.at(pair.right);
    };
    const std::vector<qsizetype> order = CurrentNameOrder().SortedIndexes(static_cast<qsizetype>(pairs.size()), nameOf);
    if (cancelled())
        return {};
    std::vector<NamePair> sorted;
    sorted.reserve(pairs.size());
    for (qsizetype p : order)
        sorted.push_back(pairs[static_cast<size_t>(p)]);
    return sorted;
}

QStringList BuildAllFileNames(const QStringList& leftNames, const QStringList& rightNames, EventPump* pump,
                              const std::atomic<bool>* cancel)
{
    QStringList all;
    try {
        QSet<QString> seen;
        seen.reserve(leftNames.size() + rightNames.size());
        all.reserve(leftNames.size() + rightNames.size());
        for (const QStringList* side : {&leftNames, &rightNames}) {
            for (const QString& name : *side) {
                if (pump != nullptr)
                    pump->Pump();
                if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
                    return all;
                if (!seen.contains(name)) {
                    seen.insert(name);
                    all.append(name);
                }
            }
        }
        SortCollectionByItemtext(all);
    } catch (...) {
        // The union is best effort: whatever was gathered stands.
    }
    return all;
}

namespace {
QStringList FileNamesOf(const CDir& dir)
{
    QStringList names;
    names.reserve(dir.FileCount());
    for (const CFile& file : dir.Files())
        names.append(file.FileName());
    return names;
}
} // namespace

std::vector<NamePair> PairFiles(const CDir& left, const CDir& right, const std::atomic<bool>* cancel)
{
    return PairNames(FileNamesOf(left), FileNamesOf(right), cancel);
}

QStringList BuildAllFileNames(const CDir& left, const CDir& right, EventPump* pump, const std::atomic<bool>* cancel)
{
    return BuildAllFileNames(FileNamesOf(left), FileNamesOf(right), pump, cancel);
}

void SortCollectionByItemtext(QStringList& list, ErrorHandler* errors)
{
    try {
        if (list.size() >= 2)
            CurrentNameOrder().Sort(list);
    } catch (...) {
        if (errors != nullptr)
            errors->HandleUnexpectedError(QStringLiteral("modParvex.SortCollectionByItemtext"));
    }
}

void QuickSortStringArray(QStringList& array)
{
    if (array.size() >= 2)
        CurrentNameOrder().Sort(array);
}

void SortLongCollection(QStringList& list, ErrorHandler* errors)
{
    try {
        if (list.size() < 2)
            return;
        std::vector<std::pair<qint64, qsizetype>> values;
        values.reserve(static_cast<size_t>(list.size()));
        for (qsizetype i = 0; i < list.size(); ++i)
            values.emplace_back(list.at(i).trimmed().toLongLong(), i);
        std::stable_sort(values.begin(), values.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList sorted;
        sorted.reserve(list.size());
        for (const auto& v : values)
            sorted.append(list.at(v.second));
        list.swap(sorted);
    } catch (...) {
        if (errors != nullptr)
            errors->HandleUnexpectedError(QStringLiteral("modParvex.SortLongCollection"));
    }
}

namespace {

// The name part of a FindListItem entry. The number never holds the separator, so the last one splits.
QStringView EntryName(const QString& entry)
{
    const qsizetype at = entry.lastIndexOf(ListItemSeparator());
    return at < 0 ? QStringView(entry) : QStringView(entry).left(at);
}

int32_t EntryNumber(const QString& entry)
{
    const qsizetype at = entry.lastIndexOf(ListItemSeparator());
    return at < 0 ? 0 : QStringView(entry).mid(at + ListItemSeparator().size()).trimmed().toInt();
}

} // namespace

int32_t FindListItem(const QStringList& listA, const QStringList& listB, const QString& key)
{
    const QStringList& list = key.startsWith(QLatin1Char('/')) ? listA : listB;
    if (list.isEmpty())
        return 0;
    const NameOrder& order = CurrentNameOrder();
    // First entry not before key (ignoring case); the entries equal to key ignoring case follow it.
    qsizetype low = 0;
    qsizetype high = list.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (order.CompareIgnoringCase(EntryName(list.at(middle)).toString(), key) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    qsizetype caseVariant = -1;
    for (qsizetype i = low; i < list.size(); ++i) {
        const QString name = EntryName(list.at(i)).toString();
        if (order.CompareIgnoringCase(name, key) != 0)
            break;
        if (name == key)
            return EntryNumber(list.at(i));
        if (caseVariant < 0 && name.compare(key, Qt::CaseInsensitive) == 0)
            caseVariant = i;
    }
    return caseVariant < 0 ? 0 : EntryNumber(list.at(caseVariant));
}

qsizetype FindListItemInSortedListview(const QString& text, const ResultList& rows)
{
    if (text.isEmpty())
        return -1;
    const NameOrder& order = CurrentNameOrder();
    const bool folder = text.startsWith(QLatin1Char('/'));
    // <0 when the row comes before text: file rows before folder rows, each kind in NameOrder.
    const auto before = [&](const ResultRow& row) {
        if (row.IsFolder() != folder)
            return !row.IsFolder();
        return order.CompareIgnoringCase(row.text, text) < 0;
    };
    const qsizetype count = static_cast<qsizetype>(rows.size());
    const auto at = [&rows](qsizetype i) -> const ResultRow& { return rows[static_cast<size_t>(i)]; };
    qsizetype low = 0;
    qsizetype high = count;
    qsizetype first = count; // the first real row not before text
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        qsizetype probe = middle;
        while (probe < high && at(probe).IsPlaceholder())
            ++probe;
        if (probe == high) {
            high = middle;
            continue;
        }
        if (before(at(probe))) {
            low = probe + 1;
        } else {
            first = probe;
            high = middle;
        }
    }
    qsizetype caseVariant = -1;
    for (qsizetype i = first; i < count; ++i) {
        const ResultRow& row = at(i);
        if (row.IsPlaceholder())
            continue;
        if (row.IsFolder() != folder || order.CompareIgnoringCase(row.text, text) != 0)
            break;
        if (row.text == text)
            return i;
        if (caseVariant < 0 && row.text.compare(text, Qt::CaseInsensitive) == 0)
            caseVariant = i;
    }
    return caseVariant;
}

ResultRowIndex::ResultRowIndex(const ResultList& rows)
{
    m_exact.reserve(static_cast<qsizetype>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& text = rows[i].text;
        if (text.isEmpty())
            continue;
        InsertIfAbsent(m_exact, text, static_cast<qsizetype>(i));
        InsertIfAbsent(m_folded, text.toCaseFolded(), static_cast<qsizetype>(i));
    }
}

qsizetype ResultRowIndex::Find(const QString& text) const
{
    if (text.isEmpty())
        return -1;
    const auto exact = m_exact.constFind(text);
    if (exact != m_exact.constEnd())
        return *exact;
    return m_folded.value(text.toCaseFolded(), -1);
}

bool IsInList(const QString& text, const QStringList& list)
{
    return std::any_of(list.cbegin(), list.cend(),
                       [&text](const QString& item) { return item.compare(text, Qt::CaseInsensitive) == 0; });
}

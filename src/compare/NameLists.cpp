#include "compare/NameLists.h"

#include "model/CDir.h"
#include "model/KeyedList.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <map>
#include <mutex>
#include <numeric>
#include <string>
#include <string_view>
#include <thread>

struct NameOrder::Impl
{
    QCollator collator;
    // The C locale: Qt's collator there compares code points, and its sort keys would not ignore case.
    bool plain = false;
    QString localeName;
};

NameOrder::NameOrder() : m_impl(std::make_unique<Impl>())
{
    const QLocale locale;
    m_impl->plain = locale.language() == QLocale::C;
    // The C locale calls itself "en" in BCP 47, but orders differently.
    m_impl->localeName = m_impl->plain ? QStringLiteral("C") : locale.name();
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

namespace {

// Names of printable ASCII are by far the most common. For them the order is worked out without the
// collator: each character gets a weight (its rank among the printable characters in the collator's
// order, letters of either case alike), and a name's key is its weights, a 0, then its exact bytes, so
// that comparing keys byte for byte gives the collator's order with ties broken by the exact text.
//
// That holds only where the collator compares such names character by character, which a language with
// contractions ("ch" after "h") or ignorable characters does not. So the weights are checked once per
// locale against the collator itself, on every name of two printable characters, every name of three
// letters and many random names; when any pair comes out differently the shortcut is not used at all.
class AsciiWeights final
{
public:
    // The weights for order, or nullptr when the shortcut does not agree with it.
    static const AsciiWeights* For(const NameOrder& order, const QString& localeName);

    // 1..95 for a printable character with a weight, 0 otherwise.
    unsigned char Of(char16_t c) const { return c < 128 ? m_weight[c] : 0; }

private:
    explicit AsciiWeights(const NameOrder& order);
    bool AgreesWith(const NameOrder& order) const;

    unsigned char m_weight[128] = {};
};

// Appends the key of name to keys; false (and nothing appended) when name takes no shortcut.
bool AppendAsciiKey(const AsciiWeights& weights, const QString& name, std::string& keys)
{
    const qsizetype n = name.size();
    const char16_t* p = reinterpret_cast<const char16_t*>(name.constData());
    for (qsizetype i = 0; i < n; ++i) {
        if (weights.Of(p[i]) == 0)
            return false;
    }
    const size_t at = keys.size();
    keys.resize(at + static_cast<size_t>(2 * n + 1));
    char* out = keys.data() + at;
    for (qsizetype i = 0; i < n; ++i)
        *out++ = static_cast<char>(weights.Of(p[i]));
    *out++ = '\0';
    for (qsizetype i = 0; i < n; ++i)
        *out++ = static_cast<char>(p[i]);
    return true;
}

int CompareKeys(std::string_view a, std::string_view b) { return a.compare(b); }

AsciiWeights::AsciiWeights(const NameOrder& order)
{
    QString chars[95];
    for (int c = 0x20; c < 0x7F; ++c)
        chars[c - 0x20] = QString(QChar(c));
    std::vector<int> byOrder(95);
    std::iota(byOrder.begin(), byOrder.end(), 0);
    std::stable_sort(byOrder.begin(), byOrder.end(), [&](int a, int b) {
        return order.CompareIgnoringCase(chars[a], chars[b]) < 0;
    });
    int rank = 0;
    for (size_t i = 0; i < byOrder.size(); ++i) {
        const QString& c = chars[byOrder[i]];
        if (i == 0 || order.CompareIgnoringCase(chars[byOrder[i - 1]], c) != 0)
            ++rank;
        // A character the collator passes over has no weight of its own.
        if (order.CompareIgnoringCase(c, QString()) != 0)
            m_weight[0x20 + byOrder[i]] = static_cast<unsigned char>(rank);
    }
}

bool AsciiWeights::AgreesWith(const NameOrder& order) const
{
    QStringList samples;
    for (int a = 0x20; a < 0x7F; ++a) {
        for (int b = 0x20; b < 0x7F; ++b)
            samples << QString(QChar(a)) + QChar(b);
    }
    for (char a = 'a'; a <= 'z'; ++a) {
        for (char b = 'a'; b <= 'z'; ++b) {
            for (char c = 'a'; c <= 'z'; ++c)
                samples << QString(QLatin1Char(a)) + QLatin1Char(b) + QLatin1Char(c);
        }
    }
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < 20000; ++i) {
        QString name;
        const int length = 1 + static_cast<int>(next() % 12);
        for (int j = 0; j < length; ++j) {
            // Mostly letters and digits, as names are, with punctuation among them.
            const quint32 r = next();
            name += r % 3 == 0 ? QChar(0x20 + (r >> 4) % 95) : QChar(QStringLiteral("aBc0_9.-zY")[(r >> 4) % 10]);
        }
        samples << name;
    }
    samples.removeDuplicates();
    order.Sort(samples, /*allowShortcut=*/false);
    std::string previous;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        std::string key;
        if (!AppendAsciiKey(*this, samples.at(i), key))
            continue; // a character without a weight keeps such names off the shortcut anyway
        if (!previous.empty() && CompareKeys(previous, key) >= 0)
            return false;
        previous = std::move(key);
    }
    return true;
}

const AsciiWeights* AsciiWeights::For(const NameOrder& order, const QString& localeName)
{
    static std::mutex lock;
    static std::map<QString, std::unique_ptr<AsciiWeights>> known; // null: the shortcut disagrees
    std::lock_guard guard(lock);
    const auto it = known.find(localeName);
    if (it != known.end())
        return it->second.get();
    auto weights = std::unique_ptr<AsciiWeights>(new AsciiWeights(order));
    if (!weights->AgreesWith(order))
        weights.reset();
    return known.emplace(localeName, std::move(weights)).first->second.get();
}

// Below this many names the check of the weights would cost more than it saves.
constexpr qsizetype ShortcutFromCount = 20000;

struct AsciiEntry
{
    // The key's first sixteen bytes, big-endian, so that most comparisons are integer tests (names of one
    // folder often share a longer start than eight characters).
    quint64 head;
    quint64 head2;
    quint32 offset;
    quint32 length;
    qsizetype index;
};

quint64 KeyHead(const char* key, size_t length, size_t from)
{
    quint64 head = 0;
    for (size_t i = from; i < from + 8; ++i)
        head = (head << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    return head;
}

} // namespace

std::vector<qsizetype> NameOrder::SortedIndexes(qsizetype count,
                                                const std::function<const QString&(qsizetype)>& textAt) const
{
    return SortedIndexes(count, textAt, true);
}

std::vector<qsizetype> NameOrder::SortedIndexes(qsizetype count, const std::function<const QString&(qsizetype)>& textAt,
                                                bool allowShortcut) const
{
    const AsciiWeights* weights =
        allowShortcut && count >= ShortcutFromCount ? AsciiWeights::For(*this, m_impl->localeName) : nullptr;
    if (weights == nullptr)
        return SortedIndexesByCollator(count, textAt, [](qsizetype i) { return i; });

    std::string keys;
    std::vector<AsciiEntry> ascii;
    std::vector<qsizetype> others;
    ascii.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        const size_t offset = keys.size();
        if (AppendAsciiKey(*weights, textAt(i), keys))
            ascii.push_back({0, 0, static_cast<quint32>(offset), static_cast<quint32>(keys.size() - offset), i});
        else
            others.push_back(i);
        if (keys.size() > 0xFFFFFFFFu) // offsets are 32-bit: a list this large takes the collator's way
            return SortedIndexesByCollator(count, textAt, [](qsizetype j) { return j; });
    }
    for (AsciiEntry& e : ascii) {
        e.head = KeyHead(keys.data() + e.offset, e.length, 0);
        e.head2 = KeyHead(keys.data() + e.offset, e.length, 8);
    }
    const char* base = keys.data();
    // Equal heads of a key that ends inside them mean equal keys up to its end, where the rest decides.
    const auto before = [base](const AsciiEntry& a, const AsciiEntry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.head2 != b.head2)
            return a.head2 < b.head2;
        return CompareKeys(std::string_view(base + a.offset, a.length), std::string_view(base + b.offset, b.length)) < 0;
    };
    // Two halves on two threads, then one merge: the keys are plain bytes, so no Qt object is shared.
    const auto middle = ascii.begin() + static_cast<std::ptrdiff_t>(ascii.size() / 2);
    std::thread half([&] { std::sort(ascii.begin(), middle, before); });
    std::sort(middle, ascii.end(), before);
    half.join();
    std::inplace_merge(ascii.begin(), middle, ascii.end(), before);

    std::vector<qsizetype> order;
    order.reserve(static_cast<size_t>(count));
    if (others.empty()) {
        for (const AsciiEntry& e : ascii)
            order.push_back(e.index);
        return order;
    }
    // The other names the collator's way, then both runs merged by the full comparison.
    const std::vector<qsizetype> rest = SortedIndexesByCollator(
        static_cast<qsizetype>(others.size()), [&](qsizetype j) -> const QString& { return textAt(others[static_cast<size_t>(j)]); },
        [&](qsizetype j) { return others[static_cast<size_t>(j)]; });
    size_t a = 0;
    size_t r = 0;
    while (a < ascii.size() && r < rest.size()) {
        if (Compare(textAt(rest[r]), textAt(ascii[a].index)) < 0)
            order.push_back(rest[r++]);
        else
            order.push_back(ascii[a++].index);
    }
    for (; a < ascii.size(); ++a)
        order.push_back(ascii[a].index);
    for (; r < rest.size(); ++r)
        order.push_back(rest[r]);
    return order;
}

std::vector<qsizetype> NameOrder::SortedIndexesByCollator(qsizetype count,
                                                          const std::function<const QString&(qsizetype)>& textAt,
                                                          const std::function<qsizetype(qsizetype)>& indexOf) const
{
    std::vector<qsizetype> order;
    if (m_impl->plain) {
        std::vector<Keyed<QString>> entries;
        entries.reserve(static_cast<size_t>(count));
        for (qsizetype i = 0; i < count; ++i)
            entries.push_back({textAt(i).toCaseFolded(), i});
        order = SortByKeys(entries, textAt);
    } else {
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
        order = SortByKeys(entries, textAt);
    }
    for (qsizetype& i : order)
        i = indexOf(i);
    return order;
}

void NameOrder::Sort(QStringList& names, bool allowShortcut) const
{
    if (names.size() < 2)
        return;
    const std::vector<qsizetype> order =
        SortedIndexes(names.size(), [&names](qsizetype i) -> const QString& { return names.at(i); }, allowShortcut);
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.append(names.at(i)); // shares the text, copies no characters
    names.swap(sorted);
}

namespace {

// A left name in the index PairNames builds over a plain list of names.
struct NameRef
{
    const QString* name;
    qsizetype index;
};
struct NameRefKey
{
    const QString& operator()(const NameRef& r) const { return *r.name; }
};

// Pairs through an index of the left names that finds names ignoring case (a KeyedList: each group of
// names equal ignoring case is chained in listing order). leftIndexAt maps a position of the index to
// the left name's index, nameAt(position) answers its text.
template <typename Index, typename LeftIndexAt>
std::vector<NamePair> PairThroughIndex(const Index& index, qsizetype leftCount, LeftIndexAt leftIndexAt,
                                       const std::function<const QString&(qsizetype)>& leftNameAt,
                                       const std::function<const QString&(qsizetype)>& rightNameAt, qsizetype rightCount,
                                       const std::atomic<bool>* cancel)
{
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    std::vector<qsizetype> leftPartner(static_cast<size_t>(leftCount), -1);
    std::vector<qsizetype> rightPartner(static_cast<size_t>(rightCount), -1);
    std::vector<qsizetype> rightGroup(static_cast<size_t>(rightCount), -1);

    // Exact spelling first.
    bool variantsLeft = false;
    for (qsizetype j = 0; j < rightCount; ++j) {
        if ((j & 0xFFF) == 0 && cancelled())
            return {};
        const QString& name = rightNameAt(j);
        const qsizetype first = index.FirstIndexIgnoringCase(name);
        if (first < 0)
            continue;
        rightGroup[static_cast<size_t>(j)] = first;
        for (qsizetype p = first; p >= 0; p = index.NextIndexIgnoringCase(p)) {
            const qsizetype i = leftIndexAt(p);
            if (leftPartner[static_cast<size_t>(i)] < 0 && leftNameAt(i) == name) {
                leftPartner[static_cast<size_t>(i)] = j;
                rightPartner[static_cast<size_t>(j)] = i;
                break;
            }
        }
        variantsLeft = variantsLeft || rightPartner[static_cast<size_t>(j)] < 0;
    }
    // Then what is left, ignoring case: within one group, in listing order on both sides.
    if (variantsLeft) {
        for (qsizetype j = 0; j < rightCount; ++j) {
            const qsizetype first = rightGroup[static_cast<size_t>(j)];
            if (first < 0 || rightPartner[static_cast<size_t>(j)] >= 0)
                continue;
            for (qsizetype p = first; p >= 0; p = index.NextIndexIgnoringCase(p)) {
                const qsizetype i = leftIndexAt(p);
                if (leftPartner[static_cast<size_t>(i)] < 0) {
                    leftPartner[static_cast<size_t>(i)] = j;
                    rightPartner[static_cast<size_t>(j)] = i;
                    break;
                }
            }
        }
    }
    if (cancelled())
        return {};

    std::vector<NamePair> pairs;
    pairs.reserve(static_cast<size_t>(leftCount + rightCount));
    for (qsizetype i = 0; i < leftCount; ++i)
        pairs.push_back(NamePair{i, leftPartner[static_cast<size_t>(i)]});
    for (qsizetype j = 0; j < rightCount; ++j) {
        if (rightPartner[static_cast<size_t>(j)] < 0)
            pairs.push_back(NamePair{-1, j});
    }

    const auto nameOf = [&](qsizetype p) -> const QString& {
        const NamePair& pair = pairs[static_cast<size_t>(p)];
        return pair.left >= 0 ? leftNameAt(pair.left) : rightNameAt(pair.right);
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

} // namespace

std::vector<NamePair> PairNames(const QStringList& leftNames, const QStringList& rightNames,
                                const std::atomic<bool>* cancel)
{
    KeyedList<NameRef, NameRefKey> index;
    index.Reserve(leftNames.size());
    std::vector<qsizetype> leftOf; // position in the index -> left index (an exact duplicate is not indexed)
    leftOf.reserve(static_cast<size_t>(leftNames.size()));
    for (qsizetype i = 0; i < leftNames.size(); ++i) {
        if (index.Add(NameRef{&leftNames.at(i), i}))
            leftOf.push_back(i);
    }
    return PairThroughIndex(
        index, leftNames.size(), [&leftOf](qsizetype p) { return leftOf[static_cast<size_t>(p)]; },
        [&leftNames](qsizetype i) -> const QString& { return leftNames.at(i); },
        [&rightNames](qsizetype j) -> const QString& { return rightNames.at(j); }, rightNames.size(), cancel);
}

std::vector<NamePair> PairFiles(const CDir& left, const CDir& right, const std::atomic<bool>* cancel)
{
    // The left folder's own index of its files serves: nothing is hashed twice.
    const CDir::FileList& l = left.Files();
    const CDir::FileList& r = right.Files();
    return PairThroughIndex(
        l, l.Count(), [](qsizetype p) { return p; }, [&l](qsizetype i) -> const QString& { return l.At(i).FileName(); },
        [&r](qsizetype j) -> const QString& { return r.At(j).FileName(); }, r.Count(), cancel);
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

#pragma once

#include <QHash>
#include <QString>
#include <vector>

// An insertion-ordered list whose entries are keyed by a name (KeyOf(entry) answers it).
//
// Linux folders may hold names that differ only in letter case (README and Readme), so the key is the
// exact name: adding a key that is already present exactly is refused (the first entry stays), while
// case variants are all kept. Look-ups find the exact spelling first and otherwise the first entry,
// in insertion order, that equals the key ignoring case.
//
// One hash on the case-folded key leads to the group of entries that share it, chained in insertion
// order; an exact look-up walks that group, which nearly always holds one entry. This costs one hash
// entry and one index per name, which matters for folders of a million files.
//
// Indexes are stable; references and pointers to entries stay valid until the next Add or Clear.
template <typename T, typename KeyOf>
class KeyedList final
{
public:
    using const_iterator = typename std::vector<T>::const_iterator;

    // Appends item unless its exact key is present already; answers whether it was added.
    bool Add(T item);
    void Clear();
    void Reserve(qsizetype count);

    qsizetype Count() const { return static_cast<qsizetype>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    const T& At(qsizetype index) const { return m_items[static_cast<size_t>(index)]; }
    // Only for changing what is not the key.
    T& At(qsizetype index) { return m_items[static_cast<size_t>(index)]; }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    // The exact spelling, else the first entry equal ignoring case; -1 when none.
    qsizetype IndexOf(const QString& key) const;
    qsizetype IndexOfExact(const QString& key) const;
    // The entries equal to key ignoring case, in insertion order: start with FirstIndexIgnoringCase and
    // follow NextIndexIgnoringCase until -1.
    qsizetype FirstIndexIgnoringCase(const QString& key) const;
    qsizetype NextIndexIgnoringCase(qsizetype index) const { return m_nextSameFold[static_cast<size_t>(index)]; }
    // IndexOf as a pointer; nullptr when none.
    const T* Find(const QString& key) const;

private:
    struct Group
    {
        qsizetype first;
        qsizetype last;
    };

    std::vector<T> m_items;
    std::vector<qsizetype> m_nextSameFold;
    QHash<QString, Group> m_groups;
};

template <typename T, typename KeyOf>
bool KeyedList<T, KeyOf>::Add(T item)
{
    const QString& key = KeyOf()(item);
    const qsizetype index = Count();
    QString folded = key.toCaseFolded();
    auto it = m_groups.find(folded);
    if (it == m_groups.end()) {
        m_groups.insert(std::move(folded), Group{index, index});
    } else {
        for (qsizetype i = it->first; i >= 0; i = NextIndexIgnoringCase(i)) {
            if (KeyOf()(At(i)) == key)
                return false;
        }
        m_nextSameFold[static_cast<size_t>(it->last)] = index;
        it->last = index;
    }
    m_items.push_back(std::move(item));
    m_nextSameFold.push_back(-1);
    return true;
}

template <typename T, typename KeyOf>
void KeyedList<T, KeyOf>::Clear()
{
    m_items.clear();
    m_items.shrink_to_fit();
    m_nextSameFold.clear();
    m_nextSameFold.shrink_to_fit();
    m_groups.clear();
}

template <typename T, typename KeyOf>
void KeyedList<T, KeyOf>::Reserve(qsizetype count)
{
    m_items.reserve(static_cast<size_t>(count));
    m_nextSameFold.reserve(static_cast<size_t>(count));
    m_groups.reserve(count);
}

template <typename T, typename KeyOf>
qsizetype KeyedList<T, KeyOf>::FirstIndexIgnoringCase(const QString& key) const
{
    const auto it = m_groups.constFind(key.toCaseFolded());
    return it == m_groups.constEnd() ? -1 : it->first;
}

template <typename T, typename KeyOf>
qsizetype KeyedList<T, KeyOf>::IndexOfExact(const QString& key) const
{
    for (qsizetype i = FirstIndexIgnoringCase(key); i >= 0; i = NextIndexIgnoringCase(i)) {
        if (KeyOf()(At(i)) == key)
            return i;
    }
    return -1;
}

template <typename T, typename KeyOf>
qsizetype KeyedList<T, KeyOf>::IndexOf(const QString& key) const
{
    const qsizetype first = FirstIndexIgnoringCase(key);
    for (qsizetype i = first; i >= 0; i = NextIndexIgnoringCase(i)) {
        if (KeyOf()(At(i)) == key)
            return i;
    }
    return first;
}

template <typename T, typename KeyOf>
const T* KeyedList<T, KeyOf>::Find(const QString& key) const
{
    const qsizetype i = IndexOf(key);
    return i < 0 ? nullptr : &At(i);
}

#pragma once

#include "model/NameFold.h"

#include <QString>
#include <vector>

// An insertion-ordered list whose entries are keyed by a name (KeyOf(entry) answers it).
//
// Linux folders may hold names that differ only in letter case (README and Readme), so the key is the
// exact name: adding a key that is already present exactly is refused (the first entry stays), while
// case variants are all kept. Look-ups find the exact spelling first and otherwise the first entry,
// in insertion order, that equals the key ignoring case.
//
// The index is an open-addressing table on the hash of the case-folded key. Each slot leads to the
// first entry of a group of names equal ignoring case; the group is chained in insertion order, and an
// exact look-up walks it (it nearly always holds one entry). No key is copied into the index: a slot is
// eight bytes and a chain link four, which matters for folders of a million files.
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
    qsizetype IndexOf(QStringView key) const;
    qsizetype IndexOfExact(QStringView key) const;
    // The entries equal to key ignoring case, in insertion order: start with FirstIndexIgnoringCase and
    // follow NextIndexIgnoringCase until -1.
    qsizetype FirstIndexIgnoringCase(QStringView key) const { return FindGroup(key, FoldedHash(key)); }
    qsizetype NextIndexIgnoringCase(qsizetype index) const { return m_next[static_cast<size_t>(index)]; }
    // IndexOf as a pointer; nullptr when none.
    const T* Find(QStringView key) const;

private:
    struct Slot
    {
        quint32 tag;  // low half of the hash: the slot it belongs in, and a quick test of the key
        qint32 first; // first entry of the group; -1 for an empty slot
    };

    const QString& KeyAt(qsizetype index) const { return KeyOf()(At(index)); }
    qint32 FindGroup(QStringView key, quint64 hash) const;
    void PlaceGroup(quint64 hash, qint32 first);
    void Rehash(size_t slotCount);

    std::vector<T> m_items;
    std::vector<qint32> m_next;
    std::vector<Slot> m_slots; // a power of two in size, at most half full
    size_t m_groups = 0;
};

template <typename T, typename KeyOf>
qint32 KeyedList<T, KeyOf>::FindGroup(QStringView key, quint64 hash) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    const quint32 tag = static_cast<quint32>(hash);
    for (size_t i = tag & mask;; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.first < 0)
            return -1;
        if (s.tag == tag && EqualIgnoringCase(KeyAt(s.first), key))
            return s.first;
    }
}

template <typename T, typename KeyOf>
void KeyedList<T, KeyOf>::PlaceGroup(quint64 hash, qint32 first)
{
    const size_t mask = m_slots.size() - 1;
    const quint32 tag = static_cast<quint32>(hash);
    size_t i = tag & mask;
    while (m_slots[i].first >= 0)
        i = (i + 1) & mask;
    m_slots[i] = Slot{tag, first};
}

template <typename T, typename KeyOf>
void KeyedList<T, KeyOf>::Rehash(size_t slotCount)
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(slotCount, Slot{0, -1});
    for (const Slot& s : old) {
        if (s.first >= 0)
            PlaceGroup(s.tag, s.first); // the slot's half of the hash is all a place needs
    }
}

template <typename T, typename KeyOf>
bool KeyedList<T, KeyOf>::Add(T item)
{
    const QString& key = KeyOf()(item);
    const quint64 hash = FoldedHash(key);
    const qint32 index = static_cast<qint32>(m_items.size());
    const qint32 first = FindGroup(key, hash);
    if (first >= 0) {
        qint32 last = first;
        for (qint32 i = first; i >= 0; i = m_next[static_cast<size_t>(i)]) {
            if (KeyAt(i) == key)
                return false;
            last = i;
        }
        m_next[static_cast<size_t>(last)] = index;
    } else {
        if ((m_groups + 1) * 2 > m_slots.size())
            Rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        PlaceGroup(hash, index);
        ++m_groups;
    }
    m_items.push_back(std::move(item));
    m_next.push_back(-1);
    return true;
}

template <typename T, typename KeyOf>
void KeyedList<T, KeyOf>::Clear()
{
    std::vector<T>().swap(m_items);
    std::vector<qint32>().swap(m_next);
    std::vector<Slot>().swap(m_slots);
    m_groups = 0;
}

template <typename T, typename KeyOf>
void KeyedList<T, KeyOf>::Reserve(qsizetype count)
{
    m_items.reserve(static_cast<size_t>(count));
    m_next.reserve(static_cast<size_t>(count));
    size_t wanted = 16;
    while (wanted < static_cast<size_t>(count) * 2)
        wanted *= 2;
    if (wanted > m_slots.size())
        Rehash(wanted);
}

template <typename T, typename KeyOf>
qsizetype KeyedList<T, KeyOf>::IndexOfExact(QStringView key) const
{
    for (qsizetype i = FirstIndexIgnoringCase(key); i >= 0; i = NextIndexIgnoringCase(i)) {
        if (KeyAt(i) == key)
            return i;
    }
    return -1;
}

template <typename T, typename KeyOf>
qsizetype KeyedList<T, KeyOf>::IndexOf(QStringView key) const
{
    const qsizetype first = FirstIndexIgnoringCase(key);
    for (qsizetype i = first; i >= 0; i = NextIndexIgnoringCase(i)) {
        if (KeyAt(i) == key)
            return i;
    }
    return first;
}

template <typename T, typename KeyOf>
const T* KeyedList<T, KeyOf>::Find(QStringView key) const
{
    const qsizetype i = IndexOf(key);
    return i < 0 ? nullptr : &At(i);
}

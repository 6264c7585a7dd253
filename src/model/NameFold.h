#pragma once

#include <QChar>
#include <QStringView>
#include <QtGlobal>

// Comparing names ignoring letter case: every code point is case-folded (simple folding, as
// QString::toCaseFolded does) before it is hashed or compared. Neither function allocates.

inline char32_t FoldCodePoint(char32_t c)
{
    return c < 128 ? ((c >= U'A' && c <= U'Z') ? c + 32 : c) : QChar::toCaseFolded(c);
}

// A 64-bit hash of the case-folded name; names equal ignoring case hash alike.
quint64 FoldedHash(QStringView name);
// Whether two names are equal ignoring case.
bool EqualIgnoringCase(QStringView a, QStringView b);

#pragma once

#include "compare/ResultList.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The pictures of the eight result categories, drawn by the program itself: a page for the five file
// categories and a folder for the three folder categories, each with a coloured badge that tells the
// category apart. The grey form marks a category button whose rows are hidden.
//
// Pictures are drawn once per size and kept; asking again is cheap.
//
// unreadable adds an amber warning triangle in the upper right corner: the row's contents could not be
// read, so its category comes from size and time alone.
//
// note adds the mark of what changed since the pair's last synchronization in the upper left corner: one
// mark for an object deleted on the other side, one for a moved object, one for a pair changed on both
// sides (see RowNote).
QPixmap CategoryPixmap(Category category, bool coloured, int size, bool unreadable = false, RowNote note = RowNote::None);
QIcon CategoryIcon(Category category, bool unreadable = false, RowNote note = RowNote::None);
// The badge colour of a category, for whatever else shows categories (the summary's pie).
QColor CategoryColour(Category category);

#pragma once

#include "compare/ResultList.h"

#include <QIcon>
#include <QPixmap>

// The pictures of the eight result categories, drawn by the program itself: a page for the five file
// categories and a folder for the three folder categories, each with a coloured badge that tells the
// category apart. The grey form marks a category button whose rows are hidden.
//
// Pictures are drawn once per size and kept; asking again is cheap.
QPixmap CategoryPixmap(Category category, bool coloured, int size);
QIcon CategoryIcon(Category category);

#pragma once

#include <QIcon>

// The pictures of the differences window: its toolbar buttons and the row markers, drawn here.
enum class DiffPicture {
    PreviousDiff, NextDiff, Find, FindNext, FindPrevious, ToggleBookmark, NextBookmark, PreviousBookmark,
    ClearAllBookmarks, Print, Exit,
    // Row markers.
    Arrow, OrphanArrow, DifferArrow, BookmarkArrow, Bookmark,
};

QIcon DiffPictureIcon(DiffPicture picture);

#pragma once

#include <QIcon>

// The program's own toolbar and window pictures, drawn with QPainter at any size so the small and the
// large toolbar both stay sharp.
enum class ToolbarPicture {
    Compare,
    CompareFiles,
    Sync,
    Copy,
    Move,
    Delete,
    Properties,
    Print,
    Exit,
    Help,
    BrowseFolder, // the folder button with three dots beside each folder box
    Application,  // the window icon
};

QIcon ToolbarIcon(ToolbarPicture picture);

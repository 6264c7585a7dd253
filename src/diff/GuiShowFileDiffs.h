#pragma once

#include "diff/frmViewFileDiffOptions.h"

#include <functional>

class AppContext;
class QWidget;

// A differences run of the two files in the shared options: through the options window when "Prompt
// For Options" is on, otherwise at once. Loading shows a progress window with Cancel after a moment;
// what the run answers is shown as a message, the differences window, or both. Answers whether the
// differences window saved a file (the caller's comparison results may no longer be true).
bool ShowFileDifferences(AppContext& ctx, QWidget* parent, const DiffCallerFolders& folders,
                         const std::function<void()>& marksChanged);
// The run itself with the stored options (the options window's OK ends here); answers as above.
bool RunFileDifferences(AppContext& ctx, QWidget* parent);

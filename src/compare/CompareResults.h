#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"
#include "model/CDir.h"

class ErrorHandler;

// Everything one comparison leaves behind, owned by whoever shows it (the main window, the headless
// front end): the two scanned folders, the two row-aligned hold lists and the per-sub-folder differences.
struct CompareResults
{
    explicit CompareResults(ErrorHandler& errors) : source(errors), target(errors) {}

    CDir source;                          // left side
    CDir target;                          // right side
    ResultList holdSource;                // every left row of the last run
    ResultList holdTarget;                // every right row, row-aligned with holdSource
    SubFolderDiffsList allSubFolderDiffs; // the differing sub-folders of the last run, in order
};

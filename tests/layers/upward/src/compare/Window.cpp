// Engine code including a window and naming the context: both refused.
#include "compare/frmCompareProgress.h"
class AppContext;

#include "diff/cViewFileDiffsOptions.h"

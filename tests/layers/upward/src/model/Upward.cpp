// A model file reaching up into the comparison: the layer check must refuse it.
#include "compare/CCompare.h"

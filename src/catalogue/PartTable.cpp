#include "PartTable.h"

#include "bus/RtcBus.h"

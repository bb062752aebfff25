#include "quadcalc/quadcalc.h"

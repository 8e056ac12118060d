#include "ScheduleRules.h"

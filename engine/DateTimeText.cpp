#include "DateTimeText.h"

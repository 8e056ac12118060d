#include "Journal.h"

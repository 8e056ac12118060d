#include "TaskFile.h"

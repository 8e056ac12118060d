#include "uEncrypt.h"

#include "BackupPass.h"

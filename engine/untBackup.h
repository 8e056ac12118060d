#pragma once

// The backup engine in one include: task file, due rules, journal, pass.
#include "BackupPass.h"
#include "DateTimeText.h"
#include "Journal.h"
#include "ScheduleRules.h"
#include "TaskFile.h"
#include "uEncrypt.h"

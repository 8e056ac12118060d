#pragma once

#include "Clock.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

// One due task the pass attempted.
struct BackupAttempt {
    int line = -1;     // index of the task line in Settings.ini
    QString server;    // server name from the server (or the task's Server when not connected)
    QString database;
    QString target;    // backup file name; empty when not connected
    QString result;    // "Succesfull" or the error text
    bool connected = false;
    bool succeeded = false;
};

struct BackupPassReport {
    QList<BackupAttempt> attempts;
    // Failures the pass survived but the user must hear of (the journal could
    // not be written, the task file could not be written back).
    QStringList problems;
    bool allSucceeded() const;
};

struct BackupPassOptions {
    const Clock *clock = nullptr; // the system clock when null
    // Called before each due task is connected to (server field, database).
    std::function<void(const QString &server, const QString &database)> taskStarting;
    // Checked between tasks: when set, the pass stops taking new tasks but
    // still writes the task file back.
    const std::atomic_bool *stopRequested = nullptr;
};

// Held in programDir while a pass runs, so two programs sharing the folder
// never run passes at once.
inline const QString BackupPassLockName = QStringLiteral(".orvell-backup-pass.lock");

// One pass over the task file in programDir. Never throws.
BackupPassReport RunBackupPass(const QString &programDir, const BackupPassOptions &options = {});

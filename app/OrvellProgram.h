#pragma once

#include <QStringList>

// The program: one copy only, the data module, the main window (hidden in
// the tray with "/hide"), then the event loop. Needs the QApplication made by
// main(); returns the exit code.
int OrvellBackupMain(const QStringList &arguments);

// Only an exact first parameter "/hide" starts the program hidden.
bool IsHiddenStart(const QStringList &arguments);

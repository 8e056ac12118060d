#pragma once

#include "SqlQuote.h"

#include <QString>

// The texts of the restore sequence, apart from the window that runs it.
// Every name and path put into a statement is quoted, so a "'" in a path or a
// "]" in a logical name ends nothing early.
namespace RestoreSql {

// The characters a new database's name must not hold: blank . , { } [ ] \ / -
// * = + ? ! & ( ) ^ # @ " '
bool HasRefusedCharacter(const QString &name);

using ::BracketQuoted;
using ::TextQuoted;

QString DatabaseCountSql(const QString &name); // column KOL
QString DataFileSql();                         // column filename
QString FileListSql(const QString &backupPath);

// The folder of the primary data file as the server names it, ending in its
// separator; empty when the name holds no folder.
QString DataFolderOf(const QString &dataFileName);

// RESTORE DATABASE moving the data and the log file to targetBase + "mdf" and
// targetBase + "ldf" (targetBase is the data folder and the database name).
QString RestoreDatabaseSql(const QString &name, const QString &backupPath, const QString &targetBase,
                           const QString &dataLogicalName, const QString &logLogicalName);

} // namespace RestoreSql

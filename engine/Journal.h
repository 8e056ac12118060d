#pragma once

#include <QString>
#include <QStringList>

inline const QString JournalFileName = QStringLiteral("Backup.log");
inline const QString RestoreJournalTarget = QStringLiteral("Restore database");

// A TAB, CR or LF inside a field becomes a blank, so an attempt stays one line.
QString JournalFieldText(const QString &value);
// The fields (moment, result, server, database, target) made safe and joined by TAB.
QString JoinJournalLine(const QStringList &fields);

// Appends the line and CR LF to programDir + Backup.log, creating the file.
// Throws OrvellError with the system's text when it cannot.
void AppendJournalLine(const QString &programDir, const QString &line);

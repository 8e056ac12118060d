#include "RestoreSql.h"

namespace RestoreSql {

bool HasRefusedCharacter(const QString &name)
{
    static const QString refused = QStringLiteral(" .,{}[]\\/-*=+?!&()^#@\"'");
    for (const QChar c : name) {
        if (refused.contains(c))
            return true;
    }
    return false;
}

QString DatabaseCountSql(const QString &name)
{
    return QStringLiteral("select count(name) as KOL from master..sysdatabases where name=") + TextQuoted(name);
}

QString DataFileSql()
{
    return QStringLiteral("select filename from dbo.sysfiles where fileid = 1");
}

QString FileListSql(const QString &backupPath)
{
    return QStringLiteral("RESTORE FILELISTONLY FROM DISK=") + TextQuoted(backupPath) + QStringLiteral(" WITH FILE = 1");
}

QString DataFolderOf(const QString &dataFileName)
{
    // SQL Server on Windows names its files with "\", on Linux with "/".
    QString folder = dataFileName.trimmed();
    while (!folder.isEmpty() && !folder.endsWith(QLatin1Char('\\')) && !folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder.trimmed();
}

QString RestoreDatabaseSql(const QString &name, const QString &backupPath, const QString &targetBase,
                           const QString &dataLogicalName, const QString &logLogicalName)
{
    const QString base = targetBase.trimmed();
    return QStringLiteral("RESTORE DATABASE ") + BracketQuoted(name) + QStringLiteral(" FROM DISK=")
           + TextQuoted(backupPath) + QStringLiteral(" WITH  MOVE ") + TextQuoted(dataLogicalName)
           + QStringLiteral(" TO ") + TextQuoted(base + QStringLiteral("mdf")) + QStringLiteral(", MOVE ")
           + TextQuoted(logLogicalName) + QStringLiteral(" TO ") + TextQuoted(base + QStringLiteral("ldf"))
           + QStringLiteral(", replace");
}

} // namespace RestoreSql

#include "TargetChecks.h"

#include "Ado.h"
#include "ui/untMyDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

QString FolderExistsSql()
{
    return QStringList {
        QStringLiteral("if isnull(object_id('tempdb..#TempTableFileEx'),0)>0 drop table #TempTableFileEx"),
        QStringLiteral("create table #TempTableFileEx (File_Exists int, Dir int, ParentDir int)"),
        QStringLiteral("insert #TempTableFileEx"),
        QStringLiteral("exec master..xp_fileexist :@PathName"),
        QStringLiteral("select File_Exists,Dir,ParentDir from #TempTableFileEx"),
    }
        .join(QStringLiteral("\r\n"));
}

FolderOnServer CheckFolderOnServer(TADOQuery &qryFolderExists, TADOConnection *connection, const QString &path)
{
    try {
        qryFolderExists.Connection = connection;
        if (!connection || !connection->Connected())
            return FolderOnServer::NoAnswer;
        qryFolderExists.Close();
        qryFolderExists.SQL = FolderExistsSql();
        qryFolderExists.SetParameter(QStringLiteral("@PathName"), path.trimmed());
        qryFolderExists.Open();
        if (qryFolderExists.Eof())
            return FolderOnServer::NoAnswer;
        return qryFolderExists.FieldByName(QStringLiteral("Dir")).AsInteger() == 1 ? FolderOnServer::Found
                                                                                   : FolderOnServer::NotFound;
    } catch (const std::exception &) {
        return FolderOnServer::NoAnswer;
    }
}

QString WriteProbePath(const QString &folder)
{
    QString path = folder.trimmed();
    // Paths opened on this machine take its own separator; the server's
    // backslash form would name a file beside the folder here.
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path + QStringLiteral("Orvell_Params.INI");
}

bool CheckFolderWritable(const QString &folder, const QString &message)
{
    // Nothing typed is reported by the caller as a missing path; probing the
    // root of the file system for it would only give a misleading answer.
    if (folder.trimmed().isEmpty())
        return true;
    const QString probe = WriteProbePath(folder);
    const QFileInfo existing(probe);
    if (existing.exists() || existing.isSymLink())
        QFile::remove(probe);
    QFile file(probe);
    if (!file.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
        ShowPlainMessage(message);
        return false;
    }
    file.close();
    if (QFileInfo::exists(probe))
        QFile::remove(probe);
    return true;
}

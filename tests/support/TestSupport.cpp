#include "TestSupport.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

void UseTemporaryUserFolders()
{
    static QTemporaryDir home;
    const QString root = home.path();
    QDir(root).mkpath(QStringLiteral("config"));
    QDir(root).mkpath(QStringLiteral("data"));
    qputenv("XDG_CONFIG_HOME", QDir(root).filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", QDir(root).filePath(QStringLiteral("data")).toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir(root).filePath(QStringLiteral("config")));
}

TempProgramDir::TempProgramDir() = default;

QString TempProgramDir::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TempProgramDir::file(const QString &name) const
{
    return path() + name;
}

#include "AutoStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString RunValueName = QStringLiteral("Orvell Backup for MS SQL Server");

// Quotes an argument for a desktop entry's Exec key: inside double quotes `"`,
// `` ` ``, `$` and `\` take a backslash; then the value itself escapes `\`
// again, and `%` doubles so it is not read as a field code.
QString execQuoted(const QString &argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted = u'"' + quoted + u'"';
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return quoted;
}

#ifdef Q_OS_WIN
QSettings runKey()
{
    return QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\microsoft\\windows\\currentVersion\\Run"),
                     QSettings::NativeFormat);
}
#endif
} // namespace

TSessionAutoStart::TSessionAutoStart(QString programPath)
    : m_programPath(programPath.isEmpty() ? QCoreApplication::applicationFilePath() : std::move(programPath))
{
}

QString TSessionAutoStart::EntryPath() const
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/orvell-backup.desktop");
}

QString TSessionAutoStart::CommandLine() const
{
    return execQuoted(QDir::toNativeSeparators(m_programPath)) + QStringLiteral(" /hide");
}

bool TSessionAutoStart::IsOn() const
{
#ifdef Q_OS_WIN
    return runKey().contains(RunValueName);
#else
    return QFile::exists(EntryPath());
#endif
}

bool TSessionAutoStart::SetOn(bool on, QString *error)
{
#ifdef Q_OS_WIN
    QSettings key = runKey();
    if (on)
        key.setValue(RunValueName, QDir::toNativeSeparators(m_programPath) + QStringLiteral(" /hide"));
    else
        key.remove(RunValueName);
    key.sync();
    if (key.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("Access denied");
        return false;
    }
    return true;
#else
    const QString path = EntryPath();
    if (!on) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            if (error)
                *error = QFile(path).errorString();
            return false;
        }
        return true;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("%1: cannot create the folder").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Orvell Backup for MS SQL Server\n"
                                         "Icon=orvell-backup\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(CommandLine());
    file.write(entry.toUtf8());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
#endif
}

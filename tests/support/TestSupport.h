#pragma once

#include <QString>
#include <QTemporaryDir>

// Points QSettings (and everything under XDG_CONFIG_HOME) at a temporary
// folder for the life of the test process, so no test touches the real
// user's configuration. Call before QApplication is created.
void UseTemporaryUserFolders();

// A fresh temporary folder that stands in for the program folder.
class TempProgramDir
{
public:
    TempProgramDir();
    QString path() const; // with a trailing separator, like ProgramDir()
    QString file(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

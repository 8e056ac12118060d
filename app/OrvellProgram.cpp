#include "OrvellProgram.h"

#include "SingleInstance.h"
#include "ui/Strings.h"
#include "ui/untLang.h"
#include "ui/untMyDialog.h"
#include "untService.h"
#include "untSetting.h"

#include <QApplication>

bool IsHiddenStart(const QStringList &arguments)
{
    return arguments.size() > 1 && arguments.at(1) == QLatin1String("/hide");
}

int OrvellBackupMain(const QStringList &arguments)
{
    QApplication::setApplicationName(ApplicationTitle);
    // The main window hides into the tray; only the tray's Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    TOneInstance guard(ApplicationTitle);
    if (!guard.TryAcquire()) {
        SetLanguage(StartingLanguage()); // the warning in the system's language
        ShowPlainMessage(OneInstanceMessage());
        return 1;
    }

    TDMService service;
    TfrmSetting window(arguments);
    if (window.StartHidden)
        window.StartInTray();
    else
        window.show();
    return QApplication::exec();
}

// Takes pictures of the main window in both languages and of the About
// window, for the README. Run under Xvfb inside a private network namespace:
//   lang_screenshots OUTPUT_DIR
#include "DateTimeText.h"
#include "TaskFile.h"
#include "TestSupport.h"
#include "app/TrayIcon.h"
#include "app/untSetting.h"
#include "ui/untAbout.h"
#include "ui/untLang.h"
#include "ui/untMyDialog.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

namespace {

bool Save(QWidget *window, const QString &dir, const QString &name)
{
    QTest::qWait(300);
    const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = window->grab().save(file);
    qInfo("%s %s", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: lang_screenshots OUTPUT_DIR");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    DateTimeFormat::setCurrent(DateTimeFormat::russian());
    MessageSeam::script();
    TTrayIcon::SetAvailableForTests(false);

    TempProgramDir dir;
    const QString connect = QStringLiteral("Provider=SQLOLEDB.1|Integrated Security=SSPI|Persist Security Info=False|"
                                           "Initial Catalog=master|Data Source=SRV\\SQLEXPRESS");
    WriteTaskFile(
        dir.path(),
        { QStringLiteral("sales;23;30;14.03.2026 23:30:00;Succesfull;D:\\Backup\\;Type1;1;0;0;;0;;;0;-1;0;"
                         "SRV\\SQLEXPRESS;")
              + connect,
          QStringLiteral("warehouse;2;5;01.03.2026 2:05:00;Cannot open backup device. Operating system error 5 "
                         "(Access is denied.);D:\\Backup\\;Type4;;0;0;;0;;;15;0;0;SRV\\SQLEXPRESS;")
              + connect,
          QStringLiteral("hr;12;0;15.03.2026 9:41:12;insert_new_task;E:\\Archive\\;Type3;;0;0;;1;20.03.2026;;0;0;0;"
                         "SRV\\SQLEXPRESS;")
              + connect });
    TfrmSetting::SetProgramDirForTests(dir.path());

    TfrmSetting window;
    window.tmThreadTimerBackup->stop();
    SetLanguage(TLang::Rus);
    window.cbServers->setEditText(QStringLiteral("SRV\\SQLEXPRESS"));
    window.show();
    window.resize(960, 480); // wide enough for every column title
    window.RefreshLang();
    window.RefreshLang(); // the status bar as a switch writes it, in Russian
    bool ok = Save(&window, out, QStringLiteral("main-ru"));
    TfrmAbout *about = TfrmAbout::Open(&window);
    ok = Save(about, out, QStringLiteral("about")) && ok;

    window.RefreshLang();
    ok = Save(&window, out, QStringLiteral("main-en")) && ok;
    ok = Save(about, out, QStringLiteral("about-en")) && ok;
    return ok ? 0 : 1;
}

// Times the main window's full load of the task file (ReopenTable: read,
// decipher, split, convert, fill the table and the grid) with N tasks, and
// the refresh of the result columns (ReopenResultat). Medians of several
// rounds, in milliseconds. Runs offscreen; settings go to a temporary folder.
//   orvell-bench-shell [tasks] [rounds]
#include "Clock.h"
#include "DateTimeText.h"
#include "TaskFile.h"
#include "app/TaskTable.h"
#include "app/untSetting.h"
#include "ui/untMyDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QApplication app(argc, argv);
    const int tasks = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    const int rounds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 9;

    QTemporaryDir dir;
    const QString programDir = dir.path() + QLatin1Char('/');
    QStringList lines;
    const QString moment = DateTimeToText(LocalNow());
    for (int i = 0; i < tasks; ++i)
        lines << QStringLiteral("Database%1;%2;%3;%4;%5;D:\\Backup\\%1\\;Type1;1;0;0;;0;%4;;0;-1;0;SRV%6;"
                                "Provider=SQLOLEDB.1|Integrated Security=SSPI|Persist Security Info=False|"
                                "Initial Catalog=master|Data Source=SRV%6")
                     .arg(i)
                     .arg(i % 24)
                     .arg(i % 60)
                     .arg(moment, i % 3 ? SuccessResult : NewTaskMarker)
                     .arg(i % 7);
    WriteTaskFile(programDir, lines);

    MessageSeam::script();
    TfrmSetting::SetProgramDirForTests(programDir);
    TfrmSetting window;
    window.show();
    QCoreApplication::processEvents();

    QList<double> load, refresh, read, fill;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        window.MemSettitngs->Close();
        window.ReopenTable();
        QCoreApplication::processEvents(); // the grid takes the new rows
        load << t.nsecsElapsed() / 1e6;
        t.restart();
        window.ReopenResultat();
        QCoreApplication::processEvents();
        refresh << t.nsecsElapsed() / 1e6;
        // Its parts: reading the file, and filling a table no grid shows.
        t.restart();
        const TaskFileContent content = ReadTaskFile(programDir);
        read << t.nsecsElapsed() / 1e6;
        TTaskTable table;
        t.restart();
        table.LoadLines(content.Lines);
        fill << t.nsecsElapsed() / 1e6;
    }
    if (window.MemSettitngs->RecordCount() != tasks) {
        std::fprintf(stderr, "loaded %d rows, expected %d\n", window.MemSettitngs->RecordCount(), tasks);
        return 1;
    }
    std::printf("ReopenTable, %d tasks: %.1f ms (median of %d; goal under 100 ms)\n", tasks, median(load), rounds);
    std::printf("  of which reading and deciphering the file: %.1f ms, filling the table: %.1f ms\n", median(read),
                median(fill));
    std::printf("ReopenResultat, %d tasks: %.1f ms (median of %d)\n", tasks, median(refresh), rounds);
    return 0;
}

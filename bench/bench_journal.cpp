// Opening the journal viewer on a large journal: time until the newest rows
// are on the screen, compared with `cat` reading the same file, and the
// resident memory of the process against the file's size.
//
//   bench_journal [--lines N] [--runs R]   figures (default 1,000,000 lines, 5 runs)
//   bench_journal --open FOLDER            one opening in this process (used by the above)
//   bench_journal --screenshot FILE.png    the viewer over a small sample journal

#include "DateTimeText.h"
#include "Journal.h"
#include "TaskFile.h"
#include "journal/JournalModel.h"
#include "journal/untJOpen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace {

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Journal lines as the backup pass writes them: mostly successes, now and
// then an error text or a restore, about 120 bytes each.
bool writeJournal(const QString &path, int lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const DateTimeFormat format = DateTimeFormat::russian();
    const QStringList dbs = {"Sales_2011", "master", "Accounting", "HR_Archive", "Warehouse"};
    QDateTime moment(QDate(2008, 12, 25), QTime(14, 30, 5), Qt::UTC);
    QByteArray chunk;
    for (int i = 0; i < lines; ++i) {
        moment = moment.addSecs(907);
        const QString db = dbs.at(i % dbs.size());
        const QString stamp = format.toText(moment).replace(' ', '_').replace(':', '.');
        QString result = SuccessResult;
        QString target = QStringLiteral("D:\\SQLBackup\\Daily\\Orvell\\SRV-SQL01_%1_%2.bak").arg(db, stamp);
        if (i % 97 == 13)
            result = QStringLiteral("Cannot open backup device. Operating system error 5 (Access is denied.)");
        if (i % 211 == 7)
            target = RestoreJournalTarget;
        const QStringList fields = {format.toText(moment.addSecs(2)), result, "SRV-SQL01", db, target};
        chunk += JoinJournalLine(fields).toLocal8Bit() + "\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size() && file.flush();
}

int openOnce(const QString &folder)
{
    // The viewer opens from the main window's button: the program is running,
    // its window (Verdana 8, buttons, a grid) on the screen, fonts and style loaded.
    QWidget mainWindow;
    mainWindow.setFont(QFont(QStringLiteral("Verdana"), 8));
    QStandardItemModel tasks(3, 7);
    auto *layout = new QVBoxLayout(&mainWindow);
    layout->addWidget(new QPushButton(QStringLiteral("Журнал архивов")));
    auto *grid = new QTableView;
    grid->setModel(&tasks);
    layout->addWidget(grid);
    mainWindow.resize(754, 576);
    mainWindow.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    const qint64 baseKb = statusKb("VmRSS");
    bool painted = false;
    struct PaintWatch : QObject {
        bool *painted;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint) {
                auto *view = qobject_cast<QTableView *>(watched->parent());
                if (view && view->viewport() == watched && qobject_cast<TfrmJOpen *>(view->window())
                    && view->model()->rowCount() > 0)
                    *painted = true;
            }
            return false;
        }
    } watch;
    watch.painted = &painted;
    qApp->installEventFilter(&watch);

    QElapsedTimer clock;
    clock.start();
    TfrmJOpen *viewer = TfrmJOpen::showJournal(folder);
    const double createdMs = double(clock.nsecsElapsed()) / 1e6;
    double readMs = 0;
    QObject::connect(viewer->rxMem(), &JournalModel::read, [&] { readMs = double(clock.nsecsElapsed()) / 1e6; });
    while (!painted && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // sleeps like the real event loop
    const double shownMs = double(clock.nsecsElapsed()) / 1e6;
    qApp->removeEventFilter(&watch);
    const int newest = viewer->rxMem()->lineNumber(0);

    // Until the grid holds every row and the scroll bar spans them all.
    const JournalModel *model = viewer->rxMem();
    while ((model->isReading() || model->rowCount() < model->totalRows()) && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // sleeps like the real event loop
    QCoreApplication::processEvents();
    const double allMs = double(clock.nsecsElapsed()) / 1e6;

    std::printf("created_ms=%.1f read_ms=%.1f shown_ms=%.1f all_ms=%.1f rows=%d newest=%d rss_kb=%lld hwm_kb=%lld base_kb=%lld\n", createdMs, readMs, shownMs, allMs,
                model->rowCount(), newest, statusKb("VmRSS"), statusKb("VmHWM"), baseKb);
    return painted ? 0 : 1;
}

int screenshot(const QString &out)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    DateTimeFormat::setCurrent(DateTimeFormat::russian());
    const DateTimeFormat format = DateTimeFormat::current();
    QDateTime moment(QDate(2024, 3, 4), QTime(23, 0, 0), Qt::UTC);
    QStringList lines;
    for (int i = 0; i < 14; ++i) {
        moment = moment.addSecs(3600 * 6 + 17);
        const QString db = QStringList{"Sales_2011", "master", "Accounting"}.at(i % 3);
        const QString stamp = format.toText(moment.addSecs(-2)).replace(' ', '_').replace(':', '.');
        QString result = SuccessResult;
        QString target = QStringLiteral("D:\\Backup\\SRV-SQL01_%1_%2.bak").arg(db, stamp);
        if (i == 9)
            result = QStringLiteral("Cannot open backup device 'D:\\Backup\\'. Operating system error 5(Access is denied.).");
        if (i == 11)
            target = RestoreJournalTarget;
        lines << JoinJournalLine({format.toText(moment), result, "SRV-SQL01", db, target});
        if (i == 4)
            lines << QString();
    }
    lines << QStringLiteral("%1\tLogin failed for user 'backup'.\tSRV-SQL01").arg(format.toText(moment.addSecs(60)));
    QFile file(folder + JournalFileName);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(lines.join(QStringLiteral("\r\n")).toLocal8Bit() + "\r\n");
    file.close();

    TfrmJOpen *viewer = TfrmJOpen::showJournal(folder);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 800)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return viewer->grab().save(out) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList a;
        for (int i = 1; i < argc; ++i)
            a << QString::fromLocal8Bit(argv[i]);
        return a;
    }();
    auto option = [&](const QString &name, const QString &fallback) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };

    // Never the user's own settings: the viewer stores its layout on close.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());

    if (args.contains(QStringLiteral("--screenshot"))) {
        QApplication app(argc, argv);
        return screenshot(option(QStringLiteral("--screenshot"), QStringLiteral("journal.png")));
    }
    if (args.contains(QStringLiteral("--open"))) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return openOnce(option(QStringLiteral("--open"), QString()));
    }

    QCoreApplication app(argc, argv);
    const int lines = option(QStringLiteral("--lines"), QStringLiteral("1000000")).toInt();
    const int runs = qMax(1, option(QStringLiteral("--runs"), QStringLiteral("5")).toInt());
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString journal = folder + JournalFileName;
    if (!writeJournal(journal, lines)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(journal));
        return 2;
    }
    const double fileMb = double(QFileInfo(journal).size()) / (1 << 20);
    std::printf("journal: %d lines, %.1f MiB\n", lines, fileMb);

    auto timeCat = [&] {
        QProcess cat;
        cat.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        cat.start(QStringLiteral("cat"), {journal});
        cat.waitForFinished(-1);
        return double(clock.nsecsElapsed()) / 1e6;
    };
    timeCat(); // the file in the page cache for both
    QList<double> catMs, openMs, allMs, rssMb, hwmMb;
    for (int i = 0; i < runs; ++i) {
        catMs << timeCat();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), folder});
        child.waitForFinished(-1);
        const QByteArray out = child.readAllStandardOutput();
        if (child.exitCode() != 0) {
            std::fprintf(stderr, "opening failed: %s%s\n", out.constData(), child.readAllStandardError().constData());
            return 1;
        }
        std::printf("  run %d: cat %.1f ms, %s", i + 1, catMs.last(), out.constData());
        QHash<QByteArray, double> figures;
        for (const QByteArray &pair : out.trimmed().split(' ')) {
            const qsizetype eq = pair.indexOf('=');
            figures.insert(pair.left(eq), pair.mid(eq + 1).toDouble());
        }
        openMs << figures.value("shown_ms");
        allMs << figures.value("all_ms");
        rssMb << figures.value("rss_kb") / 1024;
        hwmMb << figures.value("hwm_kb") / 1024;
    }
    const double open = median(openMs), cat = median(catMs);
    const double rss = *std::max_element(hwmMb.begin(), hwmMb.end());
    std::printf("median over %d runs:\n", runs);
    std::printf("  cat of the journal:          %8.1f ms\n", cat);
    std::printf("  viewer open to newest rows:  %8.1f ms  (goal < 1000 ms, ratio to cat %.2f, goal <= 3)\n", open,
                open / cat);
    std::printf("  ... until all rows in grid:  %8.1f ms\n", median(allMs));
    std::printf("  resident memory (peak):      %8.1f MiB (current %.1f MiB; %.2f x file size, goal < 1.5)\n", rss,
                median(rssMb), rss / fileMb);
    return 0;
}

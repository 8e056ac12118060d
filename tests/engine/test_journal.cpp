#include "Errors.h"
#include "Journal.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray journalBytes(const TempProgramDir &dir)
{
    QFile f(dir.file(JournalFileName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void appendsLines();
    void fieldsStayOnOneLine();
    void failureIsReported();
};

void TestJournal::appendsLines()
{
    TempProgramDir dir;
    const QString first = JoinJournalLine(
        { "25.12.2008 14:30:07", "Succesfull", "SRV", "master", "C:\\Backup\\SRV_master_25.12.2008_14.30.05.bak" });
    QCOMPARE(first,
             QStringLiteral("25.12.2008 14:30:07\tSuccesfull\tSRV\tmaster\t"
                            "C:\\Backup\\SRV_master_25.12.2008_14.30.05.bak"));
    AppendJournalLine(dir.path(), first);
    QCOMPARE(journalBytes(dir), first.toUtf8() + "\r\n");

    const QString restore
        = JoinJournalLine({ "25.12.2008 15:00:00", "Succesfull", "SRV", "База", RestoreJournalTarget });
    AppendJournalLine(dir.path(), restore);
    QCOMPARE(journalBytes(dir), first.toUtf8() + "\r\n" + restore.toUtf8() + "\r\n");

    // Emptied by the viewer: the next line is the first again.
    QFile f(dir.file(JournalFileName));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.close();
    AppendJournalLine(dir.path(), restore);
    QCOMPARE(journalBytes(dir), restore.toUtf8() + "\r\n");
}

void TestJournal::fieldsStayOnOneLine()
{
    TempProgramDir dir;
    const QString error
        = QStringLiteral("Cannot open backup device 'X'.\r\nBACKUP DATABASE is terminating\tabnormally.\n");
    const QString line = JoinJournalLine({ "25.12.2008 14:30:07", error, "SRV", "a\tb", "C:\\x.bak" });
    QCOMPARE(line.split(QLatin1Char('\t')).size(), 5);
    QCOMPARE(line.split(QLatin1Char('\t')).at(1),
             QStringLiteral("Cannot open backup device 'X'.  BACKUP DATABASE is terminating abnormally. "));
    // Even a line built by hand cannot break the file's one line per attempt.
    AppendJournalLine(dir.path(), QStringLiteral("a\r\nb"));
    AppendJournalLine(dir.path(), line);
    const QList<QByteArray> lines = journalBytes(dir).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QByteArray("a  b\r"));
    QCOMPARE(lines.at(2), QByteArray());
}

void TestJournal::failureIsReported()
{
    TempProgramDir dir;
    // A folder where the journal should be cannot be opened, not even by root.
    QVERIFY(QDir(dir.path()).mkdir(JournalFileName));
    try {
        AppendJournalLine(dir.path(), QStringLiteral("x"));
        QFAIL("appending to a folder succeeded");
    } catch (const OrvellError &e) {
        QVERIFY2(e.message().contains(JournalFileName), qPrintable(e.message()));
    }
    QVERIFY_THROWS_EXCEPTION(OrvellError, AppendJournalLine(dir.path() + QStringLiteral("missing/"), "x"));
}

QTEST_GUILESS_MAIN(TestJournal)
#include "test_journal.moc"

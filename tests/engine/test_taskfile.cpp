#include "Clock.h"
#include "DateTimeText.h"
#include "Errors.h"
#include "TaskFile.h"
#include "TestSupport.h"
#include "uEncrypt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A working-days Type1 task as the main window writes it.
TaskRecord type1Task()
{
    TaskRecord r;
    r.DBName = QStringLiteral("master");
    r.Hour = 10;
    r.Min = 30;
    r.DateLast = WallClock(QDate(2008, 12, 25), QTime(14, 30, 5));
    r.Result = NewTaskMarker;
    r.Path = QStringLiteral("C:\\Backup\\");
    r.Type = QStringLiteral("Type1");
    r.EveryType1 = 0;
    r.OnWeekDaysType1 = true;
    r.EveryType2 = 1;
    r.OnceType3 = 0;
    r.EveryWeekType4 = 0;
    r.DailyOnType1 = false;
    r.EveryHour = 2;
    r.Server = QStringLiteral("SRV\\SQLEXPRESS");
    r.StrConnect = StrConnectToStored(QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                                                     "Info=False;Initial Catalog=master;Data Source=SRV"));
    return r;
}

} // namespace

class TestTaskFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { DateTimeFormat::setCurrent(DateTimeFormat::russian()); }

    void writeThenRead();
    void emptyAndMissingFiles();
    void leadingBlanksAreStripped();
    void splitLine_data();
    void splitLine();
    void mainWindowLineHas19Fields();
    void recordRoundTrip();
    void valuesCannotShiftFields();
    void textForms();
    void damagedFilesAreReadWithoutCrash();
    void writeIsOwnerOnlyAndReplaces();
    void failedWriteKeepsOldFile();
    void programDir();
};

void TestTaskFile::writeThenRead()
{
    TempProgramDir dir;
    const QStringList lines { QStringLiteral("a;1;"), QStringLiteral("b;2;") };
    WriteTaskFile(dir.path(), lines);
    const QByteArray bytes = fileBytes(dir.file(TaskFileName));
    // The CR LF at the end is plain and not part of the enciphered text.
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(EnCrypt(bytes.chopped(2)), QByteArray("a;1;\r\nb;2;"));
    const TaskFileContent read = ReadTaskFile(dir.path());
    QVERIFY(read.Exists);
    QCOMPARE(read.Lines, lines);
}

void TestTaskFile::emptyAndMissingFiles()
{
    TempProgramDir dir;
    TaskFileContent read = ReadTaskFile(dir.path());
    QVERIFY(!read.Exists);
    QVERIFY(read.Lines.isEmpty());
    QVERIFY(!QFile::exists(dir.file(TaskFileName)));

    WriteTaskFile(dir.path(), {});
    QVERIFY(QFile::exists(dir.file(TaskFileName)));
    QCOMPARE(fileBytes(dir.file(TaskFileName)), QByteArray());
    read = ReadTaskFile(dir.path());
    QVERIFY(read.Exists);
    QVERIFY(read.Lines.isEmpty());

    // A file holding only its final CR LF has no lines either.
    putBytes(dir.file(TaskFileName), "\r\n");
    read = ReadTaskFile(dir.path());
    QVERIFY(read.Exists);
    QVERIFY(read.Lines.isEmpty());
}

void TestTaskFile::leadingBlanksAreStripped()
{
    TempProgramDir dir;
    WriteTaskFile(dir.path(), { QStringLiteral("  db;1;"), QStringLiteral("x;2;\r\n"), QString() });
    QCOMPARE(ReadTaskFile(dir.path()).Lines, QStringList({ QStringLiteral("db;1;"), QStringLiteral("x;2;") }));
}

void TestTaskFile::splitLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("empty line") << QString() << QStringList();
    QTest::newRow("one empty field") << QStringLiteral(";") << QStringList({ QString() });
    QTest::newRow("adjacent separators") << QStringLiteral("a;;b;") << QStringList({ "a", "", "b" });
    QTest::newRow("text after the last separator") << QStringLiteral("a;b") << QStringList({ "a", "b" });
    QTest::newRow("blanks kept") << QStringLiteral(" a ; b;") << QStringList({ " a ", " b" });
}

void TestTaskFile::splitLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitTaskLine(line), fields);
    if (line.isEmpty() || line.endsWith(QLatin1Char(';')))
        QCOMPARE(JoinTaskLine(fields), line);
}

void TestTaskFile::mainWindowLineHas19Fields()
{
    const QString line = type1Task().toLine();
    QCOMPARE(
        line,
        QStringLiteral("master;10;30;25.12.2008 14:30:05;insert_new_task;C:\\Backup\\;Type1;0;-1;1;;0;30.12.1899;;0;"
                       "0;2;SRV\\SQLEXPRESS;Provider=SQLOLEDB.1|Integrated Security=SSPI|Persist Security "
                       "Info=False|Initial Catalog=master|Data Source=SRV;"));
    const QStringList fields = SplitTaskLine(line);
    QCOMPARE(fields.size(), TaskFieldCount);
    QCOMPARE(fields.at(fDayType2), QString());
    QCOMPARE(fields.at(fMonthType4), QString());
}

void TestTaskFile::recordRoundTrip()
{
    TaskRecord r = type1Task();
    r.Path.clear();
    r.EveryType1.reset();
    const QString line = r.toLine();
    const QStringList fields = SplitTaskLine(line);
    QCOMPARE(fields.at(fPath), QStringLiteral("-1"));
    QCOMPARE(fields.at(fEveryType1), QString());

    const TaskRecord back = TaskRecord::fromLine(line);
    QCOMPARE(back.Path, QString());
    QVERIFY(!back.EveryType1.has_value());
    QCOMPARE(back.DateLast, r.DateLast);
    QCOMPARE(back.DateType3, ZeroDateTime());
    QCOMPARE(back.OnWeekDaysType1, std::optional<bool>(true));
    QCOMPARE(back.toLine(), line);

    // Fields that do not parse, and fields the line lacks, take the defaults.
    const TaskRecord bad = TaskRecord::fromLine(QStringLiteral("db;x;;garbage;r;-1;Type2;;maybe;"));
    QCOMPARE(bad.Hour, std::optional<int>(0));
    QCOMPARE(bad.Min, std::optional<int>(0));
    QCOMPARE(bad.DateLast, ZeroDateTime());
    QCOMPARE(bad.OnWeekDaysType1, std::optional<bool>(false));
    QCOMPARE(bad.DateType3, ZeroDateTime());
    QCOMPARE(bad.StrConnect, QString());
    QCOMPARE(SplitTaskLine(bad.toLine()).size(), TaskFieldCount);
}

void TestTaskFile::valuesCannotShiftFields()
{
    QCOMPARE(TaskFieldText(QStringLiteral("a;b\r\nc\rd\ne")), QStringLiteral("a,b  c d e"));

    TempProgramDir dir;
    TaskRecord r = type1Task();
    r.Result = QStringLiteral("Msg 3201: Cannot open backup device 'C:\\x;y'.\r\nMsg 3013: BACKUP DATABASE is "
                              "terminating abnormally.");
    r.DBName = QStringLiteral("a;b");
    WriteTaskFile(dir.path(), { r.toLine(), type1Task().toLine() });
    const QStringList lines = ReadTaskFile(dir.path()).Lines;
    QCOMPARE(lines.size(), 2);
    for (const QString &line : lines)
        QCOMPARE(SplitTaskLine(line).size(), TaskFieldCount);
    const TaskRecord back = TaskRecord::fromLine(lines.first());
    QCOMPARE(back.DBName, QStringLiteral("a,b"));
    QCOMPARE(back.Result, TaskFieldText(r.Result));
    QCOMPARE(back.StrConnect, r.StrConnect);
}

void TestTaskFile::textForms()
{
    QCOMPARE(BoolText(true), QStringLiteral("-1"));
    QCOMPARE(BoolText(false), QStringLiteral("0"));
    QCOMPARE(ParseBoolText("-1"), std::optional<bool>(true));
    QCOMPARE(ParseBoolText("7"), std::optional<bool>(true));
    QCOMPARE(ParseBoolText("0"), std::optional<bool>(false));
    QCOMPARE(ParseBoolText("TRUE"), std::optional<bool>(true));
    QCOMPARE(ParseBoolText("fAlse"), std::optional<bool>(false));
    QCOMPARE(ParseBoolText("yes"), std::nullopt);
    QCOMPARE(ParseBoolText(""), std::nullopt);

    QCOMPARE(IntText(std::nullopt), QStringLiteral("0"));
    QCOMPARE(IntText(-5), QStringLiteral("-5"));
    QCOMPARE(ParseIntText("42"), std::optional<int>(42));
    QCOMPARE(ParseIntText("-1"), std::optional<int>(-1));
    QCOMPARE(ParseIntText("0x10"), std::nullopt);
    QCOMPARE(ParseIntText("1 0"), std::nullopt);
    QCOMPARE(ParseIntText("99999999999"), std::nullopt);
    QCOMPARE(ParseIntText(""), std::nullopt);

    const QString oleDb = QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Data Source=SRV");
    QCOMPARE(StrConnectToStored(oleDb), QStringLiteral("Provider=SQLOLEDB.1|User ID=sa|Data Source=SRV"));
    QCOMPARE(StrConnectFromStored(StrConnectToStored(oleDb)), oleDb);
}

void TestTaskFile::damagedFilesAreReadWithoutCrash()
{
    TempProgramDir dir;
    WriteTaskFile(dir.path(), { type1Task().toLine(), type1Task().toLine() });
    const QByteArray good = fileBytes(dir.file(TaskFileName));

    // Cut at every length: never a crash, never more lines than written.
    for (qsizetype n = 0; n <= good.size(); ++n) {
        putBytes(dir.file(TaskFileName), good.left(n));
        const TaskFileContent read = ReadTaskFile(dir.path());
        QVERIFY(read.Exists);
        QVERIFY(read.Lines.size() <= 2);
    }
    QRandomGenerator random(20081225);
    for (int round = 0; round < 50; ++round) {
        QByteArray noise(int(random.bounded(1, 4000)), Qt::Uninitialized);
        for (char &c : noise)
            c = char(random.bounded(256));
        putBytes(dir.file(TaskFileName), noise);
        const TaskFileContent read = ReadTaskFile(dir.path());
        for (const QString &line : read.Lines)
            TaskRecord::fromLine(line);
    }
}

void TestTaskFile::writeIsOwnerOnlyAndReplaces()
{
    TempProgramDir dir;
    putBytes(dir.file(TaskFileName), "old contents that are longer than the new ones");
    QVERIFY(QFile::setPermissions(dir.file(TaskFileName),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                      | QFileDevice::ReadOther));
    WriteTaskFile(dir.path(), { QStringLiteral("new;") });
    QCOMPARE(ReadTaskFile(dir.path()).Lines, QStringList({ QStringLiteral("new;") }));

    struct stat st {
    };
    QCOMPARE(::stat(QFile::encodeName(dir.file(TaskFileName)).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({ TaskFileName }));
}

void TestTaskFile::failedWriteKeepsOldFile()
{
    TempProgramDir dir;
    WriteTaskFile(dir.path(), { QStringLiteral("keep;") });
    // A folder in the way of the temporary file's rename makes the write fail
    // even for a privileged user.
    const QString missing = dir.path() + QStringLiteral("missing/");
    QVERIFY_THROWS_EXCEPTION(OrvellError, WriteTaskFile(missing, { QStringLiteral("x;") }));
    QVERIFY(!QFile::exists(missing + TaskFileName));

    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(QDir(dir.path() + QStringLiteral("sub")).mkdir(TaskFileName));
    try {
        WriteTaskFile(dir.path() + QStringLiteral("sub/"), { QStringLiteral("x;") });
        QFAIL("writing over a folder succeeded");
    } catch (const OrvellError &e) {
        QVERIFY2(e.message().contains(TaskFileName), qPrintable(e.message()));
    }
    QCOMPARE(ReadTaskFile(dir.path()).Lines, QStringList({ QStringLiteral("keep;") }));
}

void TestTaskFile::programDir()
{
    const QString dir = ProgramDir();
    QVERIFY(dir.endsWith(QLatin1Char('/')));
    QCOMPARE(dir, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

QTEST_GUILESS_MAIN(TestTaskFile)
#include "test_taskfile.moc"

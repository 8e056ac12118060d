#include "Clock.h"
#include "DateTimeText.h"
#include "TestSupport.h"
#include "app/TaskGrid.h"
#include "app/TaskTable.h"

#include <QCoreApplication>
#include <QTest>

namespace {
// Fields in task-line order; Path "-1", DateLast as the Russian format writes it.
const QString LineOk = QStringLiteral("Sales;10;30;25.12.2008 14:30:05;Succesfull;-1;Type1;1;0;0;;0;25.12.2008;;0;-1;6;"
                                      "SRV1;Provider=SQLOLEDB.1|Data Source=SRV1;");
const QString LineNew = QStringLiteral("HR;1;2;25.12.2008;insert_new_task;C:\\Backup\\;Type3;;0;0;;1;26.12.2008;;0;0;0;"
                                       "SRV2;x;");
const QString LineError = QStringLiteral("Stock;3;4;not a date;Login failed for user 'sa'.;D:\\B\\;Type2;;0;1;1,3,5;0;;"
                                         ";0;0;0;SRV3;y;");
} // namespace

class TestTaskTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { DateTimeFormat::setCurrent(DateTimeFormat::russian()); }

    void converters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<bool>("boolean");
        QTest::newRow("number") << QStringLiteral("12") << 12 << true;
        QTest::newRow("minus one") << QStringLiteral("-1") << -1 << true;
        QTest::newRow("zero") << QStringLiteral("0") << 0 << false;
        QTest::newRow("empty") << QString() << 0 << false;
        QTest::newRow("word True") << QStringLiteral("tRuE") << 0 << true;
        QTest::newRow("word False") << QStringLiteral("FALSE") << 0 << false;
        QTest::newRow("garbage") << QStringLiteral("12a") << 0 << false;
    }

    void converters()
    {
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(bool, boolean);
        QCOMPARE(hIsNull(text), integer);
        QCOMPARE(hIsNullb(text), boolean);
    }

    void dateConverter()
    {
        QCOMPARE(hIsNulldt(QStringLiteral("25.12.2008 9:05:03")), WallClock(QDate(2008, 12, 25), QTime(9, 5, 3)));
        QCOMPARE(hIsNulldt(QStringLiteral("12/25/2008")), ZeroDateTime());
        QCOMPARE(hIsNulldt(QString()), ZeroDateTime());
    }

    void loadFillsFieldsByPosition()
    {
        TTaskTable table;
        table.LoadLines({LineOk, LineNew, QString(), QStringLiteral("OnlyName;5")});
        QVERIFY(table.Active());
        QCOMPARE(table.RecordCount(), 4);
        QCOMPARE(table.CurrentRow(), 0);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(table.Value(row, mID).toInt(), row);
        QCOMPARE(table.Value(0, mDBName).toString(), QStringLiteral("Sales"));
        QCOMPARE(table.Value(0, mHour).toInt(), 10);
        QCOMPARE(table.Value(0, mDateLast).toDateTime(), WallClock(QDate(2008, 12, 25), QTime(14, 30, 5)));
        QCOMPARE(table.Value(0, mPath).toString(), QString()); // "-1" is an empty path
        QCOMPARE(table.Value(0, mDailyOnType1).toBool(), true);
        QCOMPARE(table.Value(0, mEveryHour).toInt(), 6);
        QCOMPARE(table.Value(0, mStrConnect).toString(), QStringLiteral("Provider=SQLOLEDB.1|Data Source=SRV1"));
        QCOMPARE(table.Value(1, mPath).toString(), QStringLiteral("C:\\Backup\\"));
        QCOMPARE(table.Value(1, mEveryType1).toInt(), 0);
        // An empty line is a row with only its ID; a short line leaves the rest NULL.
        for (int field = 1; field < MemFieldCount; ++field)
            QVERIFY(table.IsNull(2, field));
        QCOMPARE(table.Value(3, mHour).toInt(), 5);
        QVERIFY(table.IsNull(3, mMin));
        QVERIFY(table.IsNull(3, mStrConnect));
    }

    void fieldsBeyondTheLastAreIgnored()
    {
        TTaskTable table;
        table.LoadLines({LineOk + QStringLiteral("extra;more;")});
        QCOMPARE(table.Value(0, mStrConnect).toString(), QStringLiteral("Provider=SQLOLEDB.1|Data Source=SRV1"));
    }

    void noLinesLeaveTheTableClosed()
    {
        TTaskTable table;
        table.LoadLines({});
        QVERIFY(!table.Active());
        QCOMPARE(table.CurrentRow(), -1);
    }

    void writeBackKeepsTheStoredForms()
    {
        TTaskTable table;
        table.LoadLines({LineOk, LineNew});
        const QStringList lines = table.Lines();
        QCOMPARE(lines[0], LineOk);
        // Type3's empty EveryType1 was read as 0 and is written so.
        QCOMPARE(lines[1], QString(LineNew).replace(QStringLiteral("Type3;;0"), QStringLiteral("Type3;0;0")));
        // A NULL EveryType1 stays empty; a NULL Path becomes "-1", NULL dates the zero date.
        table.SetValue(1, mEveryType1, QVariant());
        table.SetValue(1, mPath, QStringLiteral("   "));
        const QStringList fields = SplitTaskLine(table.Lines()[1]);
        QCOMPARE(fields[fEveryType1], QString());
        QCOMPARE(fields[fPath], QStringLiteral("-1"));
        TTaskTable empty;
        empty.LoadLines({QString()});
        QCOMPARE(SplitTaskLine(empty.Lines()[0])[fDateLast], DateTimeToText(ZeroDateTime()));
    }

    void gridDrawsResultsAndDates()
    {
        TTaskTable table;
        TTaskGridModel grid(&table);
        grid.SetResultTexts(QStringLiteral("Внесена задача"), QStringLiteral("Успешно выполнено"));
        table.LoadLines({LineOk, LineNew, LineError});
        const int result = grid.ColumnOf(QStringLiteral("Result"));
        const int last = grid.ColumnOf(QStringLiteral("DateLast"));
        QCOMPARE(grid.columnCount(), 7);
        QCOMPARE(grid.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Сервер"));
        QCOMPARE(grid.headerData(result, Qt::Horizontal).toString(), QStringLiteral("Результат"));
        QCOMPARE(grid.data(grid.index(0, result)).toString(), QStringLiteral("Успешно выполнено"));
        QCOMPARE(grid.data(grid.index(1, result)).toString(), QStringLiteral("Внесена задача"));
        QCOMPARE(grid.data(grid.index(2, result)).toString(), QStringLiteral("Login failed for user 'sa'."));
        QCOMPARE(grid.data(grid.index(0, last)).toString(), QStringLiteral("25.12.2008 14:30:05"));
        QCOMPARE(grid.data(grid.index(1, last)).toString(), QStringLiteral("25.12.2008"));
        QCOMPARE(grid.data(grid.index(2, last)).toString(), QString()); // unparsable: drawn empty
        QCOMPARE(grid.data(grid.index(0, grid.ColumnOf(QStringLiteral("Path")))).toString(), QString());
    }

    void refreshMatchesLinesByPosition_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("results");
        const QString a = QStringLiteral("A;1;1;01.02.2020;R-A;-1;Type1;");
        const QString b = QStringLiteral("B;1;1;01.02.2020;R-B;-1;Type1;");
        const QString c = QStringLiteral("C;1;1;01.02.2020;R-C;-1;Type1;");
        const QString d = QStringLiteral("D;1;1;01.02.2020;R-D;-1;Type1;");
        QTest::newRow("same count") << QStringList{a, b, c} << QStringList{"R-A", "R-B", "R-C"};
        QTest::newRow("more lines than rows") << QStringList{a, b, c, d} << QStringList{"R-A", "R-B", "R-C"};
        QTest::newRow("fewer lines") << QStringList{a} << QStringList{"R-A", "old1", "old2"};
        QTest::newRow("short line ends it") << QStringList{a, QStringLiteral("x;1;2"), c}
                                            << QStringList{"R-A", "old1", "old2"};
    }

    void refreshMatchesLinesByPosition()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, results);
        TTaskTable table;
        table.LoadLines({QStringLiteral("X;1;1;;old0;-1;Type1;"), QStringLiteral("Y;1;1;;old1;-1;Type1;"),
                         QStringLiteral("Z;1;1;;old2;-1;Type1;")});
        table.SetCurrentRow(2);
        table.RefreshResults(lines);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(table.Value(row, mResult).toString(), results[row]);
        QCOMPARE(table.Value(0, mDateLast).toDateTime(), WallClock(QDate(2020, 2, 1)));
        QCOMPARE(table.Value(0, mDBName).toString(), QStringLiteral("X")); // only two columns refresh
        QCOMPARE(table.CurrentRow(), 2);
    }

    void idsAfterDeleteAndAdd()
    {
        TTaskTable table;
        table.LoadLines({LineOk, LineNew, LineError});
        table.Delete(1);
        QCOMPARE(table.CurrentRow(), 1);
        const int added = table.Append();
        QCOMPARE(added, 2);
        QCOMPARE(table.CurrentRow(), 2);
        QCOMPARE(table.Value(added, mID).toInt(), 2);
        // Two rows now carry ID 2; a search finds the first.
        QCOMPARE(table.Locate(2), 1);
        QCOMPARE(table.Locate(1), -1);
        table.Delete(0);
        table.Delete(0);
        table.Delete(0);
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(table.CurrentRow(), -1);
        QVERIFY(table.Active()); // open and empty: written as an empty file
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QCoreApplication app(argc, argv);
    TestTaskTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_tasktable.moc"

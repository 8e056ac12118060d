#include "DateTimeText.h"
#include "Journal.h"
#include "TestSupport.h"
#include "journal/JournalModel.h"
#include "journal/untJOpen.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTranslator>

namespace {

const QByteArray Backup =
    "25.12.2008 14:30:07\tSuccesfull\tSRV\tmaster\tC:\\Backup\\SRV_master_25.12.2008_14.30.05.bak";
const QByteArray Restore = "26.12.2008 9:05:03\tSuccesfull\tSRV\tSales_2011\tRestore database";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A row as "memID|date|server|db|result|path"; "~" marks a field the line lacks.
QString rowText(const JournalModel &model, int row)
{
    QStringList cells;
    for (int field : {JournalModel::memID, JournalModel::memDateTime, JournalModel::memServer, JournalModel::memDB,
                      JournalModel::memRes, JournalModel::memPathFile})
        cells << model.value(row, field).value_or(QStringLiteral("~"));
    return cells.join(QLatin1Char('|'));
}

QStringList allRows(const JournalModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r)
        rows << rowText(model, r);
    return rows;
}

// English for the viewer's texts, as a language switch would install it.
class EnglishTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QString, QString> english = {
            {QStringLiteral("Журнал архивов"), QStringLiteral("Backup log")},
            {QStringLiteral("Очистить"), QStringLiteral("Clear")},
            {QStringLiteral("Дата"), QStringLiteral("Date")},
            {QStringLiteral("Подробности"), QStringLiteral("More")},
            {QStringLiteral("Вопрос?"), QStringLiteral("Question")},
        };
        if (qstrcmp(context, "TfrmJOpen") != 0)
            return QString();
        return english.value(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestJOpen : public QObject
{
    Q_OBJECT

private:
    TempProgramDir *m_dir = nullptr;
    QString journal() const { return m_dir->file(JournalFileName); }
    TfrmJOpen *open()
    {
        TfrmJOpen *w = TfrmJOpen::showJournal(m_dir->path());
        if (!QTest::qWaitForWindowExposed(w) || !QTest::qWaitFor([w] { return !w->rxMem()->isReading(); }))
            qWarning("viewer not shown or journal not read");
        return w;
    }
    // A double-click as the mouse makes it: its first click is a cell click.
    void doubleClickCell(TfrmJOpen *w, int row, int column)
    {
        const QPoint at = w->DBGridRes->visualRect(w->rxMem()->index(row, column)).center();
        QTest::mouseClick(w->DBGridRes->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->DBGridRes->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void initTestCase()
    {
        DateTimeFormat::setCurrent(DateTimeFormat::russian());
        MessageSeam::script();
    }

    void init()
    {
        m_dir = new TempProgramDir;
        OpenMainKey()->remove(QString());
        MessageSeam::script();
        MessageSeam::clearShown();
    }

    void cleanup()
    {
        if (TfrmJOpen *w = TfrmJOpen::instance()) {
            w->close();
            QTRY_VERIFY(!TfrmJOpen::instance());
        }
        delete m_dir;
    }

    // What the table shows for a journal, read whole and in chunks that cut
    // lines, line ends and characters anywhere.
    void rows_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no journal file
        QTest::addColumn<QStringList>("expected");

        const QString backupRow = QStringLiteral(
            "|25.12.2008 14:30:07|SRV|master|Succesfull|C:\\Backup\\SRV_master_25.12.2008_14.30.05.bak");
        const QString restoreRow =
            QStringLiteral("|26.12.2008 09:05:03|SRV|Sales_2011|Succesfull|Restore database");
        struct Case {
            const char *name;
            QByteArray content;
            QStringList expected;
        };
        const QList<Case> cases = {
            {"no journal", QByteArray(), {}},
            {"empty journal", QByteArray(""), {}},
            {"blank second line", Backup + "\r\n\r\n" + Restore + "\r\n",
             {QLatin1Char('3') + restoreRow, QLatin1Char('1') + backupRow}},
            {"blank lines of blanks, last line unended", Backup + "\r\n \t \r\n\r\n" + Restore,
             {QLatin1Char('4') + restoreRow, QLatin1Char('1') + backupRow}},
            {"line ends of LF alone", Backup + "\n" + Restore + "\n", {QLatin1Char('2') + restoreRow, QLatin1Char('1') + backupRow}},
            {"three fields", "25.12.2008 14:30:07\tНе удалось открыть базу\tSRV\r\n",
             {QStringLiteral("1|25.12.2008 14:30:07|SRV|~|Не удалось открыть базу|~")}},
            {"no date-time", "вчера\tSuccesfull\tSRV\tmaster\tC:\\b.bak\r\n",
             {QStringLiteral("1|01.01.1899 01:01:01|SRV|master|Succesfull|C:\\b.bak")}},
            {"empty fields and extra fields", "25.12.2008 14:30:07\t\tSRV\t\tp\textra\tmore\r\n",
             {QStringLiteral("1|25.12.2008 14:30:07|SRV|||p")}},
            {"one field", "garbage\r\n", {QStringLiteral("1|01.01.1899 01:01:01|~|~|~|~")}},
        };
        for (const Case &c : cases) {
            QTest::addRow("%s", c.name) << c.content << c.expected;
            QTest::addRow("%s, 1-byte reads", c.name) << c.content << c.expected;
            QTest::addRow("%s, 5-byte reads", c.name) << c.content << c.expected;
        }
    }

    void rows()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        if (!content.isNull())
            writeFile(journal(), content);
        const QByteArray tag = QTest::currentDataTag();
        const qint64 chunk = tag.endsWith("1-byte reads") ? 1 : tag.endsWith("5-byte reads") ? 5 : 1 << 20;

        JournalModel model;
        QVERIFY(model.load(journal(), chunk));
        QCOMPARE(allRows(model), expected);
    }

    // The window itself: newest first, the first row current, the path column
    // of a restore line, the 255-character cells.
    void viewerShowsJournal()
    {
        const QByteArray longResult = QByteArray(300, 'x');
        writeFile(journal(), Backup + "\r\n\r\n" + "25.12.2008 15:00:00\t" + longResult + "\tSRV\r\n" + Restore + "\r\n");
        TfrmJOpen *w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Журнал архивов"));
        QCOMPARE(w->bbClear->text(), QStringLiteral("Очистить"));
        QCOMPARE(w->BitBtn1->text(), QStringLiteral("Выход"));
        const JournalModel *m = w->rxMem();
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(w->DBGridRes->currentIndex().row(), 0);
        QStringList captions, ids;
        for (int c = 0; c < m->columnCount(); ++c)
            captions << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"#", "Дата", "Сервер", "База", "Результат", "Путь"}));
        for (int r = 0; r < 3; ++r)
            ids << m->data(m->index(r, 0)).toString();
        QCOMPARE(ids, (QStringList{"4", "3", "1"}));
        QCOMPARE(m->data(m->index(0, 5)).toString(), QStringLiteral("Restore database"));
        QCOMPARE(m->data(m->index(1, 4)).toString(), QString(255, QLatin1Char('x')));
        QVERIFY(m->data(m->index(1, 3)).isNull());
    }

    void doubleClickShowsValue()
    {
        const QString longResult = QString(300, QChar(0x0416)); // Ж, two bytes each in the file
        writeFile(journal(), "25.12.2008 15:00:00\t" + longResult.toUtf8() + "\tSRV\r\n");
        TfrmJOpen *w = open();
        QTableView *grid = w->DBGridRes;
        const QModelIndex result = w->rxMem()->index(0, 4);

        // A double-click that comes without a cell click (as on the titles).
        emit grid->doubleClicked(result);
        QVERIFY(MessageSeam::shown().isEmpty());

        doubleClickCell(w, 0, 4);
        QCOMPARE(w->lastClickedField(), QStringLiteral("memRes"));
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown().at(0).kind, QStringLiteral("value"));
        QCOMPARE(MessageSeam::shown().at(0).text, longResult); // in full, not cut at 255
        QCOMPARE(MessageSeam::shown().at(0).title, QStringLiteral("Подробности"));

        // The line has no database field: nothing to show.
        doubleClickCell(w, 0, 3);
        QCOMPARE(MessageSeam::shown().size(), 1);

        doubleClickCell(w, 0, 1);
        QCOMPARE(MessageSeam::shown().size(), 2);
        QCOMPARE(MessageSeam::shown().at(1).text, QStringLiteral("25.12.2008 15:00:00"));
    }

    void clear_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("answer");
        QTest::newRow("Нет") << true << 2;
        QTest::newRow("Да") << true << 1;
        QTest::newRow("Да, no journal") << false << 1;
    }

    void clear()
    {
        QFETCH(bool, exists);
        QFETCH(int, answer);
        const QByteArray content = Backup + "\r\n" + Restore + "\r\n";
        if (exists)
            writeFile(journal(), content);
        TfrmJOpen *w = open();
        MessageSeam::script({answer});
        QTest::mouseClick(w->bbClear, Qt::LeftButton);

        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown().at(0).kind, QStringLiteral("question"));
        QCOMPARE(MessageSeam::shown().at(0).text, QStringLiteral("Вы уверены что желаете очистить журнал?"));
        QCOMPARE(MessageSeam::shown().at(0).title, QStringLiteral("Вопрос?"));
        if (!exists) {
            QVERIFY(!QFile::exists(journal()));
            return;
        }
        if (answer == 2) {
            QCOMPARE(readAll(journal()), content);
            QCOMPARE(w->rxMem()->rowCount(), 2);
            return;
        }
        QVERIFY(QFile::exists(journal()));
        QCOMPARE(QFileInfo(journal()).size(), 0);
        QCOMPARE(w->rxMem()->rowCount(), 0);

        // The next backup is line 1 again.
        AppendJournalLine(m_dir->path(), QString::fromUtf8(Backup));
        QCOMPARE(readAll(journal()), Backup + "\r\n");
        w->close();
        QTRY_VERIFY(!TfrmJOpen::instance());
        w = open();
        QCOMPARE(allRows(*w->rxMem()).size(), 1);
        QCOMPARE(w->rxMem()->lineNumber(0), 1);
    }

    // A writer that had the journal open while the question was asked still
    // finds its line in the journal afterwards.
    void clearKeepsLineWrittenAfterAnswer()
    {
        writeFile(journal(), Backup + "\r\n");
        TfrmJOpen *w = open();
        QFile writer(journal());
        QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
        MessageSeam::script({1});
        w->bbClearClick();
        QCOMPARE(QFileInfo(journal()).size(), 0);
        QVERIFY(writer.write(Restore + "\r\n") > 0);
        writer.close();
        QCOMPARE(readAll(journal()), Restore + "\r\n");
    }

    void unreadableJournalIsReported()
    {
        QVERIFY(QDir().mkpath(journal())); // a folder where the file should be
        TfrmJOpen *w = open();
        QCOMPARE(w->rxMem()->rowCount(), 0);
        QTRY_COMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown().at(0).kind, QStringLiteral("message"));
        QCOMPARE(MessageSeam::shown().at(0).title, QStringLiteral("Предупреждение"));
        QVERIFY(!MessageSeam::shown().at(0).text.isEmpty());

        // Clearing never removes what is not a journal file.
        MessageSeam::script({1});
        w->bbClearClick();
        QVERIFY(QFileInfo(journal()).isDir());
    }

    // Opening again while open only brings the window forward; after closing,
    // the next opening reads the journal afresh.
    void secondOpeningReusesWindow()
    {
        writeFile(journal(), Backup + "\r\n");
        TfrmJOpen *first = open();
        AppendJournalLine(m_dir->path(), QString::fromUtf8(Restore));
        QCOMPARE(TfrmJOpen::showJournal(m_dir->path()), first);
        QCOMPARE(first->rxMem()->rowCount(), 1);
        QTest::mouseClick(first->BitBtn1, Qt::LeftButton);
        QTRY_VERIFY(!TfrmJOpen::instance());
        QCOMPARE(open()->rxMem()->rowCount(), 2);
    }

    // The journal is read beside the window: closing or clearing meanwhile
    // gives up the reading and loses nothing.
    void closeOrClearWhileReading()
    {
        QByteArray many;
        for (int i = 0; i < 20000; ++i)
            many += Backup + "\r\n";
        writeFile(journal(), many);
        TfrmJOpen *w = TfrmJOpen::showJournal(m_dir->path());
        QVERIFY(w->rxMem()->isReading()); // what it has read arrives through the event loop
        w->close();
        QTRY_VERIFY(!TfrmJOpen::instance());
        QCOMPARE(open()->rxMem()->totalRows(), 20000);
        TfrmJOpen::instance()->close();
        QTRY_VERIFY(!TfrmJOpen::instance());

        w = TfrmJOpen::showJournal(m_dir->path());
        QVERIFY(w->rxMem()->isReading());
        MessageSeam::script({1});
        w->bbClearClick();
        QCOMPARE(QFileInfo(journal()).size(), 0);
        QTest::qWait(50);
        QCOMPARE(w->rxMem()->rowCount(), 0);
        QVERIFY(!w->rxMem()->isReading());
    }

    void placement_data()
    {
        QTest::addColumn<QStringList>("stored"); // Left, Top, Width, Height
        QTest::addColumn<QRect>("expected");
        QTest::newRow("none") << QStringList() << QRect(296, 256, 623, 480);
        QTest::newRow("all") << QStringList{"40", "30", "500", "400"} << QRect(40, 30, 500, 400);
        QTest::newRow("Top not a number") << QStringList{"40", "x", "500", "400"} << QRect(296, 256, 623, 480);
        QTest::newRow("Width not a number") << QStringList{"40", "30", "wide", "400"} << QRect(40, 30, 623, 400);
    }

    void placement()
    {
        QFETCH(QStringList, stored);
        QFETCH(QRect, expected);
        if (!stored.isEmpty()) {
            const auto key = OpenMainKey(QStringLiteral("frmJOpen"));
            key->setValue("Left", stored[0]);
            key->setValue("Top", stored[1]);
            key->setValue("Width", stored[2]);
            key->setValue("Height", stored[3]);
        }
        TfrmJOpen *w = open();
        QCOMPARE(QRect(w->pos(), w->size()), expected);

        w->move(60, 70);
        w->resize(610, 470);
        w->close();
        QTRY_VERIFY(!TfrmJOpen::instance());
        const auto key = OpenMainKey(QStringLiteral("frmJOpen"));
        QCOMPARE(key->value("Left").toString(), QStringLiteral("60"));
        QCOMPARE(key->value("Top").toString(), QStringLiteral("70"));
        QCOMPARE(key->value("Width").toString(), QStringLiteral("610"));
        QCOMPARE(key->value("Height").toString(), QStringLiteral("470"));
    }

    // Widths and fields of the columns are kept under t2 in the order shown;
    // values that are missing or wrong leave the designed layout.
    void columnLayout()
    {
        {
            const auto key = OpenMainKey(QStringLiteral("t2"));
            key->setValue("Width0", 50);
            key->setValue("FieldName0", "memDB");
            key->setValue("FieldName1", "noSuchField");
            key->setValue("Width2", "abc");
            key->setValue("Width3", 0);
            key->setValue("FieldTitle3", "Ignored");
        }
        writeFile(journal(), Backup + "\r\n");
        TfrmJOpen *w = open();
        const JournalModel *m = w->rxMem();
        QHeaderView *header = w->DBGridRes->horizontalHeader();
        QCOMPARE(header->sectionSize(0), 50);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("База"));
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("master"));
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Дата"));
        QCOMPARE(header->sectionSize(2), 92);
        QCOMPARE(header->sectionSize(3), 101);
        QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("База"));

        header->moveSection(5, 0); // the path column dragged to the front
        header->resizeSection(5, 200);
        w->close();
        QTRY_VERIFY(!TfrmJOpen::instance());
        const auto key = OpenMainKey(QStringLiteral("t2"));
        QCOMPARE(key->value("Width0").toInt(), 200);
        QCOMPARE(key->value("FieldName0").toString(), QStringLiteral("memPathFile"));
        QCOMPARE(key->value("FieldTitle0").toString(), QStringLiteral("Путь"));
        QCOMPARE(key->value("FieldName1").toString(), QStringLiteral("memDB"));
        QCOMPARE(key->value("Width1").toInt(), 50);

        w = open();
        QCOMPARE(w->rxMem()->data(w->rxMem()->index(0, 0)).toString(),
                 QStringLiteral("C:\\Backup\\SRV_master_25.12.2008_14.30.05.bak"));
        QCOMPARE(w->DBGridRes->horizontalHeader()->sectionSize(0), 200);
    }

    void followsLanguage()
    {
        writeFile(journal(), Backup + "\r\n");
        TfrmJOpen *w = open();
        EnglishTranslator english;
        QVERIFY(QCoreApplication::installTranslator(&english));
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Backup log"));
        QCOMPARE(w->bbClear->text(), QStringLiteral("Clear"));
        QCOMPARE(w->rxMem()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Date"));
        QCOMPARE(w->strrsDp, QStringLiteral("More"));
        QCOMPARE(w->strRsA, QStringLiteral("Question"));
        // No English text: the Russian one stays.
        QCOMPARE(w->BitBtn1->text(), QStringLiteral("Выход"));

        QCoreApplication::removeTranslator(&english);
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Журнал архивов"));
        QCOMPARE(w->strrsDp, QStringLiteral("Подробности"));
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestJOpen test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_jopen.moc"

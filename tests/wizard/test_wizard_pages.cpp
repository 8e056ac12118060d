// The wizard's pages on their own: start values, moves, the "Type1" option
// rules, the checks on Next, the summary and the stored position.
#include "DateTimeText.h"
#include "TestSupport.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "wizard/untAdd.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QTimeEdit>

namespace {

// A folder this process cannot write into, even as root.
QString UnwritableFolder(QTemporaryDir &scratch)
{
    const QString folder = scratch.filePath(QStringLiteral("readonly"));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(folder + QStringLiteral("/x"));
    if (!probe.open(QIODevice::WriteOnly))
        return folder;
    probe.remove();
    return QStringLiteral("/sys"); // root passes file modes; sysfs refuses new files
}

// English for some of the wizard's texts, as a language switch installs it.
class EnglishTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *disambiguation, int) const override
    {
        static const QHash<QString, QString> english = {
            {QStringLiteral("Добавить|"), QStringLiteral("Add")},
            {QStringLiteral("Ежедневно|"), QStringLiteral("Daily")},
            {QStringLiteral("Ежедневно|strrsDaily"), QStringLiteral("On days")},
            {QStringLiteral("База данных|strrsDB"), QStringLiteral("Database")},
            {QStringLiteral("Понедельник|"), QStringLiteral("Monday")},
            {QStringLiteral("Вы не указали базу данных|strrsNoDb"), QStringLiteral("You haven't specified a database")},
        };
        if (qstrcmp(context, "TfrmAdd") != 0)
            return QString();
        return english.value(QString::fromUtf8(source) + QLatin1Char('|') + QString::fromUtf8(disambiguation));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestWizardPages : public QObject
{
    Q_OBJECT

    QPointer<TfrmAdd> wizard;
    QTemporaryDir scratch;

    QString writableFolder() const { return scratch.path(); }

    // Fills a kind's page as far as the checks on Next need.
    void fillPage(const QString &kind, const QString &database, const QString &folder)
    {
        wizard->DatabaseField(kind)->setText(database);
        wizard->FolderField(kind)->setText(folder);
    }

    void goTo(const QString &kind)
    {
        wizard->SetActivePage(QStringLiteral("Start"));
        if (kind == QLatin1String("Type1"))
            wizard->rbType1->setChecked(true);
        else if (kind == QLatin1String("Type2"))
            wizard->rbType2->setChecked(true);
        else if (kind == QLatin1String("Type3"))
            wizard->rbType3->setChecked(true);
        else
            wizard->rbType4->setChecked(true);
        wizard->bbNextStart->click();
        QCOMPARE(wizard->ActivePageName(), kind);
    }

    QPushButton *nextOf(const QString &kind) const
    {
        return wizard->Notebook->findChild<QPushButton *>(QStringLiteral("bbNext") + kind);
    }

private slots:
    void initTestCase()
    {
        DateTimeFormat::setCurrent(DateTimeFormat::russian());
        MessageSeam::script();
    }

    void init()
    {
        OpenMainKey(QStringLiteral("frmAdd"))->remove(QString());
        MessageSeam::clearShown();
        wizard = new TfrmAdd;
        wizard->show();
    }

    void cleanup()
    {
        delete wizard;
        QVERIFY(!TfrmAdd::instance());
    }

    void addModeOpensOnStartAndLeadsToType3()
    {
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Start"));
        QVERIFY(wizard->rbType3->isChecked());
        QCOMPARE(wizard->rbType3->text(), QStringLiteral("Однократно"));
        QVERIFY(wizard->leServerName->isReadOnly());
        for (const char *kind : {"Type1", "Type2", "Type3", "Type4"}) {
            QVERIFY(wizard->DatabaseField(kind)->text().isEmpty());
            QVERIFY(wizard->FolderField(kind)->text().isEmpty());
        }
        wizard->bbNextStart->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Type3"));
        QCOMPARE(wizard->dtDateType3->date(), QDate::currentDate());
        QCOMPARE(wizard->seHourMinType3->time(), QTime(0, 0));
        QCOMPARE(wizard->seHourMinType3->text(), QStringLiteral("00:00:00"));
        QVERIFY(!wizard->cbOnceType3->isChecked());
    }

    void pagesHoldTheDesignedControls()
    {
        QStringList pages;
        for (int i = 0; i < wizard->Notebook->count(); ++i)
            pages << wizard->Notebook->widget(i)->objectName();
        QCOMPARE(pages, QStringList({"Start", "Type1", "Type2", "Type3", "Type4", "Finish"}));
        QVERIFY(wizard->width() >= 421 && wizard->height() >= 221);
        QCOMPARE(wizard->windowTitle(), QStringLiteral("Добавить"));
        const struct {
            QSpinBox *spin;
            int minimum, maximum, value;
        } spins[] = {{wizard->seEveryType1, 1, 7, 1},
                     {wizard->seEveryHourType1, 0, 24, 0},
                     {wizard->seWeekType2, 1, 6, 1},
                     {wizard->seWeekType4, 1, 31, 1}};
        for (const auto &s : spins) {
            QCOMPARE(s.spin->minimum(), s.minimum);
            QCOMPARE(s.spin->maximum(), s.maximum);
            QCOMPARE(s.spin->value(), s.value);
        }
        QVERIFY(!wizard->seEveryHourType1->isEnabled());
        for (const char *name : {"cbDay1", "cbDay7", "cb1Type4", "cb12Type4", "edDB", "deFolder", "edBaseType2",
                                 "deFolderType4", "memRes", "bbApplyFinish", "bbPriorFinish", "bbCloseFinish"})
            QVERIFY2(wizard->findChild<QWidget *>(QLatin1String(name)), name);
        QCOMPARE(wizard->cbDay[6]->text(), QStringLiteral("Воскресенье"));
        QCOMPARE(wizard->cbMonth[11]->text(), QStringLiteral("Декабрь"));
        QVERIFY(wizard->memRes->isReadOnly());
    }

    // Events on "Type1" and the states they leave. Events: daily, every,
    // weekdays (select that option), check, uncheck (the repeat box),
    // hour=N (the hour spin field).
    void type1OptionRules_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<bool>("everyEnabled");
        QTest::addColumn<bool>("boxEnabled");
        QTest::addColumn<bool>("boxChecked");
        QTest::addColumn<bool>("hourEnabled");
        QTest::addColumn<int>("hourValue");

        QTest::newRow("daily enables the hours with the box clear")
            << QStringList{"daily"} << false << true << false << true << 0;
        QTest::newRow("checking the box raises 0 to 1") << QStringList{"daily", "check"} << false << true << true
                                                        << true << 1;
        QTest::newRow("checking keeps a value above 0")
            << QStringList{"daily", "hour=5", "check"} << false << true << true << true << 5;
        QTest::newRow("clearing the box disables and keeps the value")
            << QStringList{"daily", "check", "hour=6", "uncheck"} << false << true << false << false << 6;
        QTest::newRow("every N days clears and disables the repeat")
            << QStringList{"daily", "check", "hour=6", "every"} << true << false << false << false << 0;
        QTest::newRow("days off clears and disables the repeat")
            << QStringList{"daily", "check", "hour=3", "weekdays"} << false << false << false << false << 0;
        QTest::newRow("daily after every N days enables again")
            << QStringList{"every", "daily"} << false << true << false << true << 0;
    }

    void type1OptionRules()
    {
        QFETCH(QStringList, events);
        wizard->ClearWizard();
        for (const QString &event : events) {
            if (event == QLatin1String("daily"))
                wizard->rbDailyType1->setChecked(true);
            else if (event == QLatin1String("every"))
                wizard->rbEveryType1->setChecked(true);
            else if (event == QLatin1String("weekdays"))
                wizard->rbWeekdaysType1->setChecked(true);
            else if (event == QLatin1String("check"))
                wizard->cbEveryCbType1->setChecked(true);
            else if (event == QLatin1String("uncheck"))
                wizard->cbEveryCbType1->setChecked(false);
            else if (event.startsWith(QLatin1String("hour=")))
                wizard->seEveryHourType1->setValue(event.mid(5).toInt());
        }
        QTEST(wizard->seEveryType1->isEnabled(), "everyEnabled");
        QTEST(wizard->cbEveryCbType1->isEnabled(), "boxEnabled");
        QTEST(wizard->cbEveryCbType1->isChecked(), "boxChecked");
        QTEST(wizard->seEveryHourType1->isEnabled(), "hourEnabled");
        QTEST(wizard->seEveryHourType1->value(), "hourValue");
    }

    void resetClearsEveryOptionAndField()
    {
        goTo(QStringLiteral("Type1"));
        wizard->rbWeekdaysType1->setChecked(true);
        wizard->edDB->setText(QStringLiteral("x"));
        wizard->cbDay[2]->setChecked(true);
        wizard->cbMonth[4]->setChecked(true);
        wizard->cbOnceType3->setChecked(true);
        wizard->ClearWizard();
        QVERIFY(!wizard->rbDailyType1->isChecked());
        QVERIFY(!wizard->rbEveryType1->isChecked());
        QVERIFY(!wizard->rbWeekdaysType1->isChecked());
        QVERIFY(wizard->SelectedKind().isEmpty());
        QVERIFY(wizard->edDB->text().isEmpty());
        QVERIFY(!wizard->cbDay[2]->isChecked());
        QVERIFY(!wizard->cbMonth[4]->isChecked());
        QVERIFY(!wizard->cbOnceType3->isChecked());
        QCOMPARE(wizard->seHourMinType3->time(), QTime(0, 0));
        // With no kind selected Next stays on "Start".
        wizard->SetActivePage(QStringLiteral("Start"));
        wizard->bbNextStart->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Start"));
    }

    void addModeReturnToType1SelectsDailyAgain()
    {
        goTo(QStringLiteral("Type1"));
        QVERIFY(wizard->rbDailyType1->isChecked());
        wizard->rbEveryType1->setChecked(true);
        wizard->seEveryType1->setValue(4);
        wizard->bbPriorType1->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Start"));
        wizard->bbNextStart->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Type1"));
        QVERIFY(wizard->rbDailyType1->isChecked());
        QVERIFY(!wizard->seEveryType1->isEnabled());
    }

    void onceBoxMovesTheRunToNow()
    {
        goTo(QStringLiteral("Type3"));
        wizard->dtDateType3->setDate(QDate(2001, 2, 3));
        wizard->seHourMinType3->setTime(QTime(1, 2));
        const QTime before = QTime::currentTime().addSecs(-1);
        wizard->cbOnceType3->setChecked(true);
        QCOMPARE(wizard->dtDateType3->date(), QDate::currentDate());
        QVERIFY(wizard->seHourMinType3->time() >= QTime(before.hour(), before.minute(), before.second()));
        // Clearing it leaves the moment where it is.
        wizard->seHourMinType3->setTime(QTime(7, 8));
        wizard->cbOnceType3->setChecked(false);
        QCOMPARE(wizard->seHourMinType3->time(), QTime(7, 8));
        QCOMPARE(wizard->dtDateType3->date(), QDate::currentDate());
    }

    void summary_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("option"); // Type1: daily, every, weekdays or none
        QTest::addColumn<int>("number");     // every N days (Type1) or day of the month (Type4)
        QTest::addColumn<QString>("database");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QList<int>>("boxes"); // days (Type2) or months (Type4), from 1
        QTest::addColumn<bool>("once");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Type1 every 3 days") << "Type1" << "every" << 3 << "sales" << QTime(23, 30) << "D:\\Backup"
                                            << QList<int>{} << false
                                            << "Каждый 3 День\r\nБаза данных: sales\r\nЧас: 23\r\nМин: 30\r\n"
                                               "Путь: D:\\Backup";
        QTest::newRow("Type4 January and July")
            << "Type4" << "" << 15 << "sales" << QTime(2, 5) << "D:\\Backup" << QList<int>{1, 7} << false
            << "По месяцам\r\nЯнварь;Июль;\r\nДень: 15\r\nБаза данных: sales\r\nЧас: 2\r\nМин: 5\r\nПуть: D:\\Backup";
        QTest::newRow("Type1 daily at midnight, fields untrimmed")
            << "Type1" << "daily" << 1 << " db " << QTime(0, 0) << " /b " << QList<int>{} << false
            << "Ежедневно\r\nБаза данных:  db \r\nЧас: 0\r\nМин: 0\r\nПуть:  /b ";
        QTest::newRow("Type1 days off") << "Type1" << "weekdays" << 1 << "db" << QTime(9, 0) << "/b" << QList<int>{}
                                        << false << "По выходным\r\nБаза данных: db\r\nЧас: 9\r\nМин: 0\r\nПуть: /b";
        QTest::newRow("Type1 without option") << "Type1" << "none" << 1 << "db" << QTime(9, 0) << "/b"
                                              << QList<int>{} << false
                                              << "\r\nБаза данных: db\r\nЧас: 9\r\nМин: 0\r\nПуть: /b";
        QTest::newRow("Type2 Monday, Wednesday, Sunday")
            << "Type2" << "" << 0 << "db" << QTime(10, 15) << "/b" << QList<int>{7, 1, 3} << false
            << "Каждый:\r\nПонедельник;Среда;Воскресенье;\r\nБаза данных: db\r\nЧас: 10\r\nМин: 15\r\nПуть: /b";
        QTest::newRow("Type2 without a day") << "Type2" << "" << 0 << "db" << QTime(10, 15) << "/b" << QList<int>{}
                                             << false
                                             << "Каждый:\r\n\r\nБаза данных: db\r\nЧас: 10\r\nМин: 15\r\nПуть: /b";
        QTest::newRow("Type3 not run at once")
            << "Type3" << "" << 0 << "db" << QTime(14, 7) << "/b" << QList<int>{} << false
            << "Только:\r\nБаза данных: db\r\nДата: 25.12.2008\r\nЧас: 14\r\nМин: 7\r\nПуть: /b\r\n"
               "Выполнить задание после создания: нет";
        QTest::newRow("Type4 without a month")
            << "Type4" << "" << 31 << "db" << QTime(0, 0) << "/b" << QList<int>{} << false
            << "По месяцам\r\n\r\nДень: 31\r\nБаза данных: db\r\nЧас: 0\r\nМин: 0\r\nПуть: /b";
    }

    void summary()
    {
        QFETCH(QString, kind);
        QFETCH(QString, option);
        QFETCH(int, number);
        QFETCH(QTime, time);
        QFETCH(QList<int>, boxes);
        QFETCH(bool, once);
        QFETCH(QString, database);
        QFETCH(QString, folder);
        QFETCH(QString, expected);

        wizard->ClearWizard();
        if (kind == QLatin1String("Type1")) {
            wizard->rbType1->setChecked(true);
            wizard->seEveryType1->setValue(number);
            if (option == QLatin1String("daily"))
                wizard->rbDailyType1->setChecked(true);
            else if (option == QLatin1String("every"))
                wizard->rbEveryType1->setChecked(true);
            else if (option == QLatin1String("weekdays"))
                wizard->rbWeekdaysType1->setChecked(true);
            wizard->seHourMinType1->setTime(time);
        } else if (kind == QLatin1String("Type2")) {
            wizard->rbType2->setChecked(true);
            for (int day : boxes)
                wizard->cbDay[day - 1]->setChecked(true);
            wizard->seHourMinType2->setTime(time);
        } else if (kind == QLatin1String("Type3")) {
            wizard->rbType3->setChecked(true);
            wizard->dtDateType3->setDate(QDate(2008, 12, 25));
            wizard->seHourMinType3->setTime(time);
            wizard->cbOnceType3->setChecked(once);
        } else {
            wizard->rbType4->setChecked(true);
            wizard->seWeekType4->setValue(number);
            for (int month : boxes)
                wizard->cbMonth[month - 1]->setChecked(true);
            wizard->seHourTimeType4->setTime(time);
        }
        fillPage(kind, database, folder);
        QCOMPARE(wizard->SummaryText(), expected);
    }

    void nextShowsTheSummaryOnFinish()
    {
        goTo(QStringLiteral("Type3"));
        fillPage(QStringLiteral("Type3"), QStringLiteral("db"), writableFolder());
        wizard->cbOnceType3->setChecked(true);
        nextOf(QStringLiteral("Type3"))->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Finish"));
        QVERIFY(MessageSeam::shown().isEmpty());
        const QStringList lines = wizard->memRes->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.last(), QStringLiteral("Выполнить задание после создания: да"));
        QVERIFY(!QFile::exists(scratch.filePath(QStringLiteral("Orvell_Params.INI"))));
        // Prior on "Finish" goes back to the kind's page.
        wizard->bbPriorFinish->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Type3"));
    }

    // The checks on Next, in their order: the write probe, the database,
    // the folder. "folder" is writable, unwritable or the text itself.
    void nextChecks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("kindShown");
        QTest::addColumn<QString>("text");

        QTest::newRow("database of blanks") << "Type1" << "   " << "writable" << "message"
                                            << "Вы не указали базу данных";
        QTest::newRow("folder of blanks") << "Type2" << "db" << "   " << "message"
                                          << "Вы не указали путь для файла архива";
        QTest::newRow("both empty: the database first") << "Type4" << "" << "" << "message"
                                                        << "Вы не указали базу данных";
        QTest::newRow("folder not writable") << "Type3" << "db" << "unwritable" << "plain"
                                             << "Отсутствует доступ к папке на запись.";
        QTest::newRow("unwritable folder before the empty database")
            << "Type1" << "" << "unwritable" << "plain" << "Отсутствует доступ к папке на запись.";
    }

    void nextChecks()
    {
        QFETCH(QString, kind);
        QFETCH(QString, database);
        QFETCH(QString, folder);
        QFETCH(QString, kindShown);
        QFETCH(QString, text);
        if (folder == QLatin1String("writable"))
            folder = writableFolder();
        else if (folder == QLatin1String("unwritable"))
            folder = UnwritableFolder(scratch);
        goTo(kind);
        fillPage(kind, database, folder);
        nextOf(kind)->click();
        QCOMPARE(wizard->ActivePageName(), kind);
        const auto shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, kindShown);
        QCOMPARE(shown[0].text, text);
        if (kindShown == QLatin1String("message"))
            QCOMPARE(shown[0].title, QStringLiteral("Предупреждение"));
    }

    void followsTheLanguageSwitch()
    {
        EnglishTranslator english;
        QVERIFY(QCoreApplication::installTranslator(&english));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(wizard->windowTitle(), QStringLiteral("Add"));
        QCOMPARE(wizard->rbDailyType1->text(), QStringLiteral("Daily"));
        QCOMPARE(wizard->strrsDaily, QStringLiteral("On days"));
        QCOMPARE(wizard->strrsNoDb, QStringLiteral("You haven't specified a database"));
        wizard->rbType1->setChecked(true);
        wizard->rbDailyType1->setChecked(true);
        wizard->edDB->setText(QStringLiteral("db"));
        QVERIFY(wizard->SummaryText().startsWith(QStringLiteral("On days\r\nDatabase: db\r\n")));
        wizard->rbType2->setChecked(true);
        wizard->cbDay[0]->setChecked(true);
        QCOMPARE(wizard->SummaryText().section(QStringLiteral("\r\n"), 1, 1), QStringLiteral("Monday;"));
        QCoreApplication::removeTranslator(&english);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(wizard->strrsDaily, QStringLiteral("Ежедневно"));
        QCOMPARE(wizard->rbDailyType1->text(), QStringLiteral("Ежедневно"));
    }

    void positionIsRestoredOnlyWhenBothAreNumbers()
    {
        delete wizard;
        OpenMainKey(QStringLiteral("frmAdd"))->setValue(QStringLiteral("Top"), QStringLiteral("x12"));
        OpenMainKey(QStringLiteral("frmAdd"))->setValue(QStringLiteral("Left"), QStringLiteral("345"));
        wizard = new TfrmAdd;
        QVERIFY(wizard->pos().x() != 345);
        wizard->show();
        wizard->bbCloseStart->click();
        QVERIFY(!TfrmAdd::instance());
        QCOMPARE(OpenMainKey(QStringLiteral("frmAdd"))->value(QStringLiteral("Left")).toString(),
                 QString::number(wizard->pos().x()));
        QCOMPARE(OpenMainKey(QStringLiteral("frmAdd"))->value(QStringLiteral("Top")).toString(),
                 QString::number(wizard->pos().y()));
        QVERIFY(!OpenMainKey(QStringLiteral("frmAdd"))->contains(QStringLiteral("Width")));
        delete wizard;

        OpenMainKey(QStringLiteral("frmAdd"))->setValue(QStringLiteral("Top"), QStringLiteral("123"));
        OpenMainKey(QStringLiteral("frmAdd"))->setValue(QStringLiteral("Left"), QStringLiteral("345"));
        wizard = new TfrmAdd;
        QCOMPARE(wizard->pos(), QPoint(345, 123));
        wizard->show();
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestWizardPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wizard_pages.moc"

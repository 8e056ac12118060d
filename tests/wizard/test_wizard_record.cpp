// The wizard and the task table of the real main window: Apply in both modes,
// loading a task into the pages, recovery from a failed Apply, the connection
// question, and a task run at once after it was created.
#include "Clock.h"
#include "DateTimeText.h"
#include "WizardFixture.h"
#include "app/TaskGrid.h"
#include "ui/untMyDialog.h"
#include "wizard/untAdd.h"
#include "wizard/untDB.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>

class TestWizardRecord : public QObject
{
    Q_OBJECT

    MainWindowFixture main;
    SqlSimulator simA; // the server the stored tasks belong to
    SqlSimulator simB; // the server the main window is set to
    QTemporaryDir backups;
    QPointer<TfrmAdd> wizard;

    QString folder() const { return backups.path(); }

    void open(bool edit, int row = -1)
    {
        main.window->EditMode = edit;
        if (row >= 0)
            main.table()->SetCurrentRow(row);
        wizard = new TfrmAdd(main.window.get());
        wizard->show();
    }

    QPushButton *button(const QString &name) const { return wizard->findChild<QPushButton *>(name); }

    // From "Start" through the kind's page to "Finish"; page filled by fill.
    template<typename Fill>
    void walk(QRadioButton *kind, const QString &page, Fill fill)
    {
        wizard->SetActivePage(QStringLiteral("Start"));
        kind->setChecked(true);
        wizard->bbNextStart->click();
        QCOMPARE(wizard->ActivePageName(), page);
        fill();
        button(QStringLiteral("bbNext") + page)->click();
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Finish"));
    }

    void apply()
    {
        MessageSeam::script({1});
        wizard->bbApplyFinish->click();
    }

    QStringList fileLines() const { return ReadTaskFile(main.programDir.path()).Lines; }

    // Three tasks of server A: Type1, Type2, Type3.
    QStringList threeTasks() const
    {
        QStringList lines;
        for (const char *kind : {"Type1", "Type2", "Type3"})
            lines << TaskOf(QLatin1String(kind), simA, QStringLiteral("SRVA")).toLine();
        return lines;
    }

    void clickDatabaseButton(QLineEdit *field)
    {
        field->findChild<QAction *>(field->objectName() + QStringLiteral("Button"))->trigger();
    }

    QStringList pickerNames() const
    {
        QStringList names;
        for (int row = 0; row < frmDB->DBGrid->rowCount(); ++row)
            names << frmDB->DBGrid->item(row, 0)->text();
        return names;
    }

private slots:
    void initTestCase()
    {
        DateTimeFormat::setCurrent(DateTimeFormat::russian());
        QVERIFY(simA.start());
        QVERIFY(simB.start());
        simA.setFileRoot(QDir::rootPath());
        simB.setFileRoot(QDir::rootPath());
        simA.addDatabase(QStringLiteral("OnlyOnA"));
        simB.addDatabase(QStringLiteral("OnlyOnB"));
        MessageSeam::script();
        main.create();
    }

    void init()
    {
        MessageSeam::script();
        MessageSeam::clearShown();
        main.pointAt(simB);
        main.load(threeTasks());
        main.window->RunAfterCreate = false;
    }

    void cleanup()
    {
        delete wizard.data();
        if (frmDB)
            delete frmDB.data();
    }

    void applyAddsATask_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("number");
        QTest::addColumn<QList<int>>("boxes");
        // Expected text of fields of the new line, "field index=text".
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("Type1 daily, every 6 hours")
            << "Type1" << "daily" << 6 << QList<int>{}
            << QStringList{"7=1", "8=0", "15=-1", "16=6", "9=0", "10=", "11=0", "13=", "14=0"};
        QTest::newRow("Type1 every 3 days") << "Type1" << "every" << 3 << QList<int>{}
                                            << QStringList{"7=3", "8=0", "15=0", "16=0"};
        QTest::newRow("Type1 days off") << "Type1" << "weekdays" << 0 << QList<int>{}
                                        << QStringList{"7=0", "8=-1", "15=0", "16=0"};
        QTest::newRow("Type2 Monday, Wednesday, Sunday every 2 weeks")
            << "Type2" << "" << 2 << QList<int>{7, 3, 1} << QStringList{"9=2", "10=1,3,7", "7=", "13="};
        QTest::newRow("Type2 without a day") << "Type2" << "" << 1 << QList<int>{} << QStringList{"9=1", "10="};
        QTest::newRow("Type3 on a date") << "Type3" << "" << 0 << QList<int>{}
                                         << QStringList{"11=0", "12=25.12.2030", "7=", "10="};
        QTest::newRow("Type4 January and July on the 15th")
            << "Type4" << "" << 15 << QList<int>{1, 7} << QStringList{"13=1,7", "14=15", "7=", "9=0", "16=0"};
    }

    void applyAddsATask()
    {
        QFETCH(QString, kind);
        QFETCH(QString, option);
        QFETCH(int, number);
        QFETCH(QList<int>, boxes);
        QFETCH(QStringList, expected);

        open(false);
        QCOMPARE(wizard->leServerName->text(), simB.dataSource());
        QRadioButton *kinds[] = {wizard->rbType1, wizard->rbType2, wizard->rbType3, wizard->rbType4};
        walk(kinds[kind.right(1).toInt() - 1], kind, [&] {
            wizard->DatabaseField(kind)->setText(QStringLiteral("  newdb "));
            wizard->FolderField(kind)->setText(folder());
            if (kind == QLatin1String("Type1")) {
                wizard->seHourMinType1->setTime(QTime(23, 30));
                if (option == QLatin1String("every")) {
                    wizard->rbEveryType1->setChecked(true);
                    wizard->seEveryType1->setValue(number);
                } else if (option == QLatin1String("weekdays")) {
                    wizard->rbWeekdaysType1->setChecked(true);
                } else {
                    wizard->cbEveryCbType1->setChecked(true);
                    wizard->seEveryHourType1->setValue(number);
                }
            } else if (kind == QLatin1String("Type2")) {
                wizard->seHourMinType2->setTime(QTime(23, 30));
                wizard->seWeekType2->setValue(number);
                for (int day : boxes)
                    wizard->cbDay[day - 1]->setChecked(true);
            } else if (kind == QLatin1String("Type3")) {
                wizard->seHourMinType3->setTime(QTime(23, 30));
                wizard->dtDateType3->setDate(QDate(2030, 12, 25));
            } else {
                wizard->seHourTimeType4->setTime(QTime(23, 30));
                wizard->seWeekType4->setValue(number);
                for (int month : boxes)
                    wizard->cbMonth[month - 1]->setChecked(true);
            }
        });
        const QDateTime before = LocalNow().addSecs(-1);
        apply();
        const QDateTime after = LocalNow().addSecs(1);
        QVERIFY(!wizard->isVisible());
        QVERIFY(!TfrmAdd::instance());
        QVERIFY(!main.window->RunAfterCreate);

        TTaskTable *table = main.table();
        QCOMPARE(table->RecordCount(), 4);
        QCOMPARE(table->CurrentRow(), 3);
        QCOMPARE(table->Value(3, mID).toInt(), 3);
        QCOMPARE(table->Value(3, mResult).toString(), QStringLiteral("insert_new_task"));
        const QDateTime dateLast = table->Value(3, mDateLast).toDateTime();
        QVERIFY2(dateLast >= before && dateLast <= after, qPrintable(dateLast.toString()));

        const QStringList lines = fileLines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.mid(0, 3), threeTasks());
        const QStringList fields = SplitTaskLine(lines[3]);
        QCOMPARE(fields.size(), TaskFieldCount);
        QCOMPARE(fields[fDBName], QStringLiteral("newdb"));
        QCOMPARE(fields[fHour], QStringLiteral("23"));
        QCOMPARE(fields[fMin], QStringLiteral("30"));
        QCOMPARE(fields[fResult], QStringLiteral("insert_new_task"));
        QCOMPARE(fields[fPath], folder());
        QCOMPARE(fields[fType], kind);
        QCOMPARE(fields[fServer], simB.dataSource());
        QCOMPARE(fields[fStrConnect], StrConnectToStored(main.window->CreateConnectString()));
        QVERIFY(!fields[fStrConnect].contains(QLatin1Char(';')));
        for (const QString &pair : expected) {
            const int field = pair.section(QLatin1Char('='), 0, 0).toInt();
            QCOMPARE(fields[field], pair.section(QLatin1Char('='), 1));
        }
        // The engine reads the line back as the same task.
        const TaskRecord task = TaskRecord::fromLine(lines[3]);
        QCOMPARE(task.Type, kind);
        QCOMPARE(task.DBName, QStringLiteral("newdb"));
        QCOMPARE(task.Result, NewTaskMarker);
    }

    void cancelChangesNothing()
    {
        open(true, 1);
        walk(wizard->rbType4, QStringLiteral("Type4"), [&] {
            wizard->edBaseType4->setText(QStringLiteral("other"));
            wizard->deFolderType4->setText(folder());
        });
        MessageSeam::script({2});
        wizard->bbApplyFinish->click(); // "Нет" to the save question
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Finish"));
        QCOMPARE(MessageSeam::shown().last().text, QStringLiteral("Вы уверены что желаете сохранить задание?"));
        QCOMPARE(MessageSeam::shown().last().title, QStringLiteral("Вопрос"));
        wizard->bbCloseFinish->click();
        QCOMPARE(fileLines(), threeTasks());
        QCOMPARE(main.table()->Value(1, mType).toString(), QStringLiteral("Type2"));
    }

    void editKeepsTheTasksOwnServer()
    {
        main.connect(); // the main window works with server B
        QVERIFY(main.window->ADOConnection.Connected());
        open(true, 1);
        QCOMPARE(wizard->leServerName->text(), QStringLiteral("SRVA"));
        QVERIFY(wizard->rbType2->isChecked());
        walk(wizard->rbType2, QStringLiteral("Type2"), [&] { wizard->cbDay[4]->setChecked(true); });
        apply();
        QVERIFY(!wizard->isVisible());
        TTaskTable *table = main.table();
        QCOMPARE(table->RecordCount(), 3);
        QCOMPARE(table->CurrentRow(), 1); // found again after the file was written
        QCOMPARE(table->Value(1, mServer).toString(), QStringLiteral("SRVA"));
        QCOMPARE(table->Value(1, mStrConnect).toString(), StrConnectToStored(simA.oleDbConnectionString()));
        QCOMPARE(table->Value(1, mResult).toString(), NewTaskMarker);
        QVERIFY(table->Value(1, mDateLast).toDateTime() > QDateTime(QDate(2008, 12, 25), QTime(14, 30, 5), Qt::UTC));
        QCOMPARE(SplitTaskLine(fileLines()[1])[fDayType2], QStringLiteral("5"));
        main.disconnect();
    }

    void changingType1IntoType4EmptiesTheType1Fields()
    {
        TaskRecord task = TaskOf(QStringLiteral("Type1"), simA, QStringLiteral("SRVA"));
        task.DailyOnType1 = true;
        task.EveryType1 = 1;
        task.OnWeekDaysType1 = false;
        task.EveryHour = 4;
        main.load({task.toLine()});
        open(true, 0);
        QVERIFY(wizard->rbDailyType1->isChecked());
        QVERIFY(wizard->cbEveryCbType1->isChecked());
        QCOMPARE(wizard->seEveryHourType1->value(), 4);
        walk(wizard->rbType4, QStringLiteral("Type4"), [&] {
            wizard->edBaseType4->setText(QStringLiteral("sales"));
            wizard->deFolderType4->setText(folder());
            wizard->cbMonth[1]->setChecked(true);
        });
        apply();
        TTaskTable *table = main.table();
        for (int field : {mEveryType1, mOnWeekDaysType1, mDailyOnType1, mEveryHour})
            QVERIFY2(table->IsNull(0, field), qPrintable(TTaskTable::FieldNames()[field]));
        QCOMPARE(table->Value(0, mType).toString(), QStringLiteral("Type4"));
        QCOMPARE(table->Value(0, mMonthType4).toString(), QStringLiteral("2"));
        const QStringList fields = SplitTaskLine(fileLines()[0]);
        QCOMPARE(fields[fEveryType1], QString());
        QCOMPARE(fields[fEveryHour], QStringLiteral("0"));
    }

    // How a stored task shows on the pages.
    void loadingATask_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("list"); // DayType2 or MonthType4
        QTest::addColumn<bool>("onWeekDays");
        QTest::addColumn<bool>("dailyOn");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<QString>("option");

        QTest::newRow("days 7,1: Sunday and Monday") << "Type2" << "7,1" << false << false << QList<int>{1, 7} << "";
        QTest::newRow("days with blanks or zeros match none")
            << "Type2" << " 3,03,8" << false << false << QList<int>{} << "";
        QTest::newRow("months 12,1, and a repetition") << "Type4" << "12,1,12," << false << false
                                                       << QList<int>{1, 12} << "";
        QTest::newRow("days off wins over daily") << "Type1" << "" << true << true << QList<int>{} << "weekdays";
        QTest::newRow("neither: every N days") << "Type1" << "" << false << false << QList<int>{} << "every";
    }

    void loadingATask()
    {
        QFETCH(QString, kind);
        QFETCH(QString, list);
        QFETCH(bool, onWeekDays);
        QFETCH(bool, dailyOn);
        QFETCH(QList<int>, checked);
        QFETCH(QString, option);
        TaskRecord task = TaskOf(kind, simA, QStringLiteral("SRVA"));
        task.DayType2 = list;
        task.MonthType4 = list;
        task.OnWeekDaysType1 = onWeekDays;
        task.DailyOnType1 = dailyOn;
        task.EveryType1 = 9; // beyond the field's range: shown as 7
        main.load({task.toLine()});
        open(true, 0);
        QCOMPARE(wizard->SelectedKind(), kind);
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Start"));
        QCOMPARE(wizard->DatabaseField(kind)->text(), QStringLiteral("sales"));
        QCOMPARE(wizard->FolderField(kind)->text(), QStringLiteral("/var/backups"));
        QCheckBox *const *boxes = kind == QLatin1String("Type4") ? wizard->cbMonth : wizard->cbDay;
        const int count = kind == QLatin1String("Type4") ? 12 : 7;
        for (int n = 1; n <= count; ++n)
            QCOMPARE(boxes[n - 1]->isChecked(), checked.contains(n));
        if (option == QLatin1String("weekdays")) {
            QVERIFY(wizard->rbWeekdaysType1->isChecked());
            QVERIFY(!wizard->cbEveryCbType1->isEnabled());
        } else if (option == QLatin1String("every")) {
            QVERIFY(wizard->rbEveryType1->isChecked());
            QCOMPARE(wizard->seEveryType1->value(), 7);
            QVERIFY(wizard->seEveryType1->isEnabled());
        }
        // In edit mode the option stays as loaded when going on to "Type1".
        if (kind == QLatin1String("Type1")) {
            wizard->bbNextStart->click();
            QCOMPARE(wizard->rbDailyType1->isChecked(), false);
        }
    }

    void aTimeOfNoDayLoadsAsMidnightAndSaves()
    {
        TaskRecord task = TaskOf(QStringLiteral("Type4"), simA, QStringLiteral("SRVA"));
        task.Hour = 25;
        task.Min = 70;
        main.load({task.toLine()});
        open(true, 0);
        QCOMPARE(wizard->seHourTimeType4->time(), QTime(0, 0));
        QVERIFY(MessageSeam::shown().isEmpty());
        walk(wizard->rbType4, QStringLiteral("Type4"), [&] {
            wizard->deFolderType4->setText(folder());
            wizard->seHourTimeType4->setTime(QTime(6, 45));
        });
        apply();
        QCOMPARE(main.table()->Value(0, mHour).toInt(), 6);
        QCOMPARE(main.table()->Value(0, mMin).toInt(), 45);
    }

    void onceTaskLoadsAsNowAndAsksForARun()
    {
        TaskRecord task = TaskOf(QStringLiteral("Type3"), simA, QStringLiteral("SRVA"));
        task.OnceType3 = 1;
        task.DateType3 = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        task.Hour = 3;
        task.Min = 4;
        main.load({task.toLine()});
        const QDateTime before = LocalNow().addSecs(-1);
        open(true, 0);
        QVERIFY(wizard->cbOnceType3->isChecked());
        QCOMPARE(wizard->dtDateType3->date(), before.date());
        walk(wizard->rbType3, QStringLiteral("Type3"), [&] { wizard->deFolderType3->setText(folder()); });
        apply();
        QVERIFY(main.window->RunAfterCreate);
        TTaskTable *table = main.table();
        QCOMPARE(table->Value(0, mDateType3).toDateTime().date(), before.date());
        const QTime stored(table->Value(0, mHour).toInt(), table->Value(0, mMin).toInt());
        QVERIFY(stored >= QTime(before.time().hour(), before.time().minute()));
        QCOMPARE(table->Value(0, mOnceType3).toInt(), 1);
    }

    void onceBoxCountsWhateverKindIsSaved()
    {
        open(false);
        wizard->rbType3->setChecked(true);
        wizard->bbNextStart->click();
        wizard->cbOnceType3->setChecked(true);
        wizard->bbPriorType3->click();
        walk(wizard->rbType1, QStringLiteral("Type1"), [&] {
            wizard->edDB->setText(QStringLiteral("db"));
            wizard->deFolder->setText(folder());
        });
        apply();
        QVERIFY(main.window->RunAfterCreate);
        QVERIFY(main.table()->IsNull(3, mOnceType3));
    }

    // The task file cannot be replaced: the table is put back, the user is
    // told why, and the wizard stays on "Finish" for another try.
    void failedApplyRestoresTheRow_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("add") << false;
        QTest::newRow("edit") << true;
    }

    void failedApplyRestoresTheRow()
    {
        QFETCH(bool, edit);
        const QString file = main.programDir.file(TaskFileName);
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkdir(file)); // a folder where the file has to go
        open(edit, 2);
        walk(wizard->rbType4, QStringLiteral("Type4"), [&] {
            wizard->edBaseType4->setText(QStringLiteral("changed"));
            wizard->deFolderType4->setText(folder());
        });
        apply();
        QVERIFY(QDir().rmdir(file));

        QVERIFY(wizard->isVisible());
        QCOMPARE(wizard->ActivePageName(), QStringLiteral("Finish"));
        const auto shown = MessageSeam::shown();
        QCOMPARE(shown.last().kind, QStringLiteral("message"));
        QCOMPARE(shown.last().title, QStringLiteral("Предупреждение"));
        QVERIFY(!shown.last().text.isEmpty());
        TTaskTable *table = main.table();
        QCOMPARE(table->RecordCount(), 3);
        QCOMPARE(table->CurrentRow(), 2);
        QCOMPARE(table->Record(2).toLine(), threeTasks()[2]);
        QVERIFY(!main.window->RunAfterCreate);

        // Once the file can be written again, the same Apply goes through.
        apply();
        QVERIFY(!wizard->isVisible());
        QCOMPARE(fileLines().size(), edit ? 3 : 4);
        QCOMPARE(SplitTaskLine(fileLines().last())[fDBName], QStringLiteral("changed"));
    }

    void connectionQuestionInAddMode()
    {
        open(false);
        wizard->SetActivePage(QStringLiteral("Type3"));
        MessageSeam::script({2}); // "Нет"
        clickDatabaseButton(wizard->edBaseType3);
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].kind, QStringLiteral("question"));
        QCOMPARE(MessageSeam::shown()[0].text, QStringLiteral("Установить связь с сервером ") + simB.dataSource()
                                                   + QStringLiteral("?"));
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral("Вопрос"));
        QVERIFY(!main.window->ADOConnection.Connected());
        QVERIFY(!frmDB);

        MessageSeam::script({1}); // "Да"
        clickDatabaseButton(wizard->edBaseType3);
        QVERIFY(main.window->ADOConnection.Connected());
        QVERIFY(frmDB && frmDB->isVisible());
        QCOMPARE(frmDB->qryDB->Connection, &main.window->ADOConnection);
        QVERIFY(pickerNames().contains(QStringLiteral("OnlyOnB")));
        QVERIFY(pickerNames().contains(QStringLiteral("master")));

        // The name goes to the page shown when the user applies.
        frmDB->DBGrid->setCurrentCell(int(pickerNames().indexOf(QStringLiteral("OnlyOnB"))), 0);
        frmDB->btnApple->click();
        QVERIFY(!frmDB);
        QCOMPARE(wizard->edBaseType3->text(), QStringLiteral("OnlyOnB"));
        QVERIFY(wizard->edDB->text().isEmpty());
        QVERIFY(wizard->edBaseType2->text().isEmpty());

        // Connected now: no further question.
        MessageSeam::clearShown();
        wizard->SetActivePage(QStringLiteral("Type1"));
        clickDatabaseButton(wizard->edDB);
        QVERIFY(MessageSeam::shown().isEmpty());
        QVERIFY(frmDB);
        main.disconnect();
    }

    void connectionQuestionInEditMode_data()
    {
        QTest::addColumn<bool>("mainOnTaskServer");
        QTest::addColumn<bool>("mainConnected");
        QTest::newRow("same server, connected") << true << true;
        QTest::newRow("same server, not connected") << true << false;
        QTest::newRow("other server") << false << true;
    }

    void connectionQuestionInEditMode()
    {
        QFETCH(bool, mainOnTaskServer);
        QFETCH(bool, mainConnected);
        main.pointAt(mainOnTaskServer ? simA : simB);
        main.connect();
        if (!mainConnected)
            main.disconnect(); // the connection keeps its string
        open(true, 0);
        MessageSeam::script({1});
        clickDatabaseButton(wizard->edBaseType2);
        if (mainOnTaskServer) {
            QVERIFY(MessageSeam::shown().isEmpty());
        } else {
            QCOMPARE(MessageSeam::shown().size(), 1);
            QCOMPARE(MessageSeam::shown()[0].text, QStringLiteral("Установить связь с сервером SRVA?"));
        }
        QVERIFY(wizard->ADOConnectionUpdate->Connected());
        QVERIFY(frmDB);
        QCOMPARE(frmDB->qryDB->Connection, wizard->ADOConnectionUpdate.get());
        QVERIFY(pickerNames().contains(QStringLiteral("OnlyOnA")));
        QVERIFY(!pickerNames().contains(QStringLiteral("OnlyOnB")));
        main.disconnect();
    }

    void editModeAnswerNoOpensNothing()
    {
        main.pointAt(simB);
        main.connect();
        main.disconnect();
        open(true, 0);
        MessageSeam::script({2});
        clickDatabaseButton(wizard->edDB);
        QCOMPARE(MessageSeam::shown().size(), 1);
        QVERIFY(!wizard->ADOConnectionUpdate->Connected());
        QVERIFY(!frmDB);
    }

    void createdTaskRunsAtOnceAndShowsItsResult()
    {
        simB.addDatabase(QStringLiteral("shop"));
        main.load({});
        // The add command opens the wizard modally; the user's steps come
        // from inside its loop.
        QTimer::singleShot(0, this, [this] {
            wizard = TfrmAdd::instance();
            QVERIFY(wizard && wizard->isModal());
            QCOMPARE(wizard->ActivePageName(), QStringLiteral("Start"));
            wizard->bbNextStart->click(); // "Однократно"
            wizard->edBaseType3->setText(QStringLiteral("shop"));
            wizard->deFolderType3->setText(folder());
            wizard->cbOnceType3->setChecked(true);
            wizard->bbNextType3->click();
            apply();
        });
        main.window->tbPlusClick();
        QVERIFY(!TfrmAdd::instance());
        QVERIFY(!main.window->RunAfterCreate);
        QCOMPARE(main.table()->RecordCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(main.table()->Value(0, mResult).toString(), SuccessResult, 30000);
        QTRY_VERIFY(!main.window->CheckRunning);
        const int column = main.window->GridModel->ColumnOf(QStringLiteral("Result"));
        QCOMPARE(main.window->GridModel->CellText(0, column), QStringLiteral("Успешно выполнено"));
        const QStringList files = QDir(folder()).entryList({QStringLiteral("*shop*.bak")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(simB.batches().join(QLatin1Char('\n')).contains(QStringLiteral("BACKUP DATABASE"),
                                                                   Qt::CaseInsensitive));
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestWizardRecord test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wizard_record.moc"

// Takes a picture of every page of the task wizard and of its two pickers,
// for the README. Run under Xvfb inside a private network namespace:
//   wizard_screenshots OUTPUT_DIR
#include "DateTimeText.h"
#include "WizardFixture.h"
#include "ui/untMyDialog.h"
#include "wizard/untAdd.h"
#include "wizard/untDB.h"
#include "wizard/untFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

namespace {

bool Save(QWidget *window, const QString &dir, const QString &name)
{
    QTest::qWait(300);
    const QString file = QDir(dir).filePath(QStringLiteral("wizard-%1.png").arg(name));
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
        qWarning("usage: wizard_screenshots OUTPUT_DIR");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    DateTimeFormat::setCurrent(DateTimeFormat::russian());
    MessageSeam::script();

    SqlSimulator sim;
    if (!sim.start())
        return 1;
    sim.addDatabase(QStringLiteral("sales"));
    sim.addDatabase(QStringLiteral("warehouse"));
    MainWindowFixture main;
    main.create();
    main.pointAt(sim);
    main.connect();
    const QString folder = QDir::tempPath();

    main.window->EditMode = false;
    auto *wizard = new TfrmAdd(main.window.get());
    wizard->show();
    bool ok = Save(wizard, out, QStringLiteral("start"));

    wizard->rbType1->setChecked(true);
    wizard->bbNextStart->click();
    wizard->edDB->setText(QStringLiteral("sales"));
    wizard->seHourMinType1->setTime(QTime(23, 30));
    wizard->cbEveryCbType1->setChecked(true);
    wizard->seEveryHourType1->setValue(6);
    wizard->deFolder->setText(folder);
    ok &= Save(wizard, out, QStringLiteral("type1"));

    wizard->SetActivePage(QStringLiteral("Type2"));
    for (int day : {0, 2, 4})
        wizard->cbDay[day]->setChecked(true);
    wizard->edBaseType2->setText(QStringLiteral("sales"));
    wizard->deFolderType2->setText(folder);
    wizard->seHourMinType2->setTime(QTime(21, 0));
    wizard->seWeekType2->setValue(2);
    ok &= Save(wizard, out, QStringLiteral("type2"));

    wizard->SetActivePage(QStringLiteral("Type3"));
    wizard->edBaseType3->setText(QStringLiteral("warehouse"));
    wizard->seHourMinType3->setTime(QTime(2, 15));
    wizard->dtDateType3->setDate(QDate::currentDate().addDays(1));
    wizard->deFolderType3->setText(folder);
    ok &= Save(wizard, out, QStringLiteral("type3"));

    wizard->SetActivePage(QStringLiteral("Type4"));
    wizard->cbMonth[0]->setChecked(true);
    wizard->cbMonth[6]->setChecked(true);
    wizard->seWeekType4->setValue(15);
    wizard->seHourTimeType4->setTime(QTime(2, 5));
    wizard->edBaseType4->setText(QStringLiteral("sales"));
    wizard->deFolderType4->setText(folder);
    ok &= Save(wizard, out, QStringLiteral("type4"));

    wizard->SetActivePage(QStringLiteral("Start"));
    wizard->rbType4->setChecked(true);
    wizard->bbNextStart->click();
    wizard->bbNextType4->click();
    ok &= Save(wizard, out, QStringLiteral("finish"));

    wizard->SetActivePage(QStringLiteral("Type1"));
    wizard->edDB->findChild<QAction *>(QStringLiteral("edDBButton"))->trigger();
    if (TfrmDB *picker = TfrmDB::instance()) {
        picker->DBGrid->setCurrentCell(int(picker->DBGrid->findItems(QStringLiteral("sales"), Qt::MatchExactly)
                                               .value(0, picker->DBGrid->item(0, 0))
                                               ->row()),
                                       0);
        ok &= Save(picker, out, QStringLiteral("database-picker"));
        picker->btnClose->click();
    }
    wizard->deFolder->findChild<QAction *>(QStringLiteral("deFolderButton"))->trigger();
    if (TfrmOpenFolder *picker = TfrmOpenFolder::instance()) {
        picker->SelectPath(folder);
        QTest::qWait(500);
        ok &= Save(picker, out, QStringLiteral("folder-picker"));
        picker->bbClose->click();
    }
    delete wizard;
    return ok ? 0 : 1;
}

// The About window: opened without waiting from the tray menu, one at a
// time, its description line by line in both languages, following a switch
// while it is open.
#include "TestSupport.h"
#include "app/TrayIcon.h"
#include "app/untSetting.h"
#include "ui/untAbout.h"
#include "ui/untLang.h"
#include "ui/untMyDialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

namespace {

const QStringList RussianLines = {
    QStringLiteral("Утилита Orvell backup for MS SQL Server служит "),
    QStringLiteral("для автоматизации создания архивов баз данных "),
    QStringLiteral("работающих под управлением MS SQL Server. "),
    QStringLiteral("Поддерживаются сервера выпущенные компанией "),
    QStringLiteral("Microsoft с 2000 по 2008 годы. Программа "),
    QStringLiteral("одновременно работает со всеми SQL-серверами "),
    QStringLiteral("находящимися в локальной сети."),
    QString(),
};

const QStringList EnglishLines = {
    QStringLiteral("Orvell backup for MS SQL Server program is used"),
    QStringLiteral("for automation creation of database archives which is"),
    QStringLiteral("working under control of MS SQL Server, and for quick"),
    QStringLiteral("restoration of databases from backup copy."),
    QStringLiteral("Windows servers of 2000 \u2013 2008 years are supported "),
    QStringLiteral("by this program. The program simultaneously working "),
    QStringLiteral("with all SQL servers which is situated at the local"),
    QStringLiteral("network."),
    QString(),
};

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<TfrmSetting> m_main;

    // The description and, after the empty line, the maker's notice.
    static void verifyText(TfrmAbout *about, const QStringList &designed)
    {
        const QStringList lines = about->MemoLines();
        QCOMPARE(lines.size(), designed.size() + 1);
        QCOMPARE(lines.mid(0, designed.size()), designed);
        QVERIFY(lines.last().contains(QStringLiteral("Orvell Backup")));
        // Every line is in view: nothing wraps and nothing hides behind a scroll bar.
        QCOMPARE(about->sMemo1->document()->blockCount(), designed.size() + 1);
        QTRY_VERIFY(!about->sMemo1->horizontalScrollBar()->isVisible());
        QTRY_VERIFY(!about->sMemo1->verticalScrollBar()->isVisible());
        QCOMPARE(about->sMemo1->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(about->sMemo1->verticalScrollBar()->maximum(), 0);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempProgramDir>();
        TfrmSetting::SetProgramDirForTests(m_dir->path());
        TTrayIcon::SetAvailableForTests(false);
        MessageSeam::script();
        m_main = std::make_unique<TfrmSetting>();
        m_main->tmThreadTimerBackup->stop();
    }

    void cleanup()
    {
        m_main.reset();
        SetLanguage(TLang::Rus);
    }

    void opensWithoutWaitingFromTheTrayMenu()
    {
        QCOMPARE(m_main->pmAbout->text(), QStringLiteral("О программе"));
        m_main->pmAbout->trigger(); // returns at once: the window is not modal
        QPointer<TfrmAbout> about = TfrmAbout::instance();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(about->windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(about->pnlTop->text(), QStringLiteral("Orvell Backup for MS SQL Server"));
        QVERIFY(about->pnlTop->font().bold());
        QCOMPARE(about->bbCloseType1->text(), QStringLiteral("\u041e\u043a")); // Cyrillic О and к
        QCOMPARE(about->bbCloseType1->size(), QSize(89, 25));
        QVERIFY(about->sMemo1->isReadOnly());
        verifyText(about, RussianLines);
        QCOMPARE(about->focusWidget(), about->pnlTop);
        QVERIFY(about->width() >= 341 && about->height() >= 194);
        QCOMPARE(about->minimumSize(), about->maximumSize()); // fixed size

        // The same window comes up again while it is open.
        m_main->pmAboutClick();
        QCOMPARE(TfrmAbout::instance(), about.data());

        // Ok closes and frees it; the next opening makes a new one.
        about->bbCloseType1->click();
        QTRY_VERIFY(!about);
        QVERIFY(!TfrmAbout::instance());
        m_main->pmAboutClick();
        QVERIFY(TfrmAbout::instance());
        QVERIFY(TfrmAbout::instance()->isVisible());
    }

    void opensWhileTheProgramSitsInTheTray()
    {
        m_main->hide();
        m_main->pmAboutClick();
        QVERIFY(TfrmAbout::instance() && TfrmAbout::instance()->isVisible());
        TfrmAbout::instance()->close();
        QTRY_VERIFY(!TfrmAbout::instance());
        QVERIFY(!m_main->isVisible()); // closing About does not bring the main window back
    }

    void translatesWhileOpen()
    {
        m_main->pmAboutClick();
        QPointer<TfrmAbout> about = TfrmAbout::instance();
        const QString notice = about->MemoLines().last();
        m_main->RefreshLang();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->bbCloseType1->text(), QStringLiteral("Ok"));
        QCOMPARE(about->pnlTop->text(), QStringLiteral("Orvell Backup for MS SQL Server"));
        verifyText(about, EnglishLines);
        QVERIFY(about->MemoLines().last() != notice);

        m_main->RefreshLang();
        QCOMPARE(about->windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(about->bbCloseType1->text(), QStringLiteral("\u041e\u043a"));
        verifyText(about, RussianLines);
        QCOMPARE(about->MemoLines().last(), notice);
    }

    void opensInTheActiveLanguage()
    {
        m_main->RefreshLang();
        m_main->pmAboutClick();
        TfrmAbout *about = TfrmAbout::instance();
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        verifyText(about, EnglishLines);
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestAbout test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_about.moc"

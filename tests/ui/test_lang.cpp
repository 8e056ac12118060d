// The Russian/English switch: the language a start chooses, every open
// window following a switch, windows opened later, and the texts that must
// read the same in both languages.
#include "TaskFile.h"
#include "TestSupport.h"
#include "app/OrvellProgram.h"
#include "app/SingleInstance.h"
#include "app/TaskTable.h"
#include "app/TrayIcon.h"
#include "app/untSaveTimer.h"
#include "app/untSetting.h"
#include "journal/untJOpen.h"
#include "restore/untRestore.h"
#include "ui/MainKey.h"
#include "ui/untAbout.h"
#include "ui/untLang.h"
#include "ui/untMyDialog.h"
#include "wizard/untAdd.h"
#include "wizard/untDB.h"
#include "wizard/untFolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

namespace {

const char *ChildVariable = "ORVELL_TEST_LANG_START_CHILD";

// Every text a window shows: its caption, the captions, hints and column
// titles of its controls and the items of its menus, keyed by control.
QMap<QString, QString> shownTexts(QWidget *window)
{
    QMap<QString, QString> texts;
    const auto add = [&](const QObject *o, const QString &what, const QString &text) {
        texts.insert(QStringLiteral("%1/%2/%3").arg(o->metaObject()->className(), o->objectName(), what), text);
    };
    add(window, QStringLiteral("title"), window->windowTitle());
    int unnamed = 0;
    // Windows parented to this one are looked at on their own.
    const auto belongs = [window](const QObject *o) {
        while (o && !o->isWidgetType())
            o = o->parent();
        const QWidget *w = o ? static_cast<const QWidget *>(o)->window() : nullptr;
        while (qobject_cast<const QMenu *>(w) && w->parentWidget())
            w = w->parentWidget()->window(); // a menu is part of the window it pops up from
        return w == window;
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!belongs(w))
            continue;
        const QString id = w->objectName().isEmpty() ? QString::number(unnamed++) : QString();
        const auto put = [&](const QString &what, const QString &text) {
            if (!text.isEmpty())
                add(w, what + id, text);
        };
        put(QStringLiteral("hint"), w->toolTip());
        if (auto *label = qobject_cast<QLabel *>(w))
            put(QStringLiteral("text"), label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            put(QStringLiteral("text"), button->text());
        else if (auto *box = qobject_cast<QGroupBox *>(w))
            put(QStringLiteral("text"), box->title());
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            put(QStringLiteral("text"), memo->toPlainText());
        else if (auto *view = qobject_cast<QTableView *>(w); view && view->model()) {
            for (int c = 0; c < view->model()->columnCount(); ++c)
                put(QStringLiteral("column%1").arg(c), view->model()->headerData(c, Qt::Horizontal).toString());
        }
    }
    for (QAction *a : window->findChildren<QAction *>()) {
        if (belongs(a) && !a->isSeparator()) {
            add(a, QStringLiteral("text"), a->text());
            add(a, QStringLiteral("hint"), a->toolTip());
        }
    }
    return texts;
}

// The message texts of the windows that keep them, by id.
QMap<QString, QString> mainMessages(const TMainStrings &s)
{
    return { { "strrsConnect", s.strrsConnect },
             { "strrsNoConnect", s.strrsNoConnect },
             { "strrsConnectYes", s.strrsConnectYes },
             { "strrsConnectNo", s.strrsConnectNo },
             { "strrsSer", s.strrsSer },
             { "strrsServerEnd", s.strrsServerEnd },
             { "strrsStart", s.strrsStart },
             { "strrsTimerBegin", s.strrsTimerBegin },
             { "strrsTimerEnd", s.strrsTimerEnd },
             { "strrsMin", s.strrsMin },
             { "strrsListServer", s.strrsListServer },
             { "strrsHide", s.strrsHide },
             { "strrsOpen", s.strrsOpen },
             { "strrsStateCheck", s.strrsStateCheck },
             { "strrsP", s.strrsP },
             { "strrsRes", s.strrsRes },
             { "strrsSucc", s.strrsSucc },
             { "strrsInsTask", s.strrsInsTask },
             { "strsYes", s.strsYes },
             { "strsNo", s.strsNo },
             { "strsDelC", s.strsDelC },
             { "strsDelCont", s.strsDelCont } };
}

QString taskLine()
{
    return QStringLiteral("sales;1;2;25.12.2008 10:00:00;Succesfull;C:\\B\\;Type1;1;0;0;;0;;;0;-1;0;SRV;"
                          "Provider=SQLOLEDB.1|Data Source=SRV");
}

bool sameImage(const QIcon &icon, const QString &path)
{
    return icon.pixmap(16).toImage() == QIcon(path).pixmap(16).toImage();
}

// The child's side of the tests that start the program under a system's
// locale settings: a real start, reporting what it came up in, or a second
// copy, reporting its warning.
int reportStart(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    MessageSeam::script();
    if (qgetenv(ChildVariable) == "second-copy") {
        // A copy started while another one runs says so and ends.
        QTemporaryDir lockDir;
        qputenv("ORVELL_INSTANCE_LOCK", lockDir.filePath(QStringLiteral("one.lock")).toUtf8());
        TOneInstance first(ApplicationTitle);
        if (!first.TryAcquire() || OrvellBackupMain({ QStringLiteral("orvell-backup") }) != 1
            || MessageSeam::shown().size() != 1)
            return 1;
        std::fputs(MessageSeam::shown()[0].text.toUtf8().constData(), stdout);
        return 0;
    }
    TempProgramDir dir;
    TfrmSetting::SetProgramDirForTests(dir.path());
    TTrayIcon::SetAvailableForTests(false);
    TfrmSetting window;
    const QStringList lines = { QString::number(int(ActiveLanguage())), window.mmLang->text(), window.bbJourn->text(),
                                window.StatusPanelText(1) };
    std::fputs(lines.join(QLatin1Char('\n')).toUtf8().constData(), stdout);
    return 0;
}

} // namespace

class TestLang : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<TfrmSetting> m_main;

    // This program run again under a system's locale settings; what it
    // reports on its standard output.
    static QString runChild(const char *mode, const QStringList &environment)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_TIME", "LANG" })
            env.remove(QLatin1String(name));
        for (const QString &pair : environment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        env.insert(QLatin1String(ChildVariable), QLatin1String(mode));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForFinished(60000) || child.exitCode() != 0)
            return QStringLiteral("child failed: ") + QString::fromLocal8Bit(child.readAllStandardError());
        return QString::fromUtf8(child.readAllStandardOutput());
    }

    TfrmSetting *makeMainWindow()
    {
        m_main = std::make_unique<TfrmSetting>();
        m_main->tmThreadTimerBackup->stop();
        return m_main.get();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempProgramDir>();
        TfrmSetting::SetProgramDirForTests(m_dir->path());
        TTrayIcon::SetAvailableForTests(false);
        OpenMainKey(QStringLiteral("t1"))->remove(QString());
        MessageSeam::script();
        MessageSeam::clearShown();
    }

    void cleanup()
    {
        m_main.reset(); // the windows opened over it go with it
        // The suite's system is a Russian one; every test starts from it.
        SetLanguage(TLang::Rus);
    }

    void startingLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("language");
        QTest::newRow("Russian") << QStringLiteral("ru_RU") << int(TLang::Rus);
        QTest::newRow("Ukrainian") << QStringLiteral("uk_UA") << int(TLang::Eng);
        QTest::newRow("English") << QStringLiteral("en_US") << int(TLang::Eng);
        QTest::newRow("German") << QStringLiteral("de_DE") << int(TLang::Eng);
        QTest::newRow("C") << QStringLiteral("C") << int(TLang::Eng);
    }

    void startingLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(int, language);
        QCOMPARE(int(StartingLanguage(QLocale(locale))), language);
    }

    // A real start of the main window under a system's locale settings.
    void startsInTheSystemLanguage_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("reported");
        const QStringList russian = { "1", "Переключить на английский", "Журнал архивов", "Таймер: каждые 15 мин" };
        const QStringList english = { "2", "Switch to Russian", "Backup log", "Timer: each 15 min." };
        QTest::newRow("LANG Russian") << QStringList { "LANG=ru_RU.UTF-8" } << russian;
        QTest::newRow("LC_ALL Russian") << QStringList { "LC_ALL=ru_RU.UTF-8", "LANG=C.UTF-8" } << russian;
        QTest::newRow("Russian messages, C formats")
            << QStringList { "LANG=C.UTF-8", "LC_MESSAGES=ru_RU.UTF-8" } << russian;
        QTest::newRow("Ukrainian") << QStringList { "LC_ALL=uk_UA.UTF-8" } << english;
        QTest::newRow("US English") << QStringList { "LANG=en_US.UTF-8" } << english;
        QTest::newRow("C") << QStringList { "LC_ALL=C.UTF-8", "LANG=C.UTF-8" } << english;
    }

    void startsInTheSystemLanguage()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, reported);
        QCOMPARE(runChild("start", environment).split(QLatin1Char('\n')), reported);
    }

    void secondCopyWarnsInTheSystemLanguage_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("warning");
        QTest::newRow("Russian") << QStringList { "LANG=ru_RU.UTF-8" }
                                 << QStringLiteral("Одна версия программы уже запущена");
        QTest::newRow("Ukrainian") << QStringList { "LC_ALL=uk_UA.UTF-8" }
                                   << QStringLiteral("One version of the program is already started");
    }

    void secondCopyWarnsInTheSystemLanguage()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, warning);
        QCOMPARE(runChild("second-copy", environment), warning);
    }

    // Every caption, hint, column title and message of every open window
    // turns English at a switch and comes back unchanged at the second one,
    // and the status bar shows the same values in the same places.
    void switchingTwiceRestoresEveryText()
    {
        TfrmSetting *main = makeMainWindow();
        main->show();
        QCOMPARE(ActiveLanguage(), TLang::Rus);
        QCOMPARE(main->mmLang->text(), QStringLiteral("Переключить на английский"));
        QVERIFY(sameImage(main->mmLang->icon(), QStringLiteral(":/icons/lang-en.png")));

        main->pmCheckTimeClick();
        QPointer<TfrmSaveTimer> timer = main->frmSaveTimer;
        QPointer<TfrmAbout> about = TfrmAbout::Open(main);
        auto *wizard = new TfrmAdd(main);
        wizard->show();
        auto *restore = new TfrmRestore(TRestoreHost {}, main);
        auto *journal = new TfrmJOpen(m_dir->path(), main);
        auto *picker = new TfrmDB(main);
        auto *folder = new TfrmOpenFolder(main);
        auto *message = new TfrmMyDialog(main);
        message->setMessage(QStringLiteral("text"), QStringLiteral("title"));
        const QList<QWidget *> windows = { main, timer, about, wizard, restore, journal, picker, folder, message };

        const auto snapshot = [&] {
            QMap<QString, QString> all;
            for (QWidget *w : windows) {
                const QMap<QString, QString> texts = shownTexts(w);
                for (auto it = texts.cbegin(); it != texts.cend(); ++it)
                    all.insert(w->metaObject()->className() + QStringLiteral(":") + it.key(), it.value());
            }
            const QMap<QString, QString> messages = mainMessages(*main);
            for (auto it = messages.cbegin(); it != messages.cend(); ++it)
                all.insert(QStringLiteral("TfrmSetting:") + it.key(), it.value());
            const QStringList more
                = { wizard->strrsLinkServ, wizard->strrsDaily,        wizard->strrsRunNo, restore->strrsNoFile,
                    restore->strrsDbRest,  journal->strRsDelJourn,    journal->strRsA,    journal->strrsDp,
                    folder->strrsNoWrite,  folder->strrsFolderNoFound };
            for (int i = 0; i < more.size(); ++i)
                all.insert(QStringLiteral("message%1").arg(i), more[i]);
            for (int panel = 0; panel < 4; ++panel)
                all.insert(QStringLiteral("panel%1").arg(panel), main->StatusPanelText(panel));
            return all;
        };
        const QMap<QString, QString> russian = snapshot();
        const QString started = main->StatusPanelText(0).section(QStringLiteral(": "), 1);

        main->mmLang->trigger();
        QCOMPARE(ActiveLanguage(), TLang::Eng);
        const QMap<QString, QString> english = snapshot();
        QCOMPARE(main->mmLang->text(), QStringLiteral("Switch to Russian"));
        QVERIFY(sameImage(main->mmLang->icon(), QStringLiteral(":/icons/lang-ru.png")));
        // The tray menu sets the item again each time it opens.
        main->mmLang->setText(QStringLiteral("?"));
        main->PopupMenuPopup();
        QCOMPARE(main->mmLang->text(), QStringLiteral("Switch to Russian"));

        QCOMPARE(main->StatusPanelText(0), QStringLiteral("Start: ") + started);
        QCOMPARE(main->StatusPanelText(1), QStringLiteral("Timer: each 15 min."));
        QCOMPARE(main->StatusPanelText(2), QStringLiteral("Server: (local)"));
        QCOMPARE(main->StatusPanelText(3), QStringLiteral("Connection: No"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Orvell Backup for MS SQL Server"));
        QCOMPARE(main->btnOpen->text(), QStringLiteral("Connection"));
        QCOMPARE(main->tbDelete->toolTip(), QStringLiteral("Delete task"));
        QCOMPARE(main->pmAutoRun->text(), QStringLiteral("Startup"));
        QCOMPARE(main->pmOpenProgram->text(), QStringLiteral("To hide"));
        QCOMPARE(main->pmCheckTime->text(), QStringLiteral("Frequencies of verifications"));
        QCOMPARE(main->lbAct->text(), QStringLiteral("There is a process of check and activation of tasks"));
        QCOMPARE(main->DBGridMain->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Last launching"));
        QCOMPARE(main->strrsConnect, QStringLiteral("To connect"));
        QCOMPARE(main->strrsStateCheck, QStringLiteral("There is a checking. Wait until end."));
        QCOMPARE(timer->windowTitle(), QStringLiteral("Frequencies of verifications"));
        QCOMPARE(wizard->rbDailyType1->text(), QStringLiteral("Daily"));
        QCOMPARE(wizard->strrsDaily, QStringLiteral("On days"));
        QCOMPARE(wizard->cbEveryCbType1->text(), QStringLiteral("Trough every one"));
        QCOMPARE(restore->Label2->text(), QStringLiteral("Path"));
        QCOMPARE(journal->windowTitle(), QStringLiteral("Backup log"));
        QCOMPARE(journal->strRsA, QStringLiteral("Question"));
        QCOMPARE(picker->windowTitle(), QStringLiteral("Select the Database"));
        QCOMPARE(folder->strrsFolderNoFound, QStringLiteral("There is no folder on server"));
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(message->windowTitle(), QStringLiteral("title")); // set by its caller, not translated

        // Each window changed, and nothing Russian is left where English
        // exists: the only Cyrillic left would be a text without a translation.
        for (QWidget *w : windows) {
            if (w == message)
                continue;
            const QString prefix = w->metaObject()->className() + QStringLiteral(":");
            bool changed = false;
            for (auto it = english.cbegin(); it != english.cend(); ++it)
                changed = changed || (it.key().startsWith(prefix) && it.value() != russian.value(it.key()));
            QVERIFY2(changed, qPrintable(prefix));
        }
        static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
        for (auto it = english.cbegin(); it != english.cend(); ++it)
            QVERIFY2(!it.value().contains(cyrillic), qPrintable(it.key() + QStringLiteral(" = ") + it.value()));

        main->RefreshLang();
        QCOMPARE(ActiveLanguage(), TLang::Rus);
        QCOMPARE(main->mmLang->text(), QStringLiteral("Переключить на английский"));
        QVERIFY(sameImage(main->mmLang->icon(), QStringLiteral(":/icons/lang-en.png")));
        const QMap<QString, QString> back = snapshot();
        for (auto it = russian.cbegin(); it != russian.cend(); ++it)
            QCOMPARE(it.key() + QStringLiteral(" = ") + back.value(it.key()),
                     it.key() + QStringLiteral(" = ") + it.value());
        QCOMPARE(back.size(), russian.size());
        QCOMPARE(main->StatusPanelText(1), QStringLiteral("Таймер: каждые 15 мин"));
        QCOMPARE(main->StatusPanelText(2), QStringLiteral("Текущий сервер: (local)"));
        QCOMPARE(main->StatusPanelText(3), QStringLiteral("Соединение: Нет"));
    }

    // Titles stored under one language show after a start under the other
    // until the language is switched: they are applied after the language
    // was chosen, and the change of language does not come in later.
    void storedColumnTitleSurvivesTheStart()
    {
        OpenMainKey(QStringLiteral("t1"))->setValue(QStringLiteral("FieldTitle5"), QStringLiteral("Last launching"));
        SetLanguage(TLang::Eng); // as if English had been active before this start
        TfrmSetting *main = makeMainWindow();
        QCoreApplication::processEvents();
        QCOMPARE(ActiveLanguage(), TLang::Rus);
        const auto title = [main] { return main->DBGridMain->model()->headerData(5, Qt::Horizontal).toString(); };
        QCOMPARE(title(), QStringLiteral("Last launching"));
        main->RefreshLang();
        main->RefreshLang();
        QCOMPARE(title(), QStringLiteral("Последний запуск"));
    }

    // The question's buttons read "Yes" and "No" in English; the answers stay 1 and 2.
    void questionButtonsInEnglish()
    {
        TfrmSetting *main = makeMainWindow();
        main->RefreshLang();
        MessageSeam::stopScript();
        QStringList captions;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return; // not up yet
            answer.stop();
            for (QAbstractButton *b : box->buttons())
                captions << b->text();
            box->button(QMessageBox::Ok)->click();
        });
        answer.start(10);
        QCOMPARE(MessageDialog(main->strsDelC, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
                               main->strsDelCont),
                 1);
        captions.sort();
        QCOMPARE(captions, QStringList({ "No", "Yes" }));
    }

    // The deletion question's title is a single blank in both languages.
    void deletionQuestionHasABlankTitle()
    {
        WriteTaskFile(m_dir->path(), { taskLine() });
        TfrmSetting *main = makeMainWindow();
        main->MemSettitngs->SetCurrentRow(0);
        for (const QString &question :
             { QStringLiteral("Удалить задачу?"), QStringLiteral("Delete the current task?") }) {
            QCOMPARE(main->strsDelCont, QStringLiteral(" "));
            MessageSeam::clearShown();
            MessageSeam::script({ 2 });
            main->tbDeleteClick();
            QCOMPARE(MessageSeam::shown().size(), 1);
            QCOMPARE(MessageSeam::shown()[0].kind, QStringLiteral("question"));
            QCOMPARE(MessageSeam::shown()[0].text, question);
            QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral(" "));
            QCOMPARE(main->MemSettitngs->RecordCount(), 1);
            main->RefreshLang();
        }
    }

    // The restore window is made at each opening: after a switch it comes up
    // in English, messages included.
    void restoreOpenedAfterASwitchIsEnglish()
    {
        TfrmSetting *main = makeMainWindow();
        main->RefreshLang();
        auto restore = std::make_unique<TfrmRestore>(TRestoreHost {});
        QCOMPARE(restore->windowTitle(), QStringLiteral("Database restore"));
        QCOMPARE(restore->Label1->text(), QStringLiteral("Database name"));
        QCOMPARE(restore->Label2->text(), QStringLiteral("Path"));
        QCOMPARE(restore->bbRestore->text(), QStringLiteral("Restore"));
        QCOMPARE(restore->bbNone->text(), QStringLiteral("Cancel"));
        QCOMPARE(restore->strrsNoFile, QStringLiteral("File not found."));
        QCOMPARE(restore->strrsLink, QStringLiteral("To establish connection with the server?"));
        QCOMPARE(restore->strrsDbRest, QStringLiteral("The database restore successfully."));

        // A check that fails speaks English too.
        restore->deFolderType->setText(m_dir->file(QStringLiteral("missing.bak")));
        restore->bbRestoreClick();
        QCOMPARE(MessageSeam::shown().last().text, QStringLiteral("File not found."));
        QCOMPARE(MessageSeam::shown().last().title, QStringLiteral("Warning"));
    }

    void wizardConnectionQuestion_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("title");
        QTest::newRow("Russian") << false << QStringLiteral("Установить связь с сервером SRV\\SQLEXPRESS?")
                                 << QStringLiteral("Вопрос");
        // The English text carries its own question mark.
        QTest::newRow("English") << true << QStringLiteral("To establish connection with the server? SRV\\SQLEXPRESS?")
                                 << QStringLiteral("Question");
    }

    void wizardConnectionQuestion()
    {
        QFETCH(bool, english);
        QFETCH(QString, question);
        QFETCH(QString, title);
        TfrmSetting *main = makeMainWindow();
        main->cbServers->setEditText(QStringLiteral("SRV\\SQLEXPRESS"));
        if (english)
            main->RefreshLang();
        main->EditMode = false;
        auto *wizard = new TfrmAdd(main);
        wizard->show();
        MessageSeam::script({ 2 }); // "Нет": nothing is connected
        wizard->ConnectedForAddAndUpdate();
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].text, question);
        QCOMPARE(MessageSeam::shown()[0].title, title);
        QVERIFY(!main->ADOConnection.Connected());
        wizard->close();
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(ChildVariable))
        return reportStart(argc, argv);
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestLang test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_lang.moc"

#pragma once

#include "Ado.h"
#include "BackupPass.h"
#include "SettingWidgets.h"
#include "ui/Strings.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;
class QThread;
class QTimer;
class QToolButton;
class QWidget;
class TAutoStart;
class TServerDiscovery;
class TTaskGridModel;
class TTaskTable;
class TTrayIcon;
class TfrmSaveTimer;

// The main window: the settings group (server, logon, connect), the task
// grid with its tool bar, the busy bar, the status bar; the check timer, the
// tray icon and its menu. It keeps its message texts in the members named
// after their ids (TMainStrings), refreshed by UpdateStrings().
class TfrmSetting : public QMainWindow, public TMainStrings
{
    Q_OBJECT
public:
    // Runs the start-up sequence (FormCreate); arguments is the command line.
    explicit TfrmSetting(const QStringList &arguments = {}, QWidget *parent = nullptr);
    ~TfrmSetting() override;

    // ---- what the task wizard and the other windows use ----
    TTaskTable *MemSettitngs = nullptr;  // the task table
    TADOConnection ADOConnection;        // the main connection
    TServerComboBox *cbServers = nullptr;
    QTimer *tmThreadTimerBackup = nullptr; // the check timer
    QTimer *tmResultat = nullptr;          // the 30-second result refresh
    bool CheckRunning = false;   // a backup pass is running
    bool EditMode = false;       // the wizard edits the current row (else adds one)
    bool RunAfterCreate = false; // the wizard asks for one check as soon as it closes
    QPointer<QDialog> frmAdd;    // the wizard window while it is open

    // Full load of the task file into the table; sets the program folder.
    void ReopenTable();
    // DateLast and Result of every row from the task file, by position.
    void ReopenResultat();
    // Writes the whole table to the task file. Returns false (writing
    // nothing) when the table is closed; throws OrvellError with the
    // system's text when the file cannot be written.
    bool CloseCurrentFile();
    // The OLE DB connection string of the settings group.
    QString CreateConnectString() const;
    // Connects or disconnects the main connection (always toggles).
    void btnOpenClick();

    // The add, edit and delete commands of the tool bar.
    void tbPlusClick();
    void tbEditClick();
    void tbDeleteClick();

    // The check timer's tick: one backup pass on a worker thread.
    void tmThreadTimerBackupTimer();
    void tmResultatTimer();
    bool PassRunning() const;

    // The folder of Settings.ini and Backup.log (set by ReopenTable).
    QString programDir() const { return m_programDir; }
    // Tests put the program folder elsewhere; empty restores the default.
    static void SetProgramDirForTests(const QString &dir);

    // ---- start-up, settings and the window's life ----
    QDateTime StartTime;
    bool StartHidden = false;
    bool ReconnectOnShow = false;
    QString LastClickedField;

    void UpdateStrings();
    void LoadRegParam();
    void SaveForClose();
    void FormShow();
    void FormClose();
    void ApplicationEventsMinimize();
    // The hidden start: the steps of the first showing and closing, without
    // ever appearing on the screen.
    void StartInTray();

    // ---- settings group and status bar ----
    QLabel *lblSettingSQL = nullptr;
    QRadioButton *rbNT = nullptr;
    QRadioButton *rbnamePassword = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *edSQLName = nullptr;
    QLineEdit *edSQLPassword = nullptr;
    QPushButton *btnOpen = nullptr;
    QPushButton *bbJourn = nullptr;
    void rbNTClick();
    void rbnamePasswordClick();
    void ADOConnectionAfterConnect();
    void ADOConnectionAfterDisconnect();
    void cbServersCloseUp();
    void ReserchServer();
    // Appends the names discovery found to the server list.
    void MergeFoundServers(const QStringList &names);
    QString StatusPanelText(int panel) const; // panels 0 to 3
    void SetStatusPanelText(int panel, const QString &text);
    QString ConnectionPanelDrawnText() const; // what the connection panel shows

    // ---- task list ----
    QToolButton *tbPlus = nullptr;
    QToolButton *tbEdit = nullptr;
    QToolButton *tbDelete = nullptr;
    QTableView *DBGridMain = nullptr;
    TTaskGridModel *GridModel = nullptr;
    void DBGridMainCellClick(int column);
    void DBGridMainDblClick();
    // Where the add and edit commands open the wizard: shows it modally with
    // EditMode set. Until the wizard exists a test can stand in for it.
    std::function<void()> OpenTaskWizard;

    // ---- busy bar, tray and menus ----
    QWidget *pnlBottom = nullptr;
    QLabel *lbAct = nullptr;
    TTrayIcon *TrayIcon = nullptr;
    QMenu *PopupMenu = nullptr;
    QAction *pmOpenProgram = nullptr;
    QAction *pmAutoRun = nullptr;
    QAction *pmCheckTime = nullptr;
    QAction *mmRestoreDb = nullptr;
    QAction *mmHelp = nullptr;
    QAction *pmAbout = nullptr;
    QAction *mmLang = nullptr;
    QAction *pmClose = nullptr;
    QAction *mH = nullptr; // F1 in the main window
    QPointer<TfrmSaveTimer> frmSaveTimer;
    std::unique_ptr<TAutoStart> AutoStart;

    void PopupMenuPopup();
    void TrayIconDblClick();
    void pmOpenProgramClick();
    void pmAutoRunClick();
    void CheckMenu();
    bool AutoRunOn() const; // what the autorun item shows
    void pmCheckTimeClick();
    void mmRestoreDbClick();
    void bbJournClick();
    void mmHelpClick();
    void mHClick();
    void pmAboutClick();
    void mmLangClick();
    // Switches to the other language and rewrites the status bar in it.
    void RefreshLang();
    void pmCloseClick();
    QString HelpFilePath() const;
    // How help is opened; tests replace it.
    std::function<void(const QString &path)> OpenHelpFile;

    // The check interval in whole minutes.
    int IntervalMinutes() const;

signals:
    void passStarted();
    void passFinished(const BackupPassReport &report);
    void exitRequested(); // the program is about to end

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildWindow();
    void buildMenus();
    void retranslateUi();
    void FormCreate(const QStringList &arguments);
    void applyColumnLayout();
    void saveColumnLayout();
    void updateTimerPanel(const QString &unit);
    void setAutoRunShown(bool on);
    void minimizeToTray();
    void restoreFromTray();
    void runWizard(bool editMode);
    void showBusyTask(const QString &server, const QString &database);
    void passDone();
    void finishExit();
    void syncGridToTable(int row);

    QStringList m_arguments;
    QString m_programDir;
    QString m_loadError; // why the task file could not be read, if it could not
    TConnectionPanel *m_connectionPanel = nullptr;
    QLabel *m_panels[3] = {};
    QString m_connectionPanelText;
    QWidget *m_settingsGroup = nullptr;
    TServerDiscovery *m_discovery = nullptr;
    QStringList FoundServers;
    bool m_autoRunOn = true;
    bool m_inMinimize = false;
    bool m_quitting = false;
    bool m_exitRequested = false;
    bool m_tickPending = false;
    QString m_lbActText;
    QThread *m_passThread = nullptr;
    std::atomic_bool m_stopPass{false};
    BackupPassReport m_lastReport;
};

// The one main window of the program.
extern TfrmSetting *frmSetting;

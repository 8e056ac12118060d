#include "untSetting.h"

#include "AutoStart.h"
#include "DateTimeText.h"
#include "ui/MainKey.h"
#include "SettingWidgets.h"
#include "discovery/TServerDiscovery.h"
#include "TaskGrid.h"
#include "TaskTable.h"
#include "TrayIcon.h"
#include "uEncrypt.h"
#include "ui/untLang.h"
#include "ui/untMyDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

TfrmSetting *frmSetting = nullptr;

namespace {
constexpr int DefaultIntervalMinutes = 15;
} // namespace

TfrmSetting::TfrmSetting(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent)
    , m_arguments(arguments)
{
    frmSetting = this;
    setObjectName(QStringLiteral("frmSetting"));
    MemSettitngs = new TTaskTable(this);
    tmThreadTimerBackup = new QTimer(this);
    tmResultat = new QTimer(this);
    tmResultat->setInterval(30000);
    connect(tmThreadTimerBackup, &QTimer::timeout, this, &TfrmSetting::tmThreadTimerBackupTimer);
    connect(tmResultat, &QTimer::timeout, this, &TfrmSetting::tmResultatTimer);
    AutoStart = std::make_unique<TSessionAutoStart>();
    OpenHelpFile = [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    ADOConnection.AfterConnect = [this] { ADOConnectionAfterConnect(); };
    ADOConnection.AfterDisconnect = [this] { ADOConnectionAfterDisconnect(); };

    buildWindow();
    buildMenus();
    retranslateUi();
    FormCreate(arguments);
}

TfrmSetting::~TfrmSetting()
{
    m_quitting = true;
    // The widgets outlive the members below; keep their signals off them.
    QObject::disconnect(cbServers, nullptr, this, nullptr);
    if (m_passThread) {
        // Never leave a pass behind half done: the running task finishes and
        // the task file is written before the window goes.
        m_stopPass = true;
        m_passThread->wait();
        delete m_passThread;
        m_passThread = nullptr;
    }
    ADOConnection.AfterConnect = nullptr;
    ADOConnection.AfterDisconnect = nullptr;
    if (frmSetting == this)
        frmSetting = nullptr;
}

void TfrmSetting::buildWindow()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    setFont(font);
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvell-backup.png")));
    resize(754, 576);
    setMinimumSize(640, 450);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);

    // Settings group: server, logon, connect, journal.
    m_settingsGroup = new QWidget(central);
    m_settingsGroup->setObjectName(QStringLiteral("gbSettings"));
    auto *grid = new QGridLayout(m_settingsGroup);
    grid->setContentsMargins(4, 4, 4, 4);
    lblSettingSQL = new QLabel(m_settingsGroup);
    cbServers = new TServerComboBox(m_settingsGroup);
    cbServers->setObjectName(QStringLiteral("cbServers"));
    cbServers->setEditable(true);
    cbServers->setInsertPolicy(QComboBox::NoInsert);
    cbServers->setMinimumWidth(220);
    lblSettingSQL->setBuddy(cbServers);
    rbNT = new QRadioButton(m_settingsGroup);
    rbNT->setObjectName(QStringLiteral("rbNT"));
    rbnamePassword = new QRadioButton(m_settingsGroup);
    rbnamePassword->setObjectName(QStringLiteral("rbnamePassword"));
    Label3 = new QLabel(m_settingsGroup);
    edSQLName = new QLineEdit(m_settingsGroup);
    edSQLName->setObjectName(QStringLiteral("edSQLName"));
    Label3->setBuddy(edSQLName);
    Label4 = new QLabel(m_settingsGroup);
    edSQLPassword = new QLineEdit(m_settingsGroup);
    edSQLPassword->setObjectName(QStringLiteral("edSQLPassword"));
    edSQLPassword->setEchoMode(QLineEdit::Password);
    Label4->setBuddy(edSQLPassword);
    btnOpen = new QPushButton(m_settingsGroup);
    btnOpen->setObjectName(QStringLiteral("btnOpen"));
    bbJourn = new QPushButton(m_settingsGroup);
    bbJourn->setObjectName(QStringLiteral("bbJourn"));
    bbJourn->setIcon(QIcon(QStringLiteral(":/icons/journal.png")));

    grid->addWidget(lblSettingSQL, 0, 0);
    grid->addWidget(cbServers, 0, 1, 1, 3);
    grid->addWidget(btnOpen, 0, 4);
    grid->addWidget(bbJourn, 0, 5);
    grid->addWidget(rbNT, 1, 0, 1, 2);
    grid->addWidget(rbnamePassword, 2, 0, 1, 2);
    grid->addWidget(Label3, 1, 2);
    grid->addWidget(edSQLName, 1, 3);
    grid->addWidget(Label4, 2, 2);
    grid->addWidget(edSQLPassword, 2, 3);
    grid->setColumnStretch(3, 1);
    layout->addWidget(m_settingsGroup);

    // Tool bar: add, edit, delete.
    auto *toolBar = new QToolBar(central);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setIconSize(QSize(24, 24));
    const auto makeTool = [&](const char *name, const char *icon) {
        auto *button = new QToolButton(toolBar);
        button->setObjectName(QLatin1String(name));
        button->setIcon(QIcon(QLatin1String(icon)));
        button->setAutoRaise(true);
        toolBar->addWidget(button);
        return button;
    };
    tbPlus = makeTool("tbPlus", ":/icons/add.png");
    tbEdit = makeTool("tbEdit", ":/icons/edit.png");
    tbDelete = makeTool("tbDelete", ":/icons/delete.png");
    layout->addWidget(toolBar);

    // Task grid.
    GridModel = new TTaskGridModel(MemSettitngs, this);
    DBGridMain = new QTableView(central);
    DBGridMain->setObjectName(QStringLiteral("DBGridMain"));
    DBGridMain->setModel(GridModel);
    DBGridMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridMain->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridMain->setWordWrap(false);
    DBGridMain->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGridMain->horizontalHeader()->setHighlightSections(false);
    DBGridMain->verticalHeader()->setDefaultSectionSize(DBGridMain->fontMetrics().height() + 6);
    DBGridMain->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGridMain->verticalHeader()->setFixedWidth(14); // the row indicator
    {
        QFont titleFont(QStringLiteral("Verdana"));
        titleFont.setPointSize(8);
        DBGridMain->horizontalHeader()->setFont(titleFont);
    }
    layout->addWidget(DBGridMain, 1);

    // Busy bar.
    pnlBottom = new QWidget(central);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(26);
    pnlBottom->setAutoFillBackground(true);
    {
        QPalette palette = pnlBottom->palette();
        palette.setColor(QPalette::Window, QColor(128, 128, 255));
        pnlBottom->setPalette(palette);
    }
    auto *busyLayout = new QHBoxLayout(pnlBottom);
    busyLayout->setContentsMargins(8, 0, 8, 0);
    lbAct = new QLabel(pnlBottom);
    lbAct->setObjectName(QStringLiteral("lbAct"));
    {
        QFont bold(QStringLiteral("Verdana"));
        bold.setPointSize(8);
        bold.setBold(true);
        lbAct->setFont(bold);
        QPalette palette = lbAct->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        lbAct->setPalette(palette);
    }
    busyLayout->addWidget(lbAct);
    pnlBottom->hide();
    layout->addWidget(pnlBottom);
    setCentralWidget(central);

    // Status bar: start, timer, server, connection.
    QStatusBar *sbBar = statusBar();
    sbBar->setObjectName(QStringLiteral("sbBar"));
    sbBar->setSizeGripEnabled(true);
    QFont barFont(QStringLiteral("Tahoma"));
    barFont.setPointSize(8);
    sbBar->setFont(barFont);
    const char *initial[3] = {"Start:", "Timer: every", "Current server:"};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(QLatin1String(initial[i]), sbBar);
        m_panels[i]->setObjectName(QStringLiteral("sbBarPanel%1").arg(i));
        m_panels[i]->setFixedWidth(200);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        sbBar->addWidget(m_panels[i]);
    }
    m_connectionPanel = new TConnectionPanel([this] { return ADOConnection.Connected(); }, sbBar);
    m_connectionPanel->setObjectName(QStringLiteral("sbBarPanel3"));
    m_connectionPanelText = QStringLiteral("Connected:");
    sbBar->addWidget(m_connectionPanel);

    connect(rbNT, &QRadioButton::clicked, this, &TfrmSetting::rbNTClick);
    connect(rbnamePassword, &QRadioButton::clicked, this, &TfrmSetting::rbnamePasswordClick);
    connect(btnOpen, &QPushButton::clicked, this, &TfrmSetting::btnOpenClick);
    connect(bbJourn, &QPushButton::clicked, this, &TfrmSetting::bbJournClick);
    connect(cbServers, &TServerComboBox::closedUp, this, &TfrmSetting::cbServersCloseUp);
    connect(tbPlus, &QToolButton::clicked, this, &TfrmSetting::tbPlusClick);
    connect(tbEdit, &QToolButton::clicked, this, &TfrmSetting::tbEditClick);
    connect(tbDelete, &QToolButton::clicked, this, &TfrmSetting::tbDeleteClick);
    connect(DBGridMain, &QTableView::clicked, this, [this](const QModelIndex &index) {
        DBGridMainCellClick(index.column());
    });
    connect(DBGridMain, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        DBGridMainCellClick(index.column());
        DBGridMainDblClick();
    });
    connect(DBGridMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    MemSettitngs->SetCurrentRow(current.row());
            });
    connect(MemSettitngs, &TTaskTable::currentRowChanged, this, &TfrmSetting::syncGridToTable);
}

void TfrmSetting::syncGridToTable(int row)
{
    if (row < 0)
        return;
    const QModelIndex current = DBGridMain->currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    const int column = current.isValid() ? current.column() : 0;
    DBGridMain->setCurrentIndex(GridModel->index(row, column));
}

void TfrmSetting::buildMenus()
{
    TrayIcon = new TTrayIcon(this);
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    const auto item = [this](const char *name, const char *icon = nullptr) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        if (icon)
            action->setIcon(QIcon(QLatin1String(icon)));
        return action;
    };
    pmOpenProgram = item("pmOpenProgram");
    pmAutoRun = item("pmAutoRun", ":/icons/autorun-on.png");
    pmCheckTime = item("pmCheckTime", ":/icons/timer.png");
    mmRestoreDb = item("mmRestoreDb", ":/icons/restore.png");
    mmHelp = item("mmHelp", ":/icons/help.png");
    mmHelp->setShortcut(QKeySequence(Qt::Key_F1));
    pmAbout = item("pmAbout");
    mmLang = item("mmLang");
    pmClose = item("pmClose", ":/icons/exit.png");

    PopupMenu->addAction(pmOpenProgram);
    PopupMenu->setDefaultAction(pmOpenProgram);
    PopupMenu->addSeparator();
    PopupMenu->addAction(pmAutoRun);
    PopupMenu->addSeparator();
    PopupMenu->addAction(pmCheckTime);
    PopupMenu->addSeparator();
    PopupMenu->addAction(mmRestoreDb);
    PopupMenu->addSeparator();
    PopupMenu->addAction(mmHelp);
    PopupMenu->addAction(pmAbout);
    PopupMenu->addSeparator();
    PopupMenu->addAction(mmLang);
    PopupMenu->addAction(pmClose);

    // The hidden main menu's one item: F1 in the main window opens the help.
    mH = new QAction(this);
    mH->setObjectName(QStringLiteral("mH"));
    mH->setShortcut(QKeySequence(Qt::Key_F1));
    mH->setShortcutContext(Qt::WindowShortcut);
    addAction(mH);

    connect(PopupMenu, &QMenu::aboutToShow, this, &TfrmSetting::PopupMenuPopup);
    connect(pmOpenProgram, &QAction::triggered, this, &TfrmSetting::pmOpenProgramClick);
    connect(pmAutoRun, &QAction::triggered, this, &TfrmSetting::pmAutoRunClick);
    connect(pmCheckTime, &QAction::triggered, this, &TfrmSetting::pmCheckTimeClick);
    connect(mmRestoreDb, &QAction::triggered, this, &TfrmSetting::mmRestoreDbClick);
    connect(mmHelp, &QAction::triggered, this, &TfrmSetting::mmHelpClick);
    connect(pmAbout, &QAction::triggered, this, &TfrmSetting::pmAboutClick);
    connect(mmLang, &QAction::triggered, this, &TfrmSetting::mmLangClick);
    connect(pmClose, &QAction::triggered, this, &TfrmSetting::pmCloseClick);
    connect(mH, &QAction::triggered, this, &TfrmSetting::mHClick);
    connect(TrayIcon, &TTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            TrayIconDblClick();
    });
}

void TfrmSetting::retranslateUi()
{
    setWindowTitle(tr("Orvell Backup for MS SQL Server"));
    lblSettingSQL->setText(tr("Сервер:"));
    rbNT->setText(tr("NT безопасность"));
    rbnamePassword->setText(tr("Имя и пароль на MS SQL server"));
    Label3->setText(tr("Имя"));
    Label4->setText(tr("Пароль"));
    btnOpen->setText(ADOConnection.Connected() ? strrsNoConnect : tr("Подключиться"));
    bbJourn->setText(tr("Журнал архивов"));
    tbPlus->setToolTip(tr("Добавить задание"));
    tbEdit->setToolTip(tr("Редактировать задание"));
    tbDelete->setToolTip(tr("Удалить задание"));
    m_lbActText = tr("Идёт процесс проверки и активации заданий");
    if (!CheckRunning)
        lbAct->setText(m_lbActText);
    pmAutoRun->setText(tr("Автозагрузка"));
    pmCheckTime->setText(tr("Частота проверок"));
    mmRestoreDb->setText(tr("Восстановить"));
    mmHelp->setText(tr("Справка"));
    pmAbout->setText(tr("О программе"));
    pmClose->setText(tr("Выход"));
    TrayIcon->SetHint(tr("Orvell Backup for MS SQL Server"));
    const QList<TGridColumn> defaults = TTaskGridModel::DefaultColumns();
    for (int c = 0; c < GridModel->columnCount() && c < defaults.size(); ++c)
        GridModel->SetColumnTitle(c, defaults[c].FieldTitle);
}

void TfrmSetting::UpdateStrings()
{
    static_cast<TMainStrings &>(*this) = TMainStrings::current();
    GridModel->SetResultTexts(strrsInsTask, strrsSucc);
}

int TfrmSetting::IntervalMinutes() const
{
    return tmThreadTimerBackup->interval() / 60000;
}

void TfrmSetting::FormCreate(const QStringList &arguments)
{
    // 1. Language: the system's, offering the other one in the menu.
    const TLang language = StartingLanguage();
    ApplyLangMenuItem(mmLang, language);
    SetLanguage(language);
    UpdateStrings();

    // 2.
    RunAfterCreate = false;
    ReconnectOnShow = false;
    CheckRunning = false;

    // 3. The check interval; the first pass comes one interval after start.
    {
        const auto key = OpenMainKey();
        int minutes = 0;
        // Outside 1..1440 the timer would run passes without pause or never.
        if (!ReadWholeNumber(*key, QStringLiteral("Interval"), &minutes) || minutes < 1 || minutes > 1440)
            minutes = DefaultIntervalMinutes;
        tmThreadTimerBackup->setInterval(minutes * 60000);
        tmThreadTimerBackup->start();
    }

    // 4. Column layout.
    applyColumnLayout();

    // 5. The tray icon and its menu.
    TrayIcon->SetMenu(PopupMenu);
    TrayIcon->SetIcon(QIcon(QStringLiteral(":/icons/orvell-backup.png")));
    TrayIcon->Show();

    // 6. Start panel.
    StartTime = LocalNow();
    SetStatusPanelText(0, strrsStart + QStringLiteral(": ") + DateTimeToText(StartTime));

    // 7. Connection panel.
    m_connectionPanelText = ADOConnection.Connected() ? strrsConnectYes : strrsConnectNo;
    m_connectionPanel->update();

    // 8, 9. Discovery's list and the task table.
    FoundServers.clear();
    MemSettitngs->Close();
    ReopenTable();

    // 10. Timer and server panels.
    updateTimerPanel(strrsMin);
    SetStatusPanelText(2, strrsServerEnd + QStringLiteral(": ") + cbServers->currentText());

    // 11.
    LoadRegParam();

    // 12. Server discovery; a failure to start it is told, start-up goes on.
    m_discovery = new TServerDiscovery(this);
    connect(m_discovery, &TServerDiscovery::finished, this, &TfrmSetting::MergeFoundServers);
    try {
        m_discovery->StartServerDiscovery();
    } catch (const OrvellError &e) {
        ShowMessageWindow(strrsListServer + QStringLiteral(":\n") + e.message(), strrsP);
    } catch (const std::exception &e) {
        ShowMessageWindow(strrsListServer + QStringLiteral(":\n") + QString::fromLocal8Bit(e.what()), strrsP);
    }

    // A program folder that cannot be written would lose every task at the
    // first save; say so now rather than then.
    const QFileInfo folder(m_programDir);
    if (!folder.isDir() || !folder.isWritable())
        ShowMessageWindow(tr("Папка программы недоступна для записи:") + QLatin1Char('\n') + m_programDir, strrsP);

    // 13. Hidden start.
    StartHidden = arguments.size() > 1 && arguments.at(1) == QLatin1String("/hide");
    pmOpenProgram->setText(StartHidden ? strrsOpen : strrsHide);
}

void TfrmSetting::updateTimerPanel(const QString &unit)
{
    SetStatusPanelText(1, strrsTimerBegin + QLatin1Char(' ') + QString::number(IntervalMinutes()) + QLatin1Char(' ')
                              + unit);
}

void TfrmSetting::applyColumnLayout()
{
    const auto key = OpenMainKey(QStringLiteral("t1"));
    for (int i = 0; i < GridModel->columnCount(); ++i) {
        int width = 0;
        if (ReadWholeNumber(*key, QStringLiteral("Width%1").arg(i), &width) && width > 0)
            DBGridMain->setColumnWidth(i, width);
        else
            DBGridMain->setColumnWidth(i, GridModel->Columns()[i].Width);
        const QString field = key->value(QStringLiteral("FieldName%1").arg(i)).toString();
        if (!field.isEmpty())
            GridModel->SetColumnField(i, field);
        const QString title = key->value(QStringLiteral("FieldTitle%1").arg(i)).toString();
        if (!title.isEmpty())
            GridModel->SetColumnTitle(i, title);
    }
}

void TfrmSetting::saveColumnLayout()
{
    const auto key = OpenMainKey(QStringLiteral("t1"));
    const QList<TGridColumn> columns = GridModel->Columns();
    for (int i = 0; i < columns.size(); ++i) {
        key->setValue(QStringLiteral("Width%1").arg(i), DBGridMain->columnWidth(i));
        key->setValue(QStringLiteral("FieldName%1").arg(i), columns[i].FieldName);
        key->setValue(QStringLiteral("FieldTitle%1").arg(i), columns[i].FieldTitle);
    }
}

void TfrmSetting::LoadRegParam()
{
    const auto key = OpenMainKey();
    if (!RestorePlacement(this, QString(), true))
        CentreOnScreen(this);

    if (key->value(QStringLiteral("Server")).toString().isEmpty())
        key->setValue(QStringLiteral("Server"), QStringLiteral("(local)"));
    cbServers->setEditText(key->value(QStringLiteral("Server")).toString());

    const QString typeNT = key->value(QStringLiteral("typeNT")).toString();
    if (typeNT != QLatin1String("1") && typeNT != QLatin1String("0"))
        key->setValue(QStringLiteral("typeNT"), QStringLiteral("1"));
    if (key->value(QStringLiteral("typeNT")).toString() == QLatin1String("1")) {
        rbNT->setChecked(true);
        rbNTClick();
    } else {
        rbnamePassword->setChecked(true);
        rbnamePasswordClick();
    }

    if (key->value(QStringLiteral("name")).toString().trimmed().isEmpty())
        key->setValue(QStringLiteral("name"), QString());
    edSQLName->setText(key->value(QStringLiteral("name")).toString());

    if (key->value(QStringLiteral("password")).toString().trimmed().isEmpty())
        key->setValue(QStringLiteral("password"), QString());
    // The cipher's bytes are kept one character each, so every byte value
    // (a zero included) reads back whole.
    const QByteArray cipher = key->value(QStringLiteral("password")).toString().toLatin1();
    edSQLPassword->setText(QString::fromLocal8Bit(EnCrypt(cipher)));

    setAutoRunShown(AutoStart->IsOn());
}

void TfrmSetting::SaveForClose()
{
    {
        const auto key = OpenMainKey();
        const QRect bounds = isMinimized() ? normalGeometry() : geometry();
        key->setValue(QStringLiteral("Width"), QString::number(bounds.width()));
        key->setValue(QStringLiteral("Height"), QString::number(bounds.height()));
        key->setValue(QStringLiteral("Left"), QString::number(x()));
        key->setValue(QStringLiteral("Top"), QString::number(y()));
        key->setValue(QStringLiteral("Server"), cbServers->currentText());
        key->setValue(QStringLiteral("typeNT"), rbNT->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        key->setValue(QStringLiteral("name"), edSQLName->text());
        key->setValue(QStringLiteral("password"), QString::fromLatin1(Crypt(edSQLPassword->text().toLocal8Bit())));
        key->setValue(QStringLiteral("Interval"), QString::number(IntervalMinutes()));
    }
    saveColumnLayout();
}

void TfrmSetting::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmSetting::FormShow()
{
    // The open wizard edits a row of the table; a reload under it would put
    // its changes into another task.
    if (!frmAdd) {
        MemSettitngs->Close();
        ReopenTable();
    }
    updateTimerPanel(strrsTimerEnd);
    SetStatusPanelText(2, strrsServerEnd + QStringLiteral(": ") + cbServers->currentText());
    if (ReconnectOnShow && !ADOConnection.Connected())
        btnOpenClick();
}

void TfrmSetting::FormClose()
{
    SaveForClose();
    minimizeToTray();
}

void TfrmSetting::StartInTray()
{
    FormShow();
    StartHidden = false;
    FormClose();
}

void TfrmSetting::closeEvent(QCloseEvent *event)
{
    if (m_quitting) {
        event->accept();
        return;
    }
    // The close box hides the program into the tray; only Exit ends it.
    event->ignore();
    minimizeToTray();
}

void TfrmSetting::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        UpdateStrings();
        retranslateUi();
        pmOpenProgram->setText(isVisible() && !isMinimized() ? strrsHide : strrsOpen);
    } else if (event->type() == QEvent::WindowStateChange && !m_inMinimize && !m_quitting) {
        const auto *change = static_cast<QWindowStateChangeEvent *>(event);
        if (isMinimized() && !(change->oldState() & Qt::WindowMinimized)) {
            // Leave the event handler before hiding the window.
            QTimer::singleShot(0, this, [this] {
                if (isMinimized())
                    minimizeToTray();
            });
        } else if (!isMinimized() && (change->oldState() & Qt::WindowMinimized) && isVisible()
                   && !TTrayIcon::Available()) {
            FormShow(); // back from the task bar: no show event comes
        }
    }
}

void TfrmSetting::ApplicationEventsMinimize()
{
    SaveForClose();
    pmOpenProgram->setText(strrsOpen);
    if (ADOConnection.Connected()) {
        ReconnectOnShow = true;
        btnOpenClick();
    }
}

void TfrmSetting::minimizeToTray()
{
    if (m_inMinimize)
        return;
    m_inMinimize = true;
    ApplicationEventsMinimize();
    if (TTrayIcon::Available())
        hide();
    else
        showMinimized(); // without a tray, a hidden window could never come back
    // A minimized window may stay active (and gets its focus back when it is
    // activated); a blinking cursor in it would wake the program twice a
    // second for nothing, so the focus goes to the grid, which does not blink.
    DBGridMain->setFocus();
    m_inMinimize = false;
}

void TfrmSetting::restoreFromTray()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (!focusWidget())
        DBGridMain->setFocus();
}

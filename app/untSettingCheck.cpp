// The check timer and the backup pass, the tray menu, autorun, help and exit.
#include "AutoStart.h"
#include "DateTimeText.h"
#include "TrayIcon.h"
#include "journal/untJOpen.h"
#include "restore/untRestore.h"
#include "ui/untAbout.h"
#include "ui/untLang.h"
#include "ui/untMyDialog.h"
#include "untSaveTimer.h"
#include "untSetting.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QThread>
#include <QTimer>

bool TfrmSetting::PassRunning() const
{
    return m_passThread != nullptr;
}

void TfrmSetting::tmThreadTimerBackupTimer()
{
    if (CheckRunning) {
        // One pass at a time; a tick that falls due meanwhile gives one more
        // pass right after this one.
        m_tickPending = true;
        return;
    }
    if (m_exitRequested)
        return;
    CheckRunning = true;
    lbAct->setText(m_lbActText);
    pnlBottom->show();
    tmResultat->stop();

    // The pass runs off the GUI thread: a backup can take an hour, and a
    // window that does not answer that long may be killed between the backup
    // and the write of the task file.
    m_stopPass = false;
    BackupPassOptions options;
    options.stopRequested = &m_stopPass;
    options.taskStarting = [this](const QString &server, const QString &database) {
        QMetaObject::invokeMethod(
            this, [this, server, database] { showBusyTask(server, database); }, Qt::QueuedConnection);
    };
    const QString dir = m_programDir;
    m_passThread = QThread::create([this, dir, options] {
        try {
            m_lastReport = RunBackupPass(dir, options);
        } catch (const std::exception &e) {
            m_lastReport = {};
            m_lastReport.problems.append(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            m_lastReport = {};
        }
    });
    m_passThread->setObjectName(QStringLiteral("BackupPass"));
    connect(m_passThread, &QThread::finished, this, &TfrmSetting::passDone);
    m_passThread->start();
    emit passStarted();
}

void TfrmSetting::showBusyTask(const QString &server, const QString &database)
{
    if (CheckRunning)
        lbAct->setText(tr("%1: %2 (%3)").arg(m_lbActText, database, server));
}

void TfrmSetting::passDone()
{
    QThread *thread = m_passThread;
    m_passThread = nullptr;
    thread->wait();
    thread->deleteLater();
    const BackupPassReport report = m_lastReport;

    if (!m_exitRequested) {
        try {
            ReopenResultat();
        } catch (...) {
        }
    }
    pnlBottom->hide();
    lbAct->setText(m_lbActText);
    CheckRunning = false;
    if (!m_exitRequested) {
        tmResultat->start();
        if (!report.problems.isEmpty())
            TrayIcon->ShowMessage(TrayInfoTitle(), report.problems.join(QLatin1Char('\n')));
    }
    emit passFinished(report);
    if (m_exitRequested) {
        finishExit();
        return;
    }
    if (m_tickPending) {
        m_tickPending = false;
        tmThreadTimerBackupTimer();
    }
}

void TfrmSetting::PopupMenuPopup()
{
    pmOpenProgram->setText(isVisible() && !isMinimized() ? strrsHide : strrsOpen);
    ApplyLangMenuItem(mmLang, ActiveLanguage());
}

void TfrmSetting::TrayIconDblClick()
{
    pmOpenProgramClick();
}

void TfrmSetting::pmOpenProgramClick()
{
    if (pmOpenProgram->text().contains(strrsHide)) {
        pmOpenProgram->setText(strrsOpen);
        SaveForClose();
        minimizeToTray();
    } else {
        pmOpenProgram->setText(strrsHide);
        restoreFromTray();
        if (frmAdd)
            frmAdd->raise();
    }
}

void TfrmSetting::setAutoRunShown(bool on)
{
    m_autoRunOn = on;
    pmAutoRun->setIcon(QIcon(on ? QStringLiteral(":/icons/autorun-on.png") : QStringLiteral(":/icons/autorun-off.png")));
}

bool TfrmSetting::AutoRunOn() const
{
    return m_autoRunOn;
}

void TfrmSetting::pmAutoRunClick()
{
    CheckMenu();
}

void TfrmSetting::CheckMenu()
{
    QString error;
    if (!AutoStart->SetOn(!m_autoRunOn, &error))
        ShowMessageWindow(error, strrsP);
    // The item shows what is true, not what was asked for.
    setAutoRunShown(AutoStart->IsOn());
}

void TfrmSetting::pmCheckTimeClick()
{
    if (!frmSaveTimer)
        frmSaveTimer = new TfrmSaveTimer(this);
    frmSaveTimer->show();
    frmSaveTimer->raise();
    frmSaveTimer->activateWindow();
}

void TfrmSetting::mmRestoreDbClick()
{
    TfrmRestore::Execute(this);
}

void TfrmSetting::bbJournClick()
{
    TfrmJOpen::showJournal(programDir(), this);
}

void TfrmSetting::pmAboutClick()
{
    TfrmAbout::Open(this);
}

void TfrmSetting::mmLangClick()
{
    RefreshLang();
}

void TfrmSetting::RefreshLang()
{
    const TLang next = ActiveLanguage() == TLang::Eng ? TLang::Rus : TLang::Eng;
    ApplyLangMenuItem(mmLang, next);
    // Every open window, this one included, takes the new texts here.
    SetLanguage(next);
    SetStatusPanelText(0, strrsStart + QStringLiteral(": ") + DateTimeToText(StartTime));
    updateTimerPanel(strrsTimerEnd);
    SetStatusPanelText(3, ADOConnection.Connected() ? strrsConnectYes : strrsConnectNo);
    SetStatusPanelText(2, strrsSer + QStringLiteral(": ") + cbServers->currentText());
}

QString TfrmSetting::HelpFilePath() const
{
    return m_programDir + QStringLiteral("Orvell backup.chm");
}

void TfrmSetting::mmHelpClick()
{
    if (OpenHelpFile)
        OpenHelpFile(HelpFilePath());
}

void TfrmSetting::mHClick()
{
    mmHelpClick();
}

void TfrmSetting::pmCloseClick()
{
    SaveForClose();
    if (PassRunning()) {
        // The running task finishes and the task file is written first.
        m_exitRequested = true;
        m_stopPass = true;
        tmThreadTimerBackup->stop();
        tmResultat->stop();
        hide();
        return;
    }
    finishExit();
}

void TfrmSetting::finishExit()
{
    ADOConnection.Close();
    m_quitting = true;
    tmThreadTimerBackup->stop();
    tmResultat->stop();
    TrayIcon->Hide();
    emit exitRequested();
    QCoreApplication::exit(0);
}

// The task list of the main window: loading, refreshing and writing the task
// table, and the add, edit and delete commands.
#include "TaskGrid.h"
#include "TaskTable.h"
#include "ui/untMyDialog.h"
#include "untSetting.h"
#include "wizard/untAdd.h"

#include <QTableView>
#include <QTimer>

namespace {
QString s_programDirOverride;
}

void TfrmSetting::SetProgramDirForTests(const QString &dir)
{
    s_programDirOverride = dir;
}

void TfrmSetting::ReopenTable()
{
    m_programDir = s_programDirOverride.isEmpty() ? ProgramDir() : s_programDirOverride;
    TaskFileContent content;
    try {
        content = ReadTaskFile(m_programDir);
        m_loadError.clear();
    } catch (const OrvellError &e) {
        // Writing the table back now would replace tasks that are still in
        // the file; remember the failure until a load succeeds.
        m_loadError = e.message();
        ShowMessageWindow(e.message(), strrsP);
        return;
    }
    if (!content.Exists)
        return;
    MemSettitngs->LoadLines(content.Lines);
}

void TfrmSetting::ReopenResultat()
{
    if (!MemSettitngs->Active())
        MemSettitngs->Open();
    const TaskFileContent content = ReadTaskFile(m_programDir);
    if (!content.Exists)
        return;
    MemSettitngs->RefreshResults(content.Lines);
}

bool TfrmSetting::CloseCurrentFile()
{
    if (!MemSettitngs->Active())
        return false;
    if (!m_loadError.isEmpty())
        throw OrvellError(m_loadError);
    WriteTaskFile(m_programDir, MemSettitngs->Lines());
    MemSettitngs->SetCurrentRow(MemSettitngs->RecordCount() - 1);
    return true;
}

void TfrmSetting::tmResultatTimer()
{
    try {
        ReopenResultat();
    } catch (...) {
    }
}

void TfrmSetting::runWizard(bool editMode)
{
    EditMode = editMode;
    // The task wizard (TfrmAdd) opens here, modally, on the current row when
    // EditMode is set; it writes the table with CloseCurrentFile on Apply.
    if (OpenTaskWizard) {
        OpenTaskWizard();
    } else {
        auto *wizard = new TfrmAdd(this);
        frmAdd = wizard;
        wizard->exec(); // frees itself when it closes
    }
    if (RunAfterCreate) {
        RunAfterCreate = false;
        tmThreadTimerBackupTimer();
    }
    update();
    tmThreadTimerBackup->start(); // the interval counts anew from here
}

void TfrmSetting::tbPlusClick()
{
    if (CheckRunning) {
        ShowMessageWindow(strrsStateCheck, strrsP);
        return;
    }
    tmThreadTimerBackup->stop();
    if (!MemSettitngs->Active())
        MemSettitngs->Open();
    runWizard(false);
}

void TfrmSetting::tbEditClick()
{
    if (CheckRunning) {
        ShowMessageWindow(strrsStateCheck, strrsP);
        return;
    }
    if (!MemSettitngs->Active() || MemSettitngs->RecordCount() == 0)
        return;
    tmThreadTimerBackup->stop();
    runWizard(true);
}

void TfrmSetting::tbDeleteClick()
{
    if (CheckRunning) {
        ShowMessageWindow(strrsStateCheck, strrsP);
        return;
    }
    if (frmAdd)
        return;
    if (!MemSettitngs->Active() || MemSettitngs->RecordCount() == 0)
        return;
    if (MessageDialog(strsDelC, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, strsDelCont) != 1)
        return;
    // A pass may have started while the question was open; it rewrites the
    // task file itself, so the deletion waits for it.
    if (CheckRunning) {
        ShowMessageWindow(strrsStateCheck, strrsP);
        return;
    }
    tmThreadTimerBackup->stop();
    MemSettitngs->Delete(MemSettitngs->CurrentRow());
    try {
        CloseCurrentFile();
    } catch (const OrvellError &e) {
        ShowMessageWindow(e.message(), strrsP);
    }
    tmThreadTimerBackup->start();
}

void TfrmSetting::DBGridMainCellClick(int column)
{
    const QList<TGridColumn> columns = GridModel->Columns();
    if (column >= 0 && column < columns.size())
        LastClickedField = columns[column].FieldName;
}

void TfrmSetting::DBGridMainDblClick()
{
    if (LastClickedField != QLatin1String("Result")) {
        tbEditClick();
        return;
    }
    const int row = MemSettitngs->CurrentRow();
    if (row < 0)
        return;
    const QString result = MemSettitngs->Value(row, mResult).toString();
    QString text = result;
    if (result == NewTaskMarker)
        text = strrsInsTask;
    else if (result == SuccessResult)
        text = strrsSucc;
    ShowValueWindow(text, strrsRes);
}

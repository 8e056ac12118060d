// The wizard and the main window: filling the pages from the current task,
// writing them back on Apply, and the connection behind the database picker.

#include "untAdd.h"

#include "Ado.h"
#include "Clock.h"
#include "TaskCodes.h"
#include "app/TaskTable.h"
#include "app/SettingWidgets.h"
#include "app/untSetting.h"
#include "ui/untMyDialog.h"
#include "untDB.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimeEdit>
#include <array>

namespace {

TTaskTable *Table()
{
    return frmSetting ? frmSetting->MemSettitngs : nullptr;
}

// The server named in an OLE DB string: after the first "Data Source=", up
// to the end or, with untilSemicolon, up to the next ";".
QString DataSourceOf(const QString &connectionString, bool untilSemicolon)
{
    static const QString key = QStringLiteral("Data Source=");
    const qsizetype at = connectionString.indexOf(key, 0, Qt::CaseSensitive);
    if (at < 0)
        return {};
    QString server = connectionString.mid(at + key.size());
    if (untilSemicolon) {
        const qsizetype end = server.indexOf(QLatin1Char(';'));
        if (end >= 0)
            server.truncate(end);
    }
    return server;
}

} // namespace

bool TfrmAdd::ModeIsEdit() const
{
    return frmSetting && frmSetting->EditMode;
}

void TfrmAdd::FormShow()
{
    ClearWizard();
    SetActivePage(QStringLiteral("Start"));
    TTaskTable *table = Table();
    const bool edit = ModeIsEdit() && table && table->CurrentRow() >= 0;
    if (edit)
        LoadStringInWizard();
    else if (!ModeIsEdit())
        rbType3->setChecked(true);
    if (edit)
        leServerName->setText(table->Value(table->CurrentRow(), mServer).toString());
    else if (!ModeIsEdit() && frmSetting)
        leServerName->setText(frmSetting->cbServers->currentText().trimmed());
    if (ADOConnectionUpdate->Connected())
        ADOConnectionUpdate->Close();
    raise();
    activateWindow();
}

void TfrmAdd::LoadStringInWizard()
{
    TTaskTable *table = Table();
    if (!table || table->CurrentRow() < 0)
        return;
    const int row = table->CurrentRow();
    const auto text = [&](int field) { return table->Value(row, field).toString(); };
    const auto number = [&](int field) { return table->Value(row, field).toInt(); }; // NULL reads as 0
    const auto flag = [&](int field) { return table->Value(row, field).toBool(); };   // NULL reads as false
    const QString type = text(mType);
    const QTime time = StoredTimeOfDay(number(mHour), number(mMin));

    if (type == QLatin1String("Type1")) {
        rbType1->setChecked(true);
        edDB->setText(text(mDBName));
        seHourMinType1->setTime(time);
        deFolder->setText(text(mPath));
        if (!flag(mOnWeekDaysType1)) {
            if (flag(mDailyOnType1)) {
                rbDailyType1->setChecked(true);
            } else {
                rbEveryType1->setChecked(true);
                seEveryType1->setValue(number(mEveryType1));
            }
        } else {
            seEveryType1->setValue(0);
            rbWeekdaysType1->setChecked(true);
        }
        const int everyHour = number(mEveryHour);
        if (everyHour < 1) {
            cbEveryCbType1->setChecked(false);
            seEveryHourType1->setValue(0);
            seEveryHourType1->setEnabled(false);
        } else {
            cbEveryCbType1->setChecked(true);
            seEveryHourType1->setValue(everyHour);
            seEveryHourType1->setEnabled(true);
        }
    } else if (type == QLatin1String("Type2")) {
        rbType2->setChecked(true);
        edBaseType2->setText(text(mDBName));
        seHourMinType2->setTime(time);
        deFolderType2->setText(text(mPath));
        seWeekType2->setValue(number(mEveryType2));
        const QList<bool> days = ParseCodeList(text(mDayType2), 7);
        for (int i = 0; i < 7; ++i)
            cbDay[i]->setChecked(days[i]);
    } else if (type == QLatin1String("Type3")) {
        rbType3->setChecked(true);
        edBaseType3->setText(text(mDBName));
        seHourMinType3->setTime(time);
        deFolderType3->setText(text(mPath));
        const QDateTime date = table->Value(row, mDateType3).toDateTime();
        if (date.isValid())
            dtDateType3->setDate(date.date());
        // Checking it moves the run to the present moment.
        cbOnceType3->setChecked(number(mOnceType3) == 1);
    } else if (type == QLatin1String("Type4")) {
        rbType4->setChecked(true);
        edBaseType4->setText(text(mDBName));
        deFolderType4->setText(text(mPath));
        seWeekType4->setValue(number(mEveryWeekType4));
        seHourTimeType4->setTime(time);
        const QList<bool> months = ParseCodeList(text(mMonthType4), 12);
        for (int i = 0; i < 12; ++i)
            cbMonth[i]->setChecked(months[i]);
    }
}

void TfrmAdd::ClearCurrentString()
{
    TTaskTable *table = Table();
    const int row = table ? table->CurrentRow() : -1;
    if (row < 0)
        throw OrvellError(QStringLiteral("No current task"));
    for (int field = 0; field < MemFieldCount; ++field) {
        if (TTaskTable::FieldNames().at(field) != QLatin1String("ID"))
            table->SetValue(row, field, QVariant());
    }
}

void TfrmAdd::UpdateCurrentString()
{
    TTaskTable *table = Table();
    const int row = table ? table->CurrentRow() : -1;
    if (row < 0)
        throw OrvellError(QStringLiteral("No current task"));
    const auto set = [&](int field, const QVariant &value) { table->SetValue(row, field, value); };

    set(mDateLast, LocalNow());
    set(mResult, NewTaskMarker);
    if (ModeIsEdit()) {
        set(mServer, m_keptServer);
        set(mStrConnect, m_keptStrConnect);
    } else {
        set(mServer, frmSetting->cbServers->currentText().trimmed());
        set(mStrConnect, StrConnectToStored(frmSetting->CreateConnectString()));
    }

    const QString kind = SelectedKind();
    if (kind.isEmpty())
        return;
    const QTime time = TimeField(kind)->time();
    set(mType, kind);
    set(mDBName, DatabaseField(kind)->text().trimmed());
    set(mHour, time.hour());
    set(mMin, time.minute());
    set(mPath, FolderField(kind)->text());

    if (kind == QLatin1String("Type1")) {
        if (rbDailyType1->isChecked()) {
            set(mDailyOnType1, true);
            set(mEveryType1, 1);
            set(mOnWeekDaysType1, false);
        } else if (rbEveryType1->isChecked()) {
            set(mDailyOnType1, false);
            set(mEveryType1, seEveryType1->value());
            set(mOnWeekDaysType1, false);
        } else if (rbWeekdaysType1->isChecked()) {
            set(mDailyOnType1, false);
            set(mEveryType1, 0);
            set(mOnWeekDaysType1, true);
        }
        set(mEveryHour, cbEveryCbType1->isChecked() ? seEveryHourType1->value() : 0);
    } else if (kind == QLatin1String("Type2")) {
        set(mEveryType2, seWeekType2->value());
        QList<bool> days;
        for (QCheckBox *day : cbDay)
            days << day->isChecked();
        set(mDayType2, JoinCodeList(days));
    } else if (kind == QLatin1String("Type3")) {
        set(mDateType3, WallClock(dtDateType3->date()));
        set(mOnceType3, cbOnceType3->isChecked() ? 1 : 0);
    } else {
        set(mEveryWeekType4, seWeekType4->value());
        QList<bool> months;
        for (QCheckBox *month : cbMonth)
            months << month->isChecked();
        set(mMonthType4, JoinCodeList(months));
    }
}

bool TfrmAdd::ApplySteps()
{
    TTaskTable *table = Table();
    if (!table)
        return false;
    const bool edit = ModeIsEdit();
    const int previousCurrent = table->CurrentRow();
    std::array<QVariant, MemFieldCount> before;
    if (edit && previousCurrent >= 0) {
        for (int field = 0; field < MemFieldCount; ++field)
            before[field] = table->Value(previousCurrent, field);
    }
    int added = -1;
    try {
        if (!edit) {
            added = table->Append(); // its ID is the number of rows before it
        } else {
            if (previousCurrent < 0)
                throw OrvellError(QStringLiteral("No current task"));
            m_keptServer = table->Value(previousCurrent, mServer).toString();
            m_keptStrConnect = table->Value(previousCurrent, mStrConnect).toString();
        }
        ClearCurrentString();
        UpdateCurrentString();
        const int id = table->Value(table->CurrentRow(), mID).toInt();
        if (!frmSetting->CloseCurrentFile())
            throw OrvellError(QString()); // nothing was written: the table was closed
        if (edit)
            table->SetCurrentRow(table->Locate(id));
        return true;
    } catch (const std::exception &e) {
        // Never leave a half-written row behind: put the table back as it was
        // (the task file was not replaced) and say why.
        if (added >= 0) {
            table->Delete(added);
        } else if (edit && previousCurrent >= 0) {
            for (int field = 0; field < MemFieldCount; ++field)
                table->SetValue(previousCurrent, field, before[field]);
        }
        table->SetCurrentRow(previousCurrent);
        const auto *error = dynamic_cast<const OrvellError *>(&e);
        const QString message = error ? error->message() : QString::fromLocal8Bit(e.what());
        if (!message.isEmpty())
            ShowMessageWindow(message, strrsP);
        return false;
    }
}

void TfrmAdd::bbApplyFinishClick()
{
    if (MessageDialog(strrsAddTask, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, strrsW) != 1)
        return;
    if (!ApplySteps())
        return; // stays on "Finish"
    // The box keeps its state when the user changes the kind, so it counts
    // whatever kind was saved.
    if (cbOnceType3->isChecked())
        frmSetting->RunAfterCreate = true;
    accept();
}

FolderOnServer TfrmAdd::CheckFolderOnServer(const QString &path)
{
    TADOConnection *connection = nullptr;
    if (ModeIsEdit())
        connection = ADOConnectionUpdate.get();
    else if (frmSetting)
        connection = &frmSetting->ADOConnection;
    return ::CheckFolderOnServer(*qryFolderExists, connection, path);
}

void TfrmAdd::ConnectedForAddAndUpdate()
{
    if (!frmSetting)
        return;
    const auto askToConnect = [this] {
        return MessageDialog(strrsLinkServ + QLatin1Char(' ') + leServerName->text() + QLatin1Char('?'),
                             QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, strrsW)
            == 1;
    };
    TADOConnection *connection = nullptr;
    if (!ModeIsEdit()) {
        TADOConnection &main = frmSetting->ADOConnection;
        if (!main.Connected()) {
            if (!askToConnect())
                return;
            frmSetting->btnOpenClick(); // shows its own message when it fails
        }
        if (!main.Connected())
            return;
        connection = &main;
    } else {
        TTaskTable *table = Table();
        const int row = table ? table->CurrentRow() : -1;
        const QString stored = row >= 0 ? table->Value(row, mStrConnect).toString() : QString();
        if (!ADOConnectionUpdate->Connected()) {
            const QString taskServer = DataSourceOf(stored, false);
            const QString mainServer = DataSourceOf(frmSetting->ADOConnection.ConnectionString, true);
            if (taskServer.isEmpty() || mainServer.isEmpty() || taskServer != mainServer) {
                if (!askToConnect())
                    return;
            }
            ADOConnectionUpdate->Close();
            ADOConnectionUpdate->ConnectionString = StrConnectFromStored(stored);
            try {
                ADOConnectionUpdate->Open();
            } catch (const OrvellError &e) {
                ShowPlainMessage(e.message());
                return;
            }
        }
        connection = ADOConnectionUpdate.get();
    }
    TfrmDB *picker = TfrmDB::instance();
    if (!picker)
        picker = new TfrmDB(this); // a child of the modal wizard, so it takes input beside it
    picker->qryDB->Connection = connection;
    if (picker->isVisible())
        picker->ReopenList();
    picker->show();
    picker->raise();
    picker->activateWindow();
}

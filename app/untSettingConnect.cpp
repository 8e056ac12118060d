// The server connection panel and the status bar of the main window.
#include "ConnectionString.h"
#include "SettingWidgets.h"
#include "ui/untMyDialog.h"
#include "untSetting.h"
#include "discovery/TServerDiscovery.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

QString TfrmSetting::CreateConnectString() const
{
    const QString server = cbServers->currentText().trimmed();
    const QString login = edSQLName->text().trimmed();
    const QString password = edSQLPassword->text().trimmed();
    // Values are quoted only when they need it (a ";", a quote), so a
    // password cannot spill into further keywords; plain values stay as they are.
    if (rbnamePassword->isChecked())
        return QStringLiteral("Provider=SQLOLEDB.1;Password=") + QuoteOleDbValue(password)
            + QStringLiteral(";Persist Security Info=False;User ID=") + QuoteOleDbValue(login)
            + QStringLiteral(";Initial Catalog=master;Data Source=") + QuoteOleDbValue(server);
    if (rbNT->isChecked())
        return QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                              "Initial Catalog=master;Data Source=")
            + QuoteOleDbValue(server);
    return {};
}

void TfrmSetting::btnOpenClick()
{
    if (ADOConnection.Connected()) {
        ADOConnection.Close();
        btnOpen->setText(strrsConnect);
        ADOConnectionAfterDisconnect();
        return;
    }
    const QString connectionString = CreateConnectString();
    ADOConnection.Close();
    ADOConnection.ConnectionString = connectionString;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        ADOConnection.Open();
        QApplication::restoreOverrideCursor();
        btnOpen->setText(strrsNoConnect);
        ADOConnectionAfterConnect();
    } catch (const OrvellError &e) {
        QApplication::restoreOverrideCursor();
        ShowMessageWindow(e.message(), strrsP);
    }
}

void TfrmSetting::rbNTClick()
{
    for (QLineEdit *edit : {edSQLName, edSQLPassword}) {
        edit->setReadOnly(true);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        edit->setPalette(palette);
    }
}

void TfrmSetting::rbnamePasswordClick()
{
    for (QLineEdit *edit : {edSQLName, edSQLPassword}) {
        edit->setReadOnly(false);
        edit->setPalette(QPalette());
    }
}

void TfrmSetting::ADOConnectionAfterConnect()
{
    m_connectionPanel->update();
    SetStatusPanelText(2, strrsSer + QStringLiteral(": ") + cbServers->currentText());
}

void TfrmSetting::ADOConnectionAfterDisconnect()
{
    ADOConnectionAfterConnect();
}

void TfrmSetting::cbServersCloseUp()
{
    ReserchServer();
    edSQLName->clear();
    edSQLPassword->clear();
    rbNTClick();
}

void TfrmSetting::ReserchServer()
{
    if (ADOConnection.Connected())
        btnOpenClick();
    // With no item chosen (a typed name) the panel shows the box's text.
    SetStatusPanelText(2, strrsSer + QStringLiteral(": ") + cbServers->currentText());
}

void TfrmSetting::MergeFoundServers(const QStringList &names)
{
    ::MergeFoundServers(cbServers, names);
}

QString TfrmSetting::StatusPanelText(int panel) const
{
    if (panel >= 0 && panel < 3)
        return m_panels[panel]->text();
    if (panel == 3)
        return m_connectionPanelText;
    return {};
}

void TfrmSetting::SetStatusPanelText(int panel, const QString &text)
{
    if (panel >= 0 && panel < 3)
        m_panels[panel]->setText(text);
    else if (panel == 3) {
        m_connectionPanelText = text; // set, never shown: the panel draws itself
        m_connectionPanel->update();
    }
}

QString TfrmSetting::ConnectionPanelDrawnText() const
{
    return m_connectionPanel->DrawnText();
}

#include "untRestore.h"

#include "Ado.h"
#include "Clock.h"
#include "DateTimeText.h"
#include "Journal.h"
#include "RestoreSql.h"
#include "TaskFile.h"
#include "app/SettingWidgets.h"
#include "app/untSetting.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "wizard/untFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

QPointer<TfrmRestore> frmRestore;

namespace {

const QString FormName = QStringLiteral("frmRestore");
const QString RestorePathValue = QStringLiteral("RestorePath");
constexpr int RestoreTimeoutSeconds = 600;

// The path as this machine opens it: a file named with "\" is looked for with
// the local separator too.
QString LocalFile(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isFile())
        return path;
#ifndef Q_OS_WIN
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(local).isFile())
        return local;
#endif
    return {};
}

bool LocalFileExists(const QString &path)
{
    return !LocalFile(path).isEmpty();
}

// "C:\" on Windows, "/" elsewhere.
QString RootFolder()
{
    return QDir::toNativeSeparators(QDir::rootPath());
}

QString ErrorText(const std::exception &e)
{
    if (const auto *own = dynamic_cast<const OrvellError *>(&e))
        return own->message();
    return QString::fromLocal8Bit(e.what());
}

// The wait cursor for the whole application until the action ends; a message
// shown on the way gets the normal cursor back first.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { release(); }
    void release()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

} // namespace

TRestoreHost TRestoreHost::MainWindow()
{
    TRestoreHost host;
    if (frmSetting)
        host.connection = &frmSetting->ADOConnection;
    host.toggleConnection = [] {
        if (frmSetting)
            frmSetting->btnOpenClick();
    };
    host.serverText = [] { return frmSetting ? frmSetting->cbServers->currentText() : QString(); };
    host.programDir = [] {
        const QString dir = frmSetting ? frmSetting->programDir() : QString();
        return dir.isEmpty() ? ProgramDir() : dir;
    };
    return host;
}

TfrmRestore::TfrmRestore(QWidget *parent)
    : TfrmRestore(TRestoreHost::MainWindow(), parent)
{
}

TfrmRestore::TfrmRestore(TRestoreHost host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_host(std::move(host))
{
    setObjectName(FormName);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Verdana"), 8));
    setFixedSize(442, 162);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    edNewName = new QLineEdit(this);
    edNewName->setObjectName(QStringLiteral("edNewName"));
    Label1->setBuddy(edNewName);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    deFolderType = new QLineEdit(this);
    deFolderType->setObjectName(QStringLiteral("deFolderType"));
    Label2->setBuddy(deFolderType);
    deFolderTypeButton = deFolderType->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    deFolderTypeButton->setObjectName(QStringLiteral("deFolderTypeButton"));

    bbRestore = new QPushButton(this);
    bbRestore->setObjectName(QStringLiteral("bbRestore"));
    bbRestore->setIcon(QIcon(QStringLiteral(":/icons/restore.png")));
    bbRestore->setDefault(true);
    bbNone = new QPushButton(this);
    bbNone->setObjectName(QStringLiteral("bbNone"));
    bbNone->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bbRestore);
    buttons->addWidget(bbNone);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(4);
    layout->addWidget(Label1);
    layout->addWidget(edNewName);
    layout->addSpacing(4);
    layout->addWidget(Label2);
    layout->addWidget(deFolderType);
    layout->addStretch(1);
    layout->addLayout(buttons);

    qryRestore = std::make_unique<TADOQuery>(m_host.connection);
    qryRestore->CommandTimeout = RestoreTimeoutSeconds;

    connect(bbRestore, &QPushButton::clicked, this, &TfrmRestore::bbRestoreClick);
    connect(bbNone, &QPushButton::clicked, this, &TfrmRestore::bbNoneClick);
    connect(deFolderTypeButton, &QAction::triggered, this, &TfrmRestore::deFolderTypeButtonClick);

    retranslateUi();
    UpdateStrings();
    if (frmRestore.isNull())
        frmRestore = this;
}

TfrmRestore::~TfrmRestore()
{
    if (frmRestore == this)
        frmRestore.clear();
}

void TfrmRestore::Execute(QWidget *parent)
{
    if (frmRestore) {
        frmRestore->raise();
        frmRestore->activateWindow();
        return;
    }
    auto *window = new TfrmRestore(parent);
    window->exec(); // frees the window when it closes
}

TfrmRestore *TfrmRestore::instance()
{
    return frmRestore.data();
}

void TfrmRestore::retranslateUi()
{
    setWindowTitle(tr("Восстановление базы данных"));
    Label1->setText(tr("Наименование базы данных"));
    Label2->setText(tr("Путь к файлу архива  Orvell Backup"));
    bbRestore->setText(tr("Восстановить"));
    bbNone->setText(tr("Отмена"));
}

void TfrmRestore::UpdateStrings()
{
    strrsNoFile = tr("Файл не найден.", "strrsNoFile");
    strrsLink = tr("Установить связь с сервером?", "strrsLink");
    strrsW = tr("Вопрос", "strrsW");
    strrsNoSymb = tr("Имя базы содержит недопустимые символы.", "strrsNoSymb");
    strrsDbExists = tr("База данных с таким наименованием уже существует.", "strrsDbExists");
    strrsDbRest = tr("База успешно восстановлена.", "strrsDbRest");
    strrsMes = tr("Сообщение", "strrsMes");
    strrsP = tr("Предупреждение", "strrsP");
}

void TfrmRestore::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi();
        UpdateStrings();
    }
    QDialog::changeEvent(event);
}

void TfrmRestore::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmRestore::FormShow()
{
    activateWindow();
    CentreOnScreen(this);
    RestorePlacement(this, FormName, false);
    const QString path = OpenMainKey(FormName)->value(RestorePathValue).toString();
    deFolderType->setText(path.isEmpty() ? RootFolder() : path);
}

void TfrmRestore::FormClose()
{
    SavePlacement(this, FormName, false);
    OpenMainKey(FormName)->setValue(RestorePathValue, deFolderType->text());
}

void TfrmRestore::done(int result)
{
    // Every way of closing passes here: the buttons, the restore, Escape and
    // the window frame.
    if (isVisible())
        FormClose();
    if (frmRestore == this)
        frmRestore.clear();
    QDialog::done(result);
}

void TfrmRestore::bbNoneClick()
{
    close();
}

void TfrmRestore::deFolderTypeButtonClick()
{
    QPointer<TfrmOpenFolder> picker = TfrmOpenFolder::instance();
    if (!picker)
        picker = new TfrmOpenFolder(this);
    picker->SetListing(TfrmOpenFolder::Listing::FoldersAndFiles);
    const QString current = LocalFile(deFolderType->text());
    if (current.isEmpty() || !picker->SelectPath(current))
        picker->SelectPath(QDir::rootPath());
    const QMetaObject::Connection chosen =
        connect(picker, &TfrmOpenFolder::PathChosen, this, [this](const QString &path) {
            if (isVisible())
                deFolderType->setText(path);
        });
    picker->exec();
    disconnect(chosen);
}

void TfrmRestore::appendJournal(const QString &result, const QString &database)
{
    const QString server = m_host.serverText ? m_host.serverText() : QString();
    const QString dir = m_host.programDir ? m_host.programDir() : ProgramDir();
    AppendJournalLine(dir, JoinJournalLine({DateTimeToText(LocalNow()), result, server, database, RestoreJournalTarget}));
}

void TfrmRestore::bbRestoreClick()
{
    // The server opens the path exactly as typed; only the test here trims it.
    const QString backupPath = deFolderType->text();
    if (!LocalFileExists(backupPath.trimmed())) {
        ShowMessageWindow(strrsNoFile, strrsP);
        return;
    }

    if (!m_host.connection || !m_host.connection->Connected()) {
        if (MessageDialog(strrsLink, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, strrsW) != 1)
            return;
        // Whatever comes of it: a failed connection shows its own message and
        // the first statement below reports it again.
        if (m_host.toggleConnection)
            m_host.toggleConnection();
    }

    WaitCursor wait;
    const QString name = edNewName->text().trimmed();
    if (RestoreSql::HasRefusedCharacter(name)) {
        wait.release();
        ShowMessageWindow(strrsNoSymb, strrsP);
        return;
    }

    QString dataFolder;
    QString dataLogicalName;
    QString logLogicalName;
    try {
        qryRestore->SQL = RestoreSql::DatabaseCountSql(name);
        qryRestore->Open();
        const int count = qryRestore->FieldByName(QStringLiteral("KOL")).AsInteger();
        qryRestore->Close();
        if (count >= 1) {
            wait.release();
            ShowMessageWindow(strrsDbExists, strrsP);
            return;
        }

        // Repaint only: no click may start a second action meanwhile.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

        qryRestore->SQL = RestoreSql::DataFileSql();
        qryRestore->Open();
        const QString dataFile = qryRestore->FieldByName(QStringLiteral("filename")).AsString();
        qryRestore->Close();
        dataFolder = RestoreSql::DataFolderOf(dataFile);
        if (dataFolder.isEmpty())
            return;

        qryRestore->SQL = RestoreSql::FileListSql(backupPath);
        qryRestore->Open();
        // With several files of a type the last one is moved.
        for (qryRestore->First(); !qryRestore->Eof(); qryRestore->Next()) {
            const QString type = qryRestore->FieldByName(QStringLiteral("Type")).AsString().trimmed();
            if (type == QLatin1String("D"))
                dataLogicalName = qryRestore->FieldByName(QStringLiteral("LogicalName")).AsString();
            else if (type == QLatin1String("L"))
                logLogicalName = qryRestore->FieldByName(QStringLiteral("LogicalName")).AsString();
        }
        qryRestore->Close();
    } catch (const std::exception &e) {
        // The server cannot read the file, the connection is not there...:
        // nothing was restored, so the window stays for another try.
        qryRestore->Close();
        wait.release();
        ShowMessageWindow(ErrorText(e), strrsP);
        return;
    }

    try {
        qryRestore->SQL =
            RestoreSql::RestoreDatabaseSql(name, backupPath, dataFolder + name, dataLogicalName, logLogicalName);
        qryRestore->ExecSQL();
        appendJournal(SuccessResult, name);
        wait.release();
        ShowMessageWindow(strrsDbRest, strrsMes);
    } catch (const std::exception &e) {
        const QString error = ErrorText(e);
        wait.release();
        ShowMessageWindow(error, strrsP);
        try {
            appendJournal(error, name);
        } catch (const std::exception &journalError) {
            ShowMessageWindow(ErrorText(journalError), strrsP);
            return;
        }
    }
    close();
}

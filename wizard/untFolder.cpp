#include "untFolder.h"

#include "TargetChecks.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "untAdd.h"

#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeView>
#include <QVBoxLayout>

QPointer<TfrmOpenFolder> frmOpenFolder;

namespace {
const QString FormName = QStringLiteral("frmOpenFolder");

bool WizardShowing()
{
    return frmAdd && frmAdd->isVisible();
}
} // namespace

TfrmOpenFolder::TfrmOpenFolder(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                  | Qt::WindowMinMaxButtonsHint)
{
    setObjectName(FormName);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Verdana")));
    setMinimumSize(250, 150);
    resize(463, 267);

    ShellModel = new QFileSystemModel(this);
    ShellModel->setObjectName(QStringLiteral("ShellModel"));
    // Like the shell tree it stands for, it does not follow later changes.
    ShellModel->setOption(QFileSystemModel::DontWatchForChanges);
    ShellModel->setReadOnly(true);
    ShellModel->setRootPath(QDir::rootPath());

    ShellTreeView = new QTreeView(this);
    ShellTreeView->setObjectName(QStringLiteral("ShellTreeView"));
    ShellTreeView->setModel(ShellModel);
    ShellTreeView->setHeaderHidden(true);
    for (int column = 1; column < ShellModel->columnCount(); ++column)
        ShellTreeView->hideColumn(column);
    ShellTreeView->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ShellTreeView->setExpandsOnDoubleClick(false);

    auto *bar = new QWidget(this);
    bar->setFixedHeight(36);
    bbOpen = new QPushButton(bar);
    bbOpen->setObjectName(QStringLiteral("bbOpen"));
    bbClose = new QPushButton(bar);
    bbClose->setObjectName(QStringLiteral("bbClose"));
    auto *buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(6, 5, 6, 5);
    buttons->addWidget(bbOpen);
    buttons->addStretch(1);
    buttons->addWidget(bbClose);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ShellTreeView, 1);
    layout->addWidget(bar);

    connect(bbOpen, &QPushButton::clicked, this, &TfrmOpenFolder::bbOpenClick);
    connect(bbClose, &QPushButton::clicked, this, &TfrmOpenFolder::bbCloseClick);
    connect(ShellTreeView, &QTreeView::doubleClicked, this, &TfrmOpenFolder::bbOpenClick);
    // Folders are read in the background; keep the selection in view as they arrive.
    const auto keepSelectionInView = [this] {
        if (ShellTreeView->currentIndex().isValid())
            ShellTreeView->scrollTo(ShellTreeView->currentIndex());
    };
    connect(ShellModel, &QFileSystemModel::rowsInserted, this, keepSelectionInView, Qt::QueuedConnection);
    connect(ShellModel, &QFileSystemModel::layoutChanged, this, keepSelectionInView, Qt::QueuedConnection);

    RetranslateUi();
    UpdateStrings();
    ApplyListing();
    if (frmOpenFolder.isNull())
        frmOpenFolder = this;
}

TfrmOpenFolder::~TfrmOpenFolder() = default;

TfrmOpenFolder *TfrmOpenFolder::instance()
{
    return frmOpenFolder.data();
}

void TfrmOpenFolder::RetranslateUi()
{
    setWindowTitle(tr("Проводник"));
    bbOpen->setText(tr("Открыть"));
    bbClose->setText(tr("Выход"));
}

void TfrmOpenFolder::UpdateStrings()
{
    strrsFolderNoFound = tr("Данная папка отсутствует в файловой системе сервера БД.", "strrsFolderNoFound");
    strrsNoWrite = tr("Отсутствует доступ к папке на запись.", "strrsNoWrite");
}

void TfrmOpenFolder::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
        UpdateStrings();
    }
    QDialog::changeEvent(event);
}

void TfrmOpenFolder::SetListing(Listing listing)
{
    m_listing = listing;
    ApplyListing();
}

bool TfrmOpenFolder::ListsFiles() const
{
    return ShellModel->filter().testFlag(QDir::Files);
}

void TfrmOpenFolder::ApplyListing()
{
    bool files = !WizardShowing();
    if (m_listing == Listing::FoldersOnly)
        files = false;
    else if (m_listing == Listing::FoldersAndFiles)
        files = true;
    QDir::Filters filter = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;
    if (files)
        filter |= QDir::Files;
    if (ShellModel->filter() != filter)
        ShellModel->setFilter(filter);
}

bool TfrmOpenFolder::SelectPath(const QString &path)
{
    const QModelIndex index = ShellModel->index(QDir::cleanPath(QDir::fromNativeSeparators(path)));
    if (!index.isValid())
        return false;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        ShellTreeView->expand(parent);
    ShellTreeView->setCurrentIndex(index);
    ShellTreeView->scrollTo(index);
    return true;
}

QString TfrmOpenFolder::SelectedPath() const
{
    const QModelIndex index = ShellTreeView->currentIndex();
    if (!index.isValid())
        return {};
    return QDir::toNativeSeparators(ShellModel->filePath(index));
}

void TfrmOpenFolder::bbOpenClick()
{
    const bool wizard = WizardShowing();
    const QString selected = SelectedPath();
    if (wizard) {
        switch (frmAdd->CheckFolderOnServer(selected)) {
        case FolderOnServer::NotFound:
            ShowPlainMessage(strrsFolderNoFound);
            return;
        case FolderOnServer::NoAnswer:
            if (!CheckFolderWritable(selected, strrsNoWrite))
                return;
            break;
        case FolderOnServer::Found:
            break;
        }
    }
    const QString path = selected.trimmed();
    if (path.isEmpty())
        return;
    if (wizard) {
        // The page shown now, whatever page the picker was opened from.
        if (QLineEdit *field = frmAdd->FolderField(frmAdd->ActivePageName()))
            field->setText(path);
        accept();
        return;
    }
    emit PathChosen(path);
    accept();
}

void TfrmOpenFolder::bbCloseClick()
{
    reject();
}

void TfrmOpenFolder::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        ApplyListing();
        // A stored size applies; the window always opens centred.
        RestorePlacement(this, FormName, true);
        CentreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void TfrmOpenFolder::done(int result)
{
    if (isVisible())
        SavePlacement(this, FormName, true);
    if (frmOpenFolder == this)
        frmOpenFolder.clear();
    QDialog::done(result);
}

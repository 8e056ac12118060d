#include "untDB.h"

#include "Ado.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "untAdd.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

QPointer<TfrmDB> frmDB;

namespace {
const QString FormName = QStringLiteral("frmDB");
}

TfrmDB::TfrmDB(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                  | Qt::WindowMinMaxButtonsHint)
    , qryDB(std::make_unique<TADOQuery>())
{
    setObjectName(FormName);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Verdana")));
    resize(392, 300);
    qryDB->SQL = QStringLiteral("select name from master..sysdatabases order by name");

    DBGrid = new QTableWidget(0, 1, this);
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid->verticalHeader()->setDefaultSectionSize(18);
    DBGrid->setColumnWidth(0, 733);
    // The column is wider than the window: keep its title in sight.
    DBGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto *bar = new QWidget(this);
    bar->setFixedHeight(41);
    btnApple = new QPushButton(bar);
    btnApple->setObjectName(QStringLiteral("btnApple"));
    btnClose = new QPushButton(bar);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto *buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(8, 8, 8, 8);
    buttons->addWidget(btnApple);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(DBGrid, 1);
    layout->addWidget(bar);

    connect(btnApple, &QPushButton::clicked, this, &TfrmDB::btnAppleClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmDB::btnCloseClick);
    connect(DBGrid, &QTableWidget::cellDoubleClicked, this, &TfrmDB::DBGridDblClick);

    RetranslateUi();
    if (frmDB.isNull())
        frmDB = this;
}

TfrmDB::~TfrmDB() = default;

TfrmDB *TfrmDB::instance()
{
    return frmDB.data();
}

void TfrmDB::RetranslateUi()
{
    setWindowTitle(tr("Выбор базы"));
    DBGrid->setHorizontalHeaderLabels({tr("Наименование базы")});
    btnApple->setText(tr("Применить"));
    btnClose->setText(tr("Отмена"));
}

void TfrmDB::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(event);
}

void TfrmDB::ReopenList()
{
    DBGrid->setRowCount(0);
    try {
        qryDB->Close();
        qryDB->Open();
        QStringList names;
        for (qryDB->First(); !qryDB->Eof(); qryDB->Next())
            names << qryDB->FieldByName(QStringLiteral("name")).AsString();
        DBGrid->setRowCount(int(names.size()));
        for (int row = 0; row < names.size(); ++row)
            DBGrid->setItem(row, 0, new QTableWidgetItem(names.at(row)));
        if (!names.isEmpty())
            DBGrid->setCurrentCell(0, 0);
    } catch (const std::exception &e) {
        const auto *error = dynamic_cast<const OrvellError *>(&e);
        ShowPlainMessage(error ? error->message() : QString::fromLocal8Bit(e.what()));
    }
}

QString TfrmDB::CurrentName() const
{
    const int row = DBGrid->currentRow();
    if (row < 0 || !DBGrid->item(row, 0))
        return {};
    return DBGrid->item(row, 0)->text();
}

void TfrmDB::btnAppleClick()
{
    if (TfrmAdd *wizard = TfrmAdd::instance()) {
        // The page shown now, whatever page the picker was opened from.
        if (QLineEdit *field = wizard->DatabaseField(wizard->ActivePageName()))
            field->setText(CurrentName());
    }
    accept();
}

void TfrmDB::DBGridDblClick()
{
    btnAppleClick();
}

void TfrmDB::btnCloseClick()
{
    reject();
}

void TfrmDB::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        RestorePlacement(this, FormName, true);
        ReopenList();
    }
    QDialog::showEvent(event);
}

void TfrmDB::done(int result)
{
    if (isVisible())
        SavePlacement(this, FormName, true);
    if (frmDB == this)
        frmDB.clear();
    QDialog::done(result);
}

#include "untJOpen.h"

#include "Journal.h"
#include "JournalModel.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPointer<TfrmJOpen> frmJOpen; // the one open viewer

const QString PlacementKey = QStringLiteral("frmJOpen");
const QString LayoutKey = QStringLiteral("t2");
constexpr int DesignedWidths[6] = {91, 95, 92, 101, 111, 146};

} // namespace

TfrmJOpen *TfrmJOpen::showJournal(const QString &programDir, QWidget *parent)
{
    if (!frmJOpen)
        frmJOpen = new TfrmJOpen(programDir, parent);
    frmJOpen->show();
    if (frmJOpen->isMinimized())
        frmJOpen->showNormal();
    frmJOpen->raise();
    frmJOpen->activateWindow();
    return frmJOpen;
}

TfrmJOpen *TfrmJOpen::instance()
{
    return frmJOpen;
}

TfrmJOpen::TfrmJOpen(const QString &programDir, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_programDir(programDir)
{
    setObjectName(QStringLiteral("frmJOpen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Verdana"), 8));
    resize(623, 480);
    move(296, 256);

    m_rxMem = new JournalModel(this);

    DBGridRes = new QTableView(this);
    DBGridRes->setObjectName(QStringLiteral("DBGridRes"));
    DBGridRes->setModel(m_rxMem);
    DBGridRes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridRes->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGridRes->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridRes->setWordWrap(false);
    DBGridRes->verticalHeader()->hide();
    // Rows of one height: the view then never measures a million rows.
    DBGridRes->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGridRes->verticalHeader()->setDefaultSectionSize(DBGridRes->fontMetrics().height() + 6);
    DBGridRes->horizontalHeader()->setSectionsMovable(true);
    DBGridRes->horizontalHeader()->setHighlightSections(false);
    for (int i = 0; i < m_rxMem->columnCount(); ++i)
        DBGridRes->setColumnWidth(i, DesignedWidths[i]);

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(41);
    bbClear = new QPushButton(pnlBottom);
    bbClear->setObjectName(QStringLiteral("bbClear"));
    BitBtn1 = new QPushButton(pnlBottom);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    auto *bar = new QHBoxLayout(pnlBottom);
    bar->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(bbClear);
    bar->addStretch();
    bar->addWidget(BitBtn1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(DBGridRes);
    layout->addWidget(pnlBottom);

    connect(DBGridRes, &QAbstractItemView::clicked, this, &TfrmJOpen::RxDBGrid1CellClick);
    connect(DBGridRes, &QAbstractItemView::doubleClicked, this, &TfrmJOpen::RxDBGrid1DblClick);
    connect(m_rxMem, &JournalModel::read, this, &TfrmJOpen::journalRead);
    connect(bbClear, &QPushButton::clicked, this, &TfrmJOpen::bbClearClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmJOpen::BitBtn1Click);

    retranslateUi();
    FormCreate();
}

TfrmJOpen::~TfrmJOpen() = default;

QString TfrmJOpen::journalPath() const
{
    return m_programDir + JournalFileName;
}

void TfrmJOpen::retranslateUi()
{
    setWindowTitle(tr("Журнал архивов"));
    bbClear->setText(tr("Очистить"));
    BitBtn1->setText(tr("Выход"));
    m_rxMem->retranslate();
}

void TfrmJOpen::UpdateStrings()
{
    strRsDelJourn = tr("Вы уверены что желаете очистить журнал?");
    strRsA = tr("Вопрос?");
    strrsDp = tr("Подробности");
    strrsP = tr("Предупреждение");
}

void TfrmJOpen::FormCreate()
{
    RestorePlacement(this, PlacementKey, true);

    const auto key = OpenMainKey(LayoutKey);
    for (int i = 0; i < m_rxMem->columnCount(); ++i) {
        int width = 0;
        if (ReadWholeNumber(*key, QStringLiteral("Width%1").arg(i), &width) && width > 0)
            DBGridRes->setColumnWidth(i, width);
        const QString field = key->value(QStringLiteral("FieldName%1").arg(i)).toString();
        if (!field.isEmpty())
            m_rxMem->setColumnField(i, field);
    }

    UpdateStrings();
}

void TfrmJOpen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_readStarted) {
        m_readStarted = true;
        FormShow();
    }
}

void TfrmJOpen::FormShow()
{
    LastClickedField.clear();
    m_rxMem->startReading(journalPath());
}

void TfrmJOpen::journalRead(bool ok)
{
    if (m_rxMem->rowCount() > 0)
        DBGridRes->setCurrentIndex(m_rxMem->index(0, 0));
    // The older rows join once the newest have been painted.
    if (m_rxMem->canFetchMore({}))
        DBGridRes->viewport()->installEventFilter(this);
    if (!ok)
        ShowMessageWindow(m_rxMem->errorString(), strrsP);
}

bool TfrmJOpen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == DBGridRes->viewport()) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, m_rxMem, [model = m_rxMem] { model->fetchMore({}); });
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmJOpen::RxDBGrid1CellClick(const QModelIndex &index)
{
    if (index.isValid())
        LastClickedField = JournalModel::fieldName(m_rxMem->fieldOfColumn(index.column()));
}

void TfrmJOpen::RxDBGrid1DblClick()
{
    if (LastClickedField.isEmpty())
        return;
    const int row = DBGridRes->currentIndex().row();
    const std::optional<QString> value = m_rxMem->value(row, JournalModel::fieldByName(LastClickedField));
    // The whole value, even where the cell shows only its first 255 characters.
    if (value && !value->isEmpty())
        ShowValueWindow(*value, strrsDp);
}

void TfrmJOpen::bbClearClick()
{
    if (MessageDialog(strRsDelJourn, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, strRsA) != 1)
        return;
    // Cut in place rather than delete and create: a pass appending at this
    // moment keeps its line, and a missing journal stays missing.
    QFile journal(journalPath());
    if (journal.exists() && !journal.resize(0)) {
        ShowMessageWindow(journal.errorString(), strrsP);
        return;
    }
    LastClickedField.clear();
    m_rxMem->clear();
}

void TfrmJOpen::BitBtn1Click()
{
    close();
}

void TfrmJOpen::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TfrmJOpen::FormClose()
{
    SavePlacement(this, PlacementKey, true);

    // Columns in the order the user sees them, so a moved column comes back there.
    const auto key = OpenMainKey(LayoutKey);
    const QHeaderView *header = DBGridRes->horizontalHeader();
    for (int i = 0; i < header->count(); ++i) {
        const int column = header->logicalIndex(i);
        key->setValue(QStringLiteral("Width%1").arg(i), header->sectionSize(column));
        key->setValue(QStringLiteral("FieldName%1").arg(i), JournalModel::fieldName(m_rxMem->fieldOfColumn(column)));
        key->setValue(QStringLiteral("FieldTitle%1").arg(i), m_rxMem->headerData(column, Qt::Horizontal).toString());
    }
}

void TfrmJOpen::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi();
        UpdateStrings();
    }
    QWidget::changeEvent(event);
}

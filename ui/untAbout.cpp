#include "untAbout.h"

#include "MainKey.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtMath>

namespace {

QPointer<TfrmAbout> s_instance;

// The designed client area; the window grows only when a font needs more.
constexpr int DesignedWidth = 341;
constexpr int TopHeight = 17;
constexpr int MemoHeight = 136;
constexpr int BottomHeight = 41;

QFont verdana(bool bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

// A bar with a lowered outer and a raised inner bevel.
void etch(QFrame *frame)
{
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setMidLineWidth(0);
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(verdana(false));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlTop = new QLabel(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFont(verdana(true));
    pnlTop->setAlignment(Qt::AlignCenter);
    pnlTop->setFixedHeight(TopHeight);
    pnlTop->setFocusPolicy(Qt::StrongFocus);
    etch(pnlTop);
    layout->addWidget(pnlTop);

    sMemo1 = new QPlainTextEdit(this);
    sMemo1->setObjectName(QStringLiteral("sMemo1"));
    sMemo1->setReadOnly(true);
    sMemo1->setFont(verdana(false));
    // Each line of the description is a line on the screen.
    sMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    {
        QPalette palette = sMemo1->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        sMemo1->setPalette(palette);
    }
    layout->addWidget(sMemo1);

    pnlBottom = new QFrame(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(BottomHeight);
    etch(pnlBottom);
    bbCloseType1 = new QPushButton(pnlBottom);
    bbCloseType1->setObjectName(QStringLiteral("bbCloseType1"));
    bbCloseType1->setGeometry(120, (BottomHeight - 25) / 2, 89, 25);
    bbCloseType1->setDefault(true);
    layout->addWidget(pnlBottom);

    connect(bbCloseType1, &QPushButton::clicked, this, &TfrmAbout::bbCloseType1Click);

    retranslateUi();
    CentreOnScreen(this);
}

TfrmAbout::~TfrmAbout()
{
    if (s_instance == this)
        s_instance = nullptr;
}

TfrmAbout *TfrmAbout::Open(QWidget *parent)
{
    if (!s_instance)
        s_instance = new TfrmAbout(parent);
    TfrmAbout *window = s_instance;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window;
}

TfrmAbout *TfrmAbout::instance()
{
    return s_instance;
}

void TfrmAbout::retranslateUi()
{
    setWindowTitle(tr("О программе"));
    // The product's name reads the same in both languages.
    pnlTop->setText(QStringLiteral("Orvell Backup for MS SQL Server"));
    bbCloseType1->setText(tr("Ок"));
    // The description keeps its lines as they were laid out, trailing blanks
    // included; the English one has a line more.
    const QString description = tr("Утилита Orvell backup for MS SQL Server служит \n"
                                   "для автоматизации создания архивов баз данных \n"
                                   "работающих под управлением MS SQL Server. \n"
                                   "Поддерживаются сервера выпущенные компанией \n"
                                   "Microsoft с 2000 по 2008 годы. Программа \n"
                                   "одновременно работает со всеми SQL-серверами \n"
                                   "находящимися в локальной сети.");
    const QString notice = tr("Разработано участниками проекта Orvell Backup.");
    sMemo1->setPlainText(description + QStringLiteral("\n\n") + notice);
    fitToContent();
}

void TfrmAbout::fitToContent()
{
    // As designed the window is 341 by 194; a font wider or taller than the
    // one it was laid out for widens the window or lengthens the memo rather
    // than hiding a line behind a scroll bar. The style decides the frame
    // and the font only once the window is polished.
    ensurePolished();
    const QFontMetrics metrics(sMemo1->font());
    int widest = 0;
    for (const QString &line : MemoLines())
        widest = qMax(widest, metrics.horizontalAdvance(line));
    QTextDocument *document = sMemo1->document();
    qreal textHeight = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        textHeight += document->documentLayout()->blockBoundingRect(block).height();
    const int frame = 2 * sMemo1->frameWidth();
    const int margins = 2 * qCeil(document->documentMargin()) + 4;
    const int width = qMax(DesignedWidth, widest + frame + margins);
    const int memoHeight = qMax(MemoHeight, qCeil(textHeight) + frame + margins);
    sMemo1->setFixedHeight(memoHeight);
    setFixedSize(width, TopHeight + memoHeight + BottomHeight);
}

QStringList TfrmAbout::MemoLines() const
{
    QStringList lines;
    for (QTextBlock block = sMemo1->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

void TfrmAbout::bbCloseType1Click()
{
    close();
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    pnlTop->setFocus(Qt::OtherFocusReason);
}

void TfrmAbout::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
}

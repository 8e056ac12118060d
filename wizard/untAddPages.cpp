// The wizard's pages: every control with its name, range and start value.
// Captions are set in RetranslateUi so they follow the language switch.

#include "untAdd.h"

#include "DateTimeText.h"

#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

template<typename W>
W *Named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QTimeEdit *CreateTimeField(QWidget *page, const char *name)
{
    auto *field = Named(new QTimeEdit(page), name);
    field->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    field->setTime(QTime(0, 0));
    return field;
}

QSpinBox *CreateSpin(QWidget *page, const char *name, int minimum, int maximum, int value)
{
    auto *spin = Named(new QSpinBox(page), name);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    return spin;
}

// Two digits for day and month, four for the year, in the locale's order and
// with its separator: a fixed ten-character entry.
QString TenCharacterDateFormat()
{
    QString format = DateTimeFormat::current().dateFormat;
    format.replace(QStringLiteral("dd"), QStringLiteral("d")).replace(QStringLiteral("d"), QStringLiteral("dd"));
    format.replace(QStringLiteral("MM"), QStringLiteral("M")).replace(QStringLiteral("M"), QStringLiteral("MM"));
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

// The picture at the left of "Start": a database drum over a soft gradient.
QPixmap StartPicture()
{
    QPixmap picture(112, 178);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, 178);
    background.setColorAt(0, QColor(38, 84, 140));
    background.setColorAt(1, QColor(150, 190, 230));
    painter.fillRect(picture.rect(), background);
    const QRectF drum(22, 52, 68, 74);
    QPainterPath body;
    body.moveTo(drum.left(), drum.top() + 8);
    body.lineTo(drum.left(), drum.bottom() - 8);
    body.arcTo(QRectF(drum.left(), drum.bottom() - 16, drum.width(), 16), 180, 180);
    body.lineTo(drum.right(), drum.top() + 8);
    body.arcTo(QRectF(drum.left(), drum.top(), drum.width(), 16), 0, -180);
    painter.setPen(QPen(QColor(230, 240, 250), 1.5));
    painter.setBrush(QColor(214, 226, 240));
    painter.drawPath(body);
    painter.setBrush(QColor(245, 248, 252));
    painter.drawEllipse(QRectF(drum.left(), drum.top(), drum.width(), 16));
    painter.setPen(QPen(QColor(120, 150, 190), 1.2));
    for (int ring = 1; ring <= 2; ++ring) {
        const qreal y = drum.top() + ring * (drum.height() - 16) / 3.0;
        painter.drawArc(QRectF(drum.left(), y, drum.width(), 16), 180 * 16, 180 * 16);
    }
    painter.setPen(QPen(QColor(255, 200, 60), 3));
    painter.drawLine(QPointF(56, 136), QPointF(56, 158));
    painter.drawLine(QPointF(46, 148), QPointF(56, 158));
    painter.drawLine(QPointF(66, 148), QPointF(56, 158));
    return picture;
}

QIcon DatabaseGlyph()
{
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(40, 70, 120));
    painter.setBrush(QColor(200, 215, 235));
    painter.drawRect(QRectF(3, 4, 10, 9));
    painter.drawEllipse(QRectF(3, 11, 10, 4));
    painter.drawEllipse(QRectF(3, 2, 10, 4));
    return QIcon(glyph);
}

} // namespace

void TfrmAdd::CreatePages()
{
    Notebook = Named(new QStackedWidget(this), "Notebook");
    Notebook->addWidget(CreateStartPage());
    Notebook->addWidget(CreateType1Page());
    Notebook->addWidget(CreateType2Page());
    Notebook->addWidget(CreateType3Page());
    Notebook->addWidget(CreateType4Page());
    Notebook->addWidget(CreateFinishPage());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Notebook);
}

namespace {

// The page's content above and the 41-pixel bar with its buttons below:
// next at the left, prior beside it, cancel at the right.
QVBoxLayout *PageFrame(QWidget *page, QPushButton *next, QPushButton *prior, QPushButton *close)
{
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 6, 8, 4);
    content->setSpacing(4);
    outer->addLayout(content, 1);
    auto *bar = new QWidget(page);
    bar->setFixedHeight(41);
    auto *buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(8, 8, 8, 8);
    for (QPushButton *b : {next, prior, close}) {
        if (b)
            b->setFixedSize(75, 25);
    }
    buttons->addWidget(next);
    if (prior)
        buttons->addWidget(prior);
    buttons->addStretch(1);
    buttons->addWidget(close);
    outer->addWidget(bar);
    return content;
}

} // namespace

QLineEdit *TfrmAdd::CreateButtonEdit(QWidget *page, const QString &name, bool database)
{
    auto *field = new QLineEdit(page);
    field->setObjectName(name);
    const QIcon glyph = database ? DatabaseGlyph() : style()->standardIcon(QStyle::SP_DirIcon);
    QAction *button = field->addAction(glyph, QLineEdit::TrailingPosition);
    button->setObjectName(name + QStringLiteral("Button"));
    if (database)
        connect(button, &QAction::triggered, this, &TfrmAdd::ConnectedForAddAndUpdate);
    else
        connect(button, &QAction::triggered, this, [this, field] { FolderButtonClick(field); });
    return field;
}

QWidget *TfrmAdd::CreateStartPage()
{
    auto *page = Named(new QWidget, "Start");
    bbNextStart = Named(new QPushButton(page), "bbNextStart");
    bbCloseStart = Named(new QPushButton(page), "bbCloseStart");
    auto *content = PageFrame(page, bbNextStart, nullptr, bbCloseStart);
    content->setContentsMargins(0, 0, 8, 4);

    auto *row = new QHBoxLayout;
    imgStart = Named(new QLabel(page), "imgStart");
    imgStart->setPixmap(StartPicture());
    imgStart->setFixedSize(112, 178);
    row->addWidget(imgStart, 0, Qt::AlignTop);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(8, 8, 0, 0);
    lblServerName = Named(new QLabel(page), "lblServerName");
    leServerName = Named(new QLineEdit(page), "leServerName");
    leServerName->setReadOnly(true);
    lblServerName->setBuddy(leServerName);
    right->addWidget(lblServerName);
    right->addWidget(leServerName);
    right->addSpacing(6);
    rbType3 = Named(new QRadioButton(page), "rbType3");
    rbType1 = Named(new QRadioButton(page), "rbType1");
    rbType2 = Named(new QRadioButton(page), "rbType2");
    rbType4 = Named(new QRadioButton(page), "rbType4");
    for (QRadioButton *rb : {rbType3, rbType1, rbType2, rbType4})
        right->addWidget(rb);
    right->addStretch(1);
    row->addLayout(right, 1);
    content->addLayout(row);

    connect(bbNextStart, &QPushButton::clicked, this, &TfrmAdd::bbNextStartClick);
    connect(bbCloseStart, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget *TfrmAdd::CreateType1Page()
{
    auto *page = Named(new QWidget, "Type1");
    bbNextType1 = Named(new QPushButton(page), "bbNextType1");
    bbPriorType1 = Named(new QPushButton(page), "bbPriorType1");
    bbCloseType1 = Named(new QPushButton(page), "bbCloseType1");
    auto *content = PageFrame(page, bbNextType1, bbPriorType1, bbCloseType1);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    lblDB = Named(new QLabel(page), "lblDB");
    edDB = CreateButtonEdit(page, QStringLiteral("edDB"), true);
    grid->addWidget(lblDB, 0, 0);
    grid->addWidget(edDB, 0, 1, 1, 4);

    // The three options form their own group, apart from the kind buttons.
    auto *options = new QButtonGroup(page);
    rbDailyType1 = Named(new QRadioButton(page), "rbDailyType1");
    rbEveryType1 = Named(new QRadioButton(page), "rbEveryType1");
    rbWeekdaysType1 = Named(new QRadioButton(page), "rbWeekdaysType1");
    for (QRadioButton *rb : {rbDailyType1, rbEveryType1, rbWeekdaysType1})
        options->addButton(rb);
    seEveryType1 = CreateSpin(page, "seEveryType1", 1, 7, 1);
    grid->addWidget(rbDailyType1, 1, 0, 1, 2);
    auto *every = new QHBoxLayout;
    every->addWidget(rbEveryType1);
    every->addWidget(seEveryType1);
    every->addStretch(1);
    grid->addLayout(every, 2, 0, 1, 3);
    grid->addWidget(rbWeekdaysType1, 3, 0, 1, 2);

    lblHourMinType1 = Named(new QLabel(page), "lblHourMinType1");
    seHourMinType1 = CreateTimeField(page, "seHourMinType1");
    lblHourMinType1->setBuddy(seHourMinType1);
    cbEveryCbType1 = Named(new QCheckBox(page), "cbEveryCbType1");
    seEveryHourType1 = CreateSpin(page, "seEveryHourType1", 0, 24, 0);
    seEveryHourType1->setEnabled(false);
    Label1 = Named(new QLabel(page), "Label1");
    grid->addWidget(lblHourMinType1, 4, 0);
    grid->addWidget(seHourMinType1, 4, 1);
    auto *repeat = new QHBoxLayout;
    repeat->addWidget(cbEveryCbType1);
    repeat->addWidget(seEveryHourType1);
    repeat->addWidget(Label1);
    grid->addLayout(repeat, 4, 2, 1, 3);

    lblFolder = Named(new QLabel(page), "lblFolder");
    deFolder = CreateButtonEdit(page, QStringLiteral("deFolder"), false);
    grid->addWidget(lblFolder, 5, 0);
    grid->addWidget(deFolder, 5, 1, 1, 4);
    grid->setColumnStretch(4, 1);
    content->addLayout(grid);
    content->addStretch(1);

    connect(rbDailyType1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbDailyType1Click();
    });
    connect(rbEveryType1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbEveryType1Click();
    });
    connect(rbWeekdaysType1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbWeekdaysType1Click();
    });
    connect(cbEveryCbType1, &QCheckBox::toggled, this, &TfrmAdd::cbEveryCbType1Click);
    connect(bbNextType1, &QPushButton::clicked, this, [this] { bbNextTypeClick(QStringLiteral("Type1")); });
    connect(bbPriorType1, &QPushButton::clicked, this, &TfrmAdd::bbPriorClick);
    connect(bbCloseType1, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget *TfrmAdd::CreateType2Page()
{
    auto *page = Named(new QWidget, "Type2");
    bbNextType2 = Named(new QPushButton(page), "bbNextType2");
    bbPriorType2 = Named(new QPushButton(page), "bbPriorType2");
    bbCloseType2 = Named(new QPushButton(page), "bbCloseType2");
    auto *content = PageFrame(page, bbNextType2, bbPriorType2, bbCloseType2);

    // Monday, Tuesday, Wednesday and Sunday above; Thursday to Saturday below.
    auto *days = new QGridLayout;
    days->setVerticalSpacing(2);
    const int row[7] = {0, 0, 0, 1, 1, 1, 0};
    const int column[7] = {0, 1, 2, 0, 1, 2, 3};
    for (int i = 0; i < 7; ++i) {
        cbDay[i] = new QCheckBox(page);
        cbDay[i]->setObjectName(QStringLiteral("cbDay%1").arg(i + 1));
        days->addWidget(cbDay[i], row[i], column[i]);
    }
    content->addLayout(days);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    lbBaseType2 = Named(new QLabel(page), "lbBaseType2");
    edBaseType2 = CreateButtonEdit(page, QStringLiteral("edBaseType2"), true);
    leFolderType2 = Named(new QLabel(page), "leFolderType2");
    deFolderType2 = CreateButtonEdit(page, QStringLiteral("deFolderType2"), false);
    leHourType2 = Named(new QLabel(page), "leHourType2");
    seHourMinType2 = CreateTimeField(page, "seHourMinType2");
    lblEveryWeekType2 = Named(new QLabel(page), "lblEveryWeekType2");
    seWeekType2 = CreateSpin(page, "seWeekType2", 1, 6, 1);
    grid->addWidget(lbBaseType2, 0, 0);
    grid->addWidget(edBaseType2, 0, 1, 1, 3);
    grid->addWidget(leFolderType2, 1, 0);
    grid->addWidget(deFolderType2, 1, 1, 1, 3);
    grid->addWidget(leHourType2, 2, 0);
    grid->addWidget(seHourMinType2, 2, 1);
    grid->addWidget(lblEveryWeekType2, 2, 2, Qt::AlignRight);
    grid->addWidget(seWeekType2, 2, 3);
    grid->setColumnStretch(1, 1);
    content->addLayout(grid);
    content->addStretch(1);

    connect(bbNextType2, &QPushButton::clicked, this, [this] { bbNextTypeClick(QStringLiteral("Type2")); });
    connect(bbPriorType2, &QPushButton::clicked, this, &TfrmAdd::bbPriorClick);
    connect(bbCloseType2, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget *TfrmAdd::CreateType3Page()
{
    auto *page = Named(new QWidget, "Type3");
    bbNextType3 = Named(new QPushButton(page), "bbNextType3");
    bbPriorType3 = Named(new QPushButton(page), "bbPriorType3");
    bbCloseType3 = Named(new QPushButton(page), "bbCloseType3");
    auto *content = PageFrame(page, bbNextType3, bbPriorType3, bbCloseType3);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    lblBaseType3 = Named(new QLabel(page), "lblBaseType3");
    edBaseType3 = CreateButtonEdit(page, QStringLiteral("edBaseType3"), true);
    lblHourType3 = Named(new QLabel(page), "lblHourType3");
    seHourMinType3 = CreateTimeField(page, "seHourMinType3");
    lblDateType3 = Named(new QLabel(page), "lblDateType3");
    dtDateType3 = Named(new QDateEdit(page), "dtDateType3");
    dtDateType3->setCalendarPopup(true);
    dtDateType3->setDisplayFormat(TenCharacterDateFormat());
    dtDateType3->setDate(QDate::currentDate());
    dtDateType3->calendarWidget()->setWindowTitle(QStringLiteral("Date select"));
    cbOnceType3 = Named(new QCheckBox(page), "cbOnceType3");
    lblFolderType3 = Named(new QLabel(page), "lblFolderType3");
    deFolderType3 = CreateButtonEdit(page, QStringLiteral("deFolderType3"), false);
    grid->addWidget(lblBaseType3, 0, 0);
    grid->addWidget(edBaseType3, 0, 1, 1, 2);
    grid->addWidget(lblHourType3, 1, 0);
    grid->addWidget(seHourMinType3, 1, 1);
    grid->addWidget(lblDateType3, 2, 0);
    grid->addWidget(dtDateType3, 2, 1);
    grid->addWidget(cbOnceType3, 3, 0, 1, 3);
    grid->addWidget(lblFolderType3, 4, 0);
    grid->addWidget(deFolderType3, 4, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    content->addLayout(grid);
    content->addStretch(1);

    connect(cbOnceType3, &QCheckBox::toggled, this, &TfrmAdd::cbOnceType3Click);
    connect(bbNextType3, &QPushButton::clicked, this, [this] { bbNextTypeClick(QStringLiteral("Type3")); });
    connect(bbPriorType3, &QPushButton::clicked, this, &TfrmAdd::bbPriorClick);
    connect(bbCloseType3, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget *TfrmAdd::CreateType4Page()
{
    auto *page = Named(new QWidget, "Type4");
    bbNextType4 = Named(new QPushButton(page), "bbNextType4");
    bbPriorType4 = Named(new QPushButton(page), "bbPriorType4");
    bbCloseType4 = Named(new QPushButton(page), "bbCloseType4");
    auto *content = PageFrame(page, bbNextType4, bbPriorType4, bbCloseType4);

    auto *row = new QHBoxLayout;
    // January to June in the first column, July to December in the second.
    auto *months = new QGridLayout;
    months->setVerticalSpacing(1);
    for (int i = 0; i < 12; ++i) {
        cbMonth[i] = new QCheckBox(page);
        cbMonth[i]->setObjectName(QStringLiteral("cb%1Type4").arg(i + 1));
        months->addWidget(cbMonth[i], i % 6, i / 6);
    }
    row->addLayout(months);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    lblEveryWeekType4 = Named(new QLabel(page), "lblEveryWeekType4");
    seWeekType4 = CreateSpin(page, "seWeekType4", 1, 31, 1);
    lblHourType4 = Named(new QLabel(page), "lblHourType4");
    seHourTimeType4 = CreateTimeField(page, "seHourTimeType4");
    lblBaseType4 = Named(new QLabel(page), "lblBaseType4");
    edBaseType4 = CreateButtonEdit(page, QStringLiteral("edBaseType4"), true);
    lblFolderType4 = Named(new QLabel(page), "lblFolderType4");
    deFolderType4 = CreateButtonEdit(page, QStringLiteral("deFolderType4"), false);
    grid->addWidget(lblEveryWeekType4, 0, 0);
    grid->addWidget(seWeekType4, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblHourType4, 1, 0);
    grid->addWidget(seHourTimeType4, 1, 1, Qt::AlignLeft);
    grid->addWidget(lblBaseType4, 2, 0, 1, 2);
    grid->addWidget(edBaseType4, 3, 0, 1, 2);
    grid->addWidget(lblFolderType4, 4, 0, 1, 2);
    grid->addWidget(deFolderType4, 5, 0, 1, 2);
    grid->setRowStretch(6, 1);
    row->addLayout(grid, 1);
    content->addLayout(row);

    connect(bbNextType4, &QPushButton::clicked, this, [this] { bbNextTypeClick(QStringLiteral("Type4")); });
    connect(bbPriorType4, &QPushButton::clicked, this, &TfrmAdd::bbPriorClick);
    connect(bbCloseType4, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget *TfrmAdd::CreateFinishPage()
{
    auto *page = Named(new QWidget, "Finish");
    bbApplyFinish = Named(new QPushButton(page), "bbApplyFinish");
    bbPriorFinish = Named(new QPushButton(page), "bbPriorFinish");
    bbCloseFinish = Named(new QPushButton(page), "bbCloseFinish");
    auto *content = PageFrame(page, bbApplyFinish, bbPriorFinish, bbCloseFinish);
    content->setContentsMargins(0, 0, 0, 0);
    memRes = Named(new QPlainTextEdit(page), "memRes");
    memRes->setReadOnly(true);
    content->addWidget(memRes);

    connect(bbApplyFinish, &QPushButton::clicked, this, &TfrmAdd::bbApplyFinishClick);
    connect(bbPriorFinish, &QPushButton::clicked, this, &TfrmAdd::bbPriorClick);
    connect(bbCloseFinish, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

void TfrmAdd::RetranslateUi()
{
    setWindowTitle(tr("Добавить"));
    const QString next = QStringLiteral(">>");
    const QString prior = QStringLiteral("<<");
    for (QPushButton *b : {bbNextStart, bbNextType1, bbNextType2, bbNextType3, bbNextType4})
        b->setText(next);
    for (QPushButton *b : {bbPriorType1, bbPriorType2, bbPriorType3, bbPriorType4, bbPriorFinish})
        b->setText(prior);
    for (QPushButton *b : {bbCloseStart, bbCloseType1, bbCloseType2, bbCloseType3, bbCloseType4, bbCloseFinish})
        b->setText(tr("Отмена"));
    bbApplyFinish->setText(tr("Применить"));

    lblServerName->setText(tr("Сервер"));
    rbType3->setText(tr("Однократно"));
    rbType1->setText(tr("По дням"));
    rbType2->setText(tr("По дням недели"));
    rbType4->setText(tr("По месяцам"));

    lblDB->setText(tr("База данных"));
    rbDailyType1->setText(tr("Ежедневно"));
    rbEveryType1->setText(tr("Каждый, дн"));
    rbWeekdaysType1->setText(tr("По выходным"));
    lblHourMinType1->setText(tr("Час, мин"));
    cbEveryCbType1->setText(tr("через каждые (ч)"));
    Label1->setText(tr("час"));
    lblFolder->setText(tr("Путь к папке"));

    const QString dayNames[7] = {tr("Понедельник"), tr("Вторник"), tr("Среда"), tr("Четверг"),
                                 tr("Пятница"), tr("Суббота"), tr("Воскресенье")};
    for (int i = 0; i < 7; ++i)
        cbDay[i]->setText(dayNames[i]);
    lbBaseType2->setText(tr("База"));
    leFolderType2->setText(tr("Путь к папке"));
    leHourType2->setText(tr("Час, мин"));
    lblEveryWeekType2->setText(tr("Каждую неделю"));

    lblBaseType3->setText(tr("База"));
    lblHourType3->setText(tr("Час, мин"));
    lblDateType3->setText(tr("Дата"));
    cbOnceType3->setText(tr("Выполнить задание после создания"));
    lblFolderType3->setText(tr("Путь к папке"));

    lblEveryWeekType4->setText(tr("Каждый день"));
    const QString monthNames[12] = {tr("Январь"), tr("Февраль"), tr("Март"), tr("Апрель"),
                                    tr("Май"), tr("Июнь"), tr("Июль"), tr("Август"),
                                    tr("Сентябрь"), tr("Октябрь"), tr("Ноябрь"), tr("Декабрь")};
    for (int i = 0; i < 12; ++i)
        cbMonth[i]->setText(monthNames[i]);
    lblHourType4->setText(tr("Час, мин"));
    lblBaseType4->setText(tr("База"));
    lblFolderType4->setText(tr("Путь"));
}

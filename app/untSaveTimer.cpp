#include "untSaveTimer.h"

#include "ui/MainKey.h"
#include "untSetting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

QValidator::State TMinutesSpinBox::validate(QString &input, int &pos) const
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return QValidator::Intermediate;
    for (const QChar c : text)
        if (!c.isDigit())
            return QValidator::Invalid;
    if (text.size() > 9)
        return QValidator::Invalid;
    const int value = text.toInt();
    if (value < minimum() || value > maximum())
        return QValidator::Intermediate; // brought into range by fixup
    return QSpinBox::validate(input, pos);
}

void TMinutesSpinBox::fixup(QString &input) const
{
    const QString text = input.trimmed();
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        input = QString::number(std::max(0, minimum()));
        return;
    }
    input = QString::number(std::clamp(value, minimum(), maximum()));
}

TfrmSaveTimer::TfrmSaveTimer(TfrmSetting *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("frmSaveTimer"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    setFont(font);

    Label1 = new QLabel(this);
    seTimer = new TMinutesSpinBox(this);
    seTimer->setObjectName(QStringLiteral("seTimer"));
    seTimer->setRange(0, 1440);
    seTimer->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    btnSave = new QPushButton(this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setDefault(true);
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));

    auto *row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(seTimer);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addWidget(BitBtn1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(297, 102);

    connect(btnSave, &QPushButton::clicked, this, &TfrmSaveTimer::btnSaveClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmSaveTimer::BitBtn1Click);
    retranslateUi();
}

TfrmSaveTimer::~TfrmSaveTimer() = default;

void TfrmSaveTimer::retranslateUi()
{
    setWindowTitle(tr("Частота проверок"));
    Label1->setText(tr("Проверять каждые, мин"));
    btnSave->setText(tr("Сохранить"));
    BitBtn1->setText(tr("Отмена"));
}

void TfrmSaveTimer::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
}

void TfrmSaveTimer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmSaveTimer::FormShow()
{
    seTimer->setValue(m_owner->tmThreadTimerBackup->interval() / 60000);
    LoadForClose();
}

void TfrmSaveTimer::LoadForClose()
{
    RestorePlacement(this, objectName(), false);
}

void TfrmSaveTimer::SaveForClose()
{
    SavePlacement(this, objectName(), false);
}

void TfrmSaveTimer::btnSaveClick()
{
    seTimer->interpretText(); // a typed 2000 becomes 1440, an empty text 0
    int minutes = seTimer->value();
    if (minutes == 0) {
        minutes = 15;
        seTimer->setValue(minutes);
    }
    QTimer *timer = m_owner->tmThreadTimerBackup;
    timer->stop();
    timer->setInterval(minutes * 60000);
    timer->start();
    OpenMainKey()->setValue(QStringLiteral("Interval"), QString::number(minutes));
    m_owner->SetStatusPanelText(1, QStringLiteral("Timer: every ") + QString::number(minutes)
                                       + QStringLiteral(" min"));
    close();
}

void TfrmSaveTimer::BitBtn1Click()
{
    close();
}

void TfrmSaveTimer::done(int result)
{
    if (isVisible())
        SaveForClose();
    QDialog::done(result);
}

#include "untAdd.h"

#include "Ado.h"
#include "DateTimeText.h"
#include "Clock.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "untFolder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimeEdit>

QPointer<TfrmAdd> frmAdd;

namespace {

const QString FormName = QStringLiteral("frmAdd");

// Unchecks a radio button although its group would keep one selected.
void ClearRadio(QRadioButton *button)
{
    if (!button->isChecked())
        return;
    if (QButtonGroup *group = button->group()) {
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
    } else {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

QString Labelled(const QString &label, const QString &value)
{
    return label + QStringLiteral(": ") + value;
}

} // namespace

TfrmAdd::TfrmAdd(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , ADOConnectionUpdate(std::make_unique<TADOConnection>())
    , qryFolderExists(std::make_unique<TADOQuery>())
{
    setObjectName(FormName);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(11);
    setFont(font);
    ADOConnectionUpdate->LoginPrompt = false;
    CreatePages();
    RetranslateUi();
    UpdateStrings();
    // Sized to its content, never below the designed 421 by 221.
    setFixedSize(sizeHint().expandedTo(QSize(421, 221)));
    ::RestorePlacement(this, FormName, false);
    if (frmAdd.isNull())
        frmAdd = this;
}

TfrmAdd::~TfrmAdd()
{
    // The pickers beside the wizard may read over its connection: they go first.
    qDeleteAll(findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly));
    if (ADOConnectionUpdate)
        ADOConnectionUpdate->Close();
}

TfrmAdd *TfrmAdd::instance()
{
    return frmAdd.data();
}

void TfrmAdd::UpdateStrings()
{
    strrsNoDb = tr("Вы не указали базу данных", "strrsNoDb");
    strrsNoArch = tr("Вы не указали путь для файла архива", "strrsNoArch");
    strrsP = tr("Предупреждение", "strrsP");
    strrsAddTask = tr("Вы уверены что желаете сохранить задание?", "strrsAddTask");
    strrsW = tr("Вопрос", "strrsW");
    strrsLinkServ = tr("Установить связь с сервером", "strrsLinkServ");
    strrsFolderNone = tr("Отсутствует доступ к папке на запись.", "strrsFolderNone");
    strrsDaily = tr("Ежедневно", "strrsDaily");
    strrsOnWeekdays = tr("По выходным", "strrsOnWeekdays");
    strrsMontly = tr("По месяцам", "strrsMontly");
    strrsEvery = tr("Каждый", "strrsEvery");
    strrsDay = tr("День", "strrsDay");
    strrsOnce = tr("Только", "strrsOnce");
    strrsDB = tr("База данных", "strrsDB");
    strrsDate = tr("Дата", "strrsDate");
    strrsHour = tr("Час", "strrsHour");
    strrsMin = tr("Мин", "strrsMin");
    strrsPath = tr("Путь", "strrsPath");
    strrsRunYes = tr("Выполнить задание после создания: да", "strrsRunYes");
    strrsRunNo = tr("Выполнить задание после создания: нет", "strrsRunNo");
}

void TfrmAdd::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
        UpdateStrings();
    }
    QDialog::changeEvent(event);
}

QString TfrmAdd::ActivePageName() const
{
    return Notebook->currentWidget() ? Notebook->currentWidget()->objectName() : QString();
}

void TfrmAdd::SetActivePage(const QString &name)
{
    for (int i = 0; i < Notebook->count(); ++i) {
        if (Notebook->widget(i)->objectName() == name) {
            Notebook->setCurrentIndex(i);
            return;
        }
    }
}

QString TfrmAdd::SelectedKind() const
{
    if (rbType1->isChecked())
        return QStringLiteral("Type1");
    if (rbType2->isChecked())
        return QStringLiteral("Type2");
    if (rbType3->isChecked())
        return QStringLiteral("Type3");
    if (rbType4->isChecked())
        return QStringLiteral("Type4");
    return {};
}

QLineEdit *TfrmAdd::DatabaseField(const QString &page) const
{
    if (page == QLatin1String("Type1"))
        return edDB;
    if (page == QLatin1String("Type2"))
        return edBaseType2;
    if (page == QLatin1String("Type3"))
        return edBaseType3;
    if (page == QLatin1String("Type4"))
        return edBaseType4;
    return nullptr;
}

QLineEdit *TfrmAdd::FolderField(const QString &page) const
{
    if (page == QLatin1String("Type1"))
        return deFolder;
    if (page == QLatin1String("Type2"))
        return deFolderType2;
    if (page == QLatin1String("Type3"))
        return deFolderType3;
    if (page == QLatin1String("Type4"))
        return deFolderType4;
    return nullptr;
}

QTimeEdit *TfrmAdd::TimeField(const QString &page) const
{
    if (page == QLatin1String("Type1"))
        return seHourMinType1;
    if (page == QLatin1String("Type2"))
        return seHourMinType2;
    if (page == QLatin1String("Type3"))
        return seHourMinType3;
    if (page == QLatin1String("Type4"))
        return seHourTimeType4;
    return nullptr;
}

void TfrmAdd::ClearWizard()
{
    for (QRadioButton *rb : {rbType1, rbType2, rbType3, rbType4})
        ClearRadio(rb);

    edDB->clear();
    ClearRadio(rbDailyType1);
    ClearRadio(rbEveryType1);
    seEveryType1->setValue(1);
    seHourMinType1->setTime(QTime(0, 0));
    deFolder->clear();
    ClearRadio(rbWeekdaysType1);
    cbEveryCbType1->setChecked(false);
    seEveryHourType1->setValue(0);
    seEveryHourType1->setEnabled(false);

    for (QCheckBox *day : cbDay)
        day->setChecked(false);
    edBaseType2->clear();
    deFolderType2->clear();
    seHourMinType2->setTime(QTime(0, 0));
    seWeekType2->setValue(1);

    edBaseType3->clear();
    seHourMinType3->setTime(QTime(0, 0));
    dtDateType3->setDate(QDate::currentDate());
    deFolderType3->clear();
    cbOnceType3->setChecked(false);

    edBaseType4->clear();
    deFolderType4->clear();
    seWeekType4->setValue(1);
    seHourTimeType4->setTime(QTime(0, 0));
    for (QCheckBox *month : cbMonth)
        month->setChecked(false);
}

void TfrmAdd::rbDailyType1Click()
{
    seEveryType1->setEnabled(false);
    cbEveryCbType1->setEnabled(true);
    seEveryHourType1->setEnabled(true);
}

void TfrmAdd::rbEveryType1Click()
{
    seEveryType1->setEnabled(true);
    cbEveryCbType1->setChecked(false);
    cbEveryCbType1->setEnabled(false);
    seEveryHourType1->setEnabled(false);
    seEveryHourType1->setValue(0);
}

void TfrmAdd::rbWeekdaysType1Click()
{
    seEveryType1->setEnabled(false);
    cbEveryCbType1->setChecked(false);
    cbEveryCbType1->setEnabled(false);
    seEveryHourType1->setEnabled(false);
    seEveryHourType1->setValue(0);
}

void TfrmAdd::cbEveryCbType1Click()
{
    if (cbEveryCbType1->isChecked()) {
        seEveryHourType1->setEnabled(true);
        if (seEveryHourType1->value() < 1)
            seEveryHourType1->setValue(1);
    } else {
        seEveryHourType1->setEnabled(false);
    }
}

void TfrmAdd::cbOnceType3Click()
{
    // A single run the user wants at once is due now.
    if (!cbOnceType3->isChecked())
        return;
    const QDateTime now = LocalNow();
    seHourMinType3->setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    dtDateType3->setDate(now.date());
}

void TfrmAdd::bbNextStartClick()
{
    if (rbType1->isChecked()) {
        if (!ModeIsEdit())
            rbDailyType1->setChecked(true);
        SetActivePage(QStringLiteral("Type1"));
    } else if (rbType2->isChecked()) {
        SetActivePage(QStringLiteral("Type2"));
    } else if (rbType3->isChecked()) {
        SetActivePage(QStringLiteral("Type3"));
    } else if (rbType4->isChecked()) {
        SetActivePage(QStringLiteral("Type4"));
    }
}

void TfrmAdd::bbPriorClick()
{
    const QString page = ActivePageName();
    if (page == QLatin1String("Finish")) {
        const QString kind = SelectedKind();
        if (!kind.isEmpty())
            SetActivePage(kind);
    } else if (page != QLatin1String("Start")) {
        SetActivePage(QStringLiteral("Start"));
    }
}

void TfrmAdd::bbNextTypeClick(const QString &page)
{
    const QString folder = FolderField(page)->text();
    if (!CheckFolderWritable(folder, strrsFolderNone))
        return;
    if (DatabaseField(page)->text().trimmed().isEmpty()) {
        ShowMessageWindow(strrsNoDb, strrsP);
        return;
    }
    if (folder.trimmed().isEmpty()) {
        ShowMessageWindow(strrsNoArch, strrsP);
        return;
    }
    memRes->setPlainText(SummaryText());
    SetActivePage(QStringLiteral("Finish"));
}

QString TfrmAdd::SummaryText() const
{
    const QString kind = SelectedKind();
    QStringList lines;
    if (kind.isEmpty())
        return {};
    const QTime time = TimeField(kind)->time();
    const QString hour = Labelled(strrsHour, QString::number(time.hour()));
    const QString minute = Labelled(strrsMin, QString::number(time.minute()));
    const QString database = Labelled(strrsDB, DatabaseField(kind)->text());
    const QString path = Labelled(strrsPath, FolderField(kind)->text());
    auto checkedCaptions = [](QCheckBox *const *boxes, int count) {
        QString line;
        for (int i = 0; i < count; ++i) {
            if (boxes[i]->isChecked())
                line += boxes[i]->text() + QLatin1Char(';');
        }
        return line;
    };

    if (kind == QLatin1String("Type1")) {
        QString option;
        if (rbDailyType1->isChecked())
            option = strrsDaily;
        else if (rbEveryType1->isChecked())
            option = strrsEvery + QLatin1Char(' ') + QString::number(seEveryType1->value()) + QLatin1Char(' ') + strrsDay;
        else if (rbWeekdaysType1->isChecked())
            option = strrsOnWeekdays;
        lines << option << database << hour << minute << path;
    } else if (kind == QLatin1String("Type2")) {
        lines << strrsEvery + QLatin1Char(':') << checkedCaptions(cbDay, 7) << database << hour << minute << path;
    } else if (kind == QLatin1String("Type3")) {
        lines << strrsOnce + QLatin1Char(':') << database
              << Labelled(strrsDate, DateTimeToText(WallClock(dtDateType3->date()))) << hour << minute << path
              << (cbOnceType3->isChecked() ? strrsRunYes : strrsRunNo);
    } else {
        lines << strrsMontly << checkedCaptions(cbMonth, 12)
              << Labelled(strrsDay, QString::number(seWeekType4->value())) << database << hour << minute << path;
    }
    return lines.join(QStringLiteral("\r\n"));
}

void TfrmAdd::FolderButtonClick(QLineEdit *field)
{
    TfrmOpenFolder *picker = TfrmOpenFolder::instance();
    if (!picker)
        picker = new TfrmOpenFolder(this);
    const QString current = field->text();
    if (!current.isEmpty() && QFileInfo::exists(current))
        picker->SelectPath(current);
    picker->show();
    picker->raise();
    picker->activateWindow();
}

int TfrmAdd::MessageDialog(const QString &msg, QMessageBox::Icon kind, QMessageBox::StandardButtons buttons,
                           const QString &title)
{
    return ::MessageDialog(msg, kind, buttons, title);
}

void TfrmAdd::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmAdd::done(int result)
{
    // Every way out (Apply, a cancel button, Escape, the title bar) passes here.
    if (isVisible())
        ::SavePlacement(this, FormName, false);
    if (frmAdd == this)
        frmAdd.clear();
    QDialog::done(result);
}

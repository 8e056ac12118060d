#pragma once

#include "TargetChecks.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <memory>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTimeEdit;
class QWidget;
class TADOConnection;
class TADOQuery;

// The task wizard: creates a task (add mode) or changes the current row of
// the main window's task table (edit mode) in three steps, "Start", the page
// of the schedule kind and the summary on "Finish".
class TfrmAdd : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAdd(QWidget *parent = nullptr);
    ~TfrmAdd() override;

    // The page control; its pages carry the object names "Start", "Type1" to
    // "Type4" and "Finish".
    QStackedWidget *Notebook = nullptr;
    QString ActivePageName() const;
    void SetActivePage(const QString &name);

    // "Start"
    QLineEdit *leServerName = nullptr;
    QLabel *lblServerName = nullptr;
    QLabel *imgStart = nullptr;
    QRadioButton *rbType3 = nullptr;
    QRadioButton *rbType1 = nullptr;
    QRadioButton *rbType2 = nullptr;
    QRadioButton *rbType4 = nullptr;
    QPushButton *bbNextStart = nullptr;
    QPushButton *bbCloseStart = nullptr;

    // "Type1"
    QLineEdit *edDB = nullptr;
    QLabel *lblDB = nullptr;
    QRadioButton *rbDailyType1 = nullptr;
    QRadioButton *rbEveryType1 = nullptr;
    QSpinBox *seEveryType1 = nullptr;
    QRadioButton *rbWeekdaysType1 = nullptr;
    QTimeEdit *seHourMinType1 = nullptr;
    QLabel *lblHourMinType1 = nullptr;
    QCheckBox *cbEveryCbType1 = nullptr;
    QSpinBox *seEveryHourType1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *deFolder = nullptr;
    QLabel *lblFolder = nullptr;
    QPushButton *bbNextType1 = nullptr;
    QPushButton *bbPriorType1 = nullptr;
    QPushButton *bbCloseType1 = nullptr;

    // "Type2"
    QCheckBox *cbDay[7] = {}; // cbDay1 (Monday) ... cbDay7 (Sunday)
    QLineEdit *edBaseType2 = nullptr;
    QLabel *lbBaseType2 = nullptr;
    QLineEdit *deFolderType2 = nullptr;
    QLabel *leFolderType2 = nullptr;
    QTimeEdit *seHourMinType2 = nullptr;
    QLabel *leHourType2 = nullptr;
    QSpinBox *seWeekType2 = nullptr;
    QLabel *lblEveryWeekType2 = nullptr;
    QPushButton *bbNextType2 = nullptr;
    QPushButton *bbPriorType2 = nullptr;
    QPushButton *bbCloseType2 = nullptr;

    // "Type3"
    QLineEdit *edBaseType3 = nullptr;
    QLabel *lblBaseType3 = nullptr;
    QTimeEdit *seHourMinType3 = nullptr;
    QLabel *lblHourType3 = nullptr;
    QDateEdit *dtDateType3 = nullptr;
    QLabel *lblDateType3 = nullptr;
    QCheckBox *cbOnceType3 = nullptr;
    QLineEdit *deFolderType3 = nullptr;
    QLabel *lblFolderType3 = nullptr;
    QPushButton *bbNextType3 = nullptr;
    QPushButton *bbPriorType3 = nullptr;
    QPushButton *bbCloseType3 = nullptr;

    // "Type4"
    QSpinBox *seWeekType4 = nullptr;
    QLabel *lblEveryWeekType4 = nullptr;
    QCheckBox *cbMonth[12] = {}; // cb1Type4 (January) ... cb12Type4 (December)
    QTimeEdit *seHourTimeType4 = nullptr;
    QLabel *lblHourType4 = nullptr;
    QLineEdit *edBaseType4 = nullptr;
    QLabel *lblBaseType4 = nullptr;
    QLineEdit *deFolderType4 = nullptr;
    QLabel *lblFolderType4 = nullptr;
    QPushButton *bbNextType4 = nullptr;
    QPushButton *bbPriorType4 = nullptr;
    QPushButton *bbCloseType4 = nullptr;

    // "Finish"
    QPlainTextEdit *memRes = nullptr;
    QPushButton *bbApplyFinish = nullptr;
    QPushButton *bbPriorFinish = nullptr;
    QPushButton *bbCloseFinish = nullptr;

    // The wizard's own connection for an edited task, and the folder test.
    std::unique_ptr<TADOConnection> ADOConnectionUpdate;
    std::unique_ptr<TADOQuery> qryFolderExists;

    // Message texts in the active language.
    QString strrsNoDb, strrsNoArch, strrsP, strrsAddTask, strrsW, strrsLinkServ, strrsFolderNone;
    QString strrsDaily, strrsOnWeekdays, strrsMontly, strrsEvery, strrsDay, strrsOnce;
    QString strrsDB, strrsDate, strrsHour, strrsMin, strrsPath, strrsRunYes, strrsRunNo;
    void UpdateStrings();

    // Puts every page back to its start values.
    void ClearWizard();
    // The pages from the current row of the task table (edit mode).
    void LoadStringInWizard();
    // Apply's two steps on the current row: empty it, then write the pages.
    void ClearCurrentString();
    void UpdateCurrentString();

    // The summary of the selected kind's page, lines joined by CR LF.
    QString SummaryText() const;
    // The kind selected on "Start" ("Type1" ... "Type4"), empty when none.
    QString SelectedKind() const;

    // The target checks of this wizard.
    void ConnectedForAddAndUpdate();
    FolderOnServer CheckFolderOnServer(const QString &path);
    // The confirmation dialog of the message windows: 1 for "Да", 2 for "Нет".
    int MessageDialog(const QString &msg, QMessageBox::Icon kind, QMessageBox::StandardButtons buttons,
                      const QString &title);

    // Handlers.
    void FormShow();
    void bbNextStartClick();
    void bbPriorClick();
    void bbNextTypeClick(const QString &page);
    void bbApplyFinishClick();
    void rbDailyType1Click();
    void rbEveryType1Click();
    void rbWeekdaysType1Click();
    void cbEveryCbType1Click();
    void cbOnceType3Click();
    void FolderButtonClick(QLineEdit *field);

    // The database and folder fields of a kind's page.
    QLineEdit *DatabaseField(const QString &page) const;
    QLineEdit *FolderField(const QString &page) const;

    // The one open wizard, or null.
    static TfrmAdd *instance();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void CreatePages();
    QWidget *CreateStartPage();
    QWidget *CreateType1Page();
    QWidget *CreateType2Page();
    QWidget *CreateType3Page();
    QWidget *CreateType4Page();
    QWidget *CreateFinishPage();
    QLineEdit *CreateButtonEdit(QWidget *page, const QString &name, bool database);
    void RetranslateUi();
    QTimeEdit *TimeField(const QString &page) const;
    bool ModeIsEdit() const;
    bool ApplySteps(); // false when a step failed and the row was put back
    // An edited task's own server and logon, kept across Apply.
    QString m_keptServer;
    QString m_keptStrConnect;
};

// The program-wide wizard reference; null while no wizard is open.
extern QPointer<TfrmAdd> frmAdd;

#pragma once

#include <QDialog>
#include <QSpinBox>

class QLabel;
class QPushButton;
class TfrmSetting;

// A spin box for whole minutes that takes digits only and brings a typed
// value into its range when the text is interpreted (2000 becomes the
// maximum, an empty text 0).
class TMinutesSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
};

// The check-interval dialog: how often the tasks are checked, in minutes.
class TfrmSaveTimer : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSaveTimer(TfrmSetting *owner);
    ~TfrmSaveTimer() override;

    QLabel *Label1 = nullptr;
    TMinutesSpinBox *seTimer = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *BitBtn1 = nullptr;

    void FormShow();
    void btnSaveClick();
    void BitBtn1Click();
    void LoadForClose();
    void SaveForClose();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();
    TfrmSetting *m_owner;
};

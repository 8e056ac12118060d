#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;

// The About window: the product's name over a short description of what the
// program does. Not modal; at most one is open, and it frees itself when it
// closes, so the next opening builds a new one.
class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    ~TfrmAbout() override;

    // What the tray menu's "О программе" does: creates the window when none
    // is open, shows it and brings it to the front.
    static TfrmAbout *Open(QWidget *parent = nullptr);
    static TfrmAbout *instance(); // the open window, or null

    QLabel *pnlTop = nullptr;
    QPlainTextEdit *sMemo1 = nullptr;
    QFrame *pnlBottom = nullptr;
    QPushButton *bbCloseType1 = nullptr;

    void bbCloseType1Click();
    QStringList MemoLines() const; // the description as the memo holds it

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();
    void fitToContent();
};

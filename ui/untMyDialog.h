#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTextEdit;
class QPushButton;

// The one way every window talks to the user: the message window and the
// yes/no question.

// Shows text in the message window titled title; returns when it is closed.
void ShowMessageWindow(const QString &text, const QString &title);

// Asks msg with "Да"/"Нет" (strsYes/strsNo of the active language); returns
// 1 for Yes, 2 for No (also Escape). kind is the icon, buttons is OK|Cancel.
int MessageDialog(const QString &msg, QMessageBox::Icon kind, QMessageBox::StandardButtons buttons,
                  const QString &title);

// Shows a value in the message window without waiting; a second display
// reuses the open window (the task grid and the journal viewer use it).
void ShowValueWindow(const QString &text, const QString &title);

// The standard message box with the application's title and an OK button.
void ShowPlainMessage(const QString &text);

// Test seam: while a script is set, no window is shown; each message is
// recorded and each question takes the next scripted answer (2 when none).
namespace MessageSeam {
struct Shown {
    QString kind; // "message", "question", "value", "plain"
    QString text;
    QString title;
};
void script(QList<int> answers = {});
void stopScript();
bool scripted();
QList<Shown> shown();
void clearShown();
} // namespace MessageSeam

class TfrmMyDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmMyDialog(QWidget *parent = nullptr);
    ~TfrmMyDialog() override;

    void setMessage(const QString &text, const QString &title);
    QString text() const;

    static TfrmMyDialog *instance(); // the open window, or null

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void savePlacement();
    QTextEdit *reMyDialog = nullptr;
    QPushButton *bbRestore = nullptr;
};

#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class TADOConnection;
class TADOQuery;

// What the restore window uses of the main window: its connection, its
// connect/disconnect toggle, the text of its server box and the program
// folder that holds the journal.
struct TRestoreHost {
    TADOConnection *connection = nullptr;
    std::function<void()> toggleConnection;
    std::function<QString()> serverText;
    std::function<QString()> programDir;

    static TRestoreHost MainWindow(); // the program's main window, when there is one
};

// Creates a new database on the connected server from a backup file: checks
// the name and the file, asks the server for its data folder and for the
// backup's logical files, restores with both files moved into that folder,
// tells the user and writes a journal line.
class TfrmRestore : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRestore(QWidget *parent = nullptr); // works with the main window
    explicit TfrmRestore(TRestoreHost host, QWidget *parent = nullptr);
    ~TfrmRestore() override;

    // The restore command: creates the window when none is open and shows it
    // modally; the window frees itself when it closes.
    static void Execute(QWidget *parent = nullptr);
    static TfrmRestore *instance(); // the open window, or null

    QLabel *Label1 = nullptr;
    QLineEdit *edNewName = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *deFolderType = nullptr;
    QAction *deFolderTypeButton = nullptr; // the field's picker button
    QPushButton *bbRestore = nullptr;
    QPushButton *bbNone = nullptr;
    std::unique_ptr<TADOQuery> qryRestore;

    void bbRestoreClick();
    void bbNoneClick();
    void deFolderTypeButtonClick();

    // Message texts in the active language.
    QString strrsNoFile;
    QString strrsLink;
    QString strrsW;
    QString strrsNoSymb;
    QString strrsDbExists;
    QString strrsDbRest;
    QString strrsMes;
    QString strrsP;
    void UpdateStrings();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void retranslateUi();
    void appendJournal(const QString &result, const QString &database);

    TRestoreHost m_host;
};

extern QPointer<TfrmRestore> frmRestore;

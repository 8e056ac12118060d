#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

class QPushButton;
class QTableWidget;
class TADOQuery;

// The database picker: the databases of the server the wizard works with,
// read afresh at every show; Apply puts the chosen name into the database
// field of the wizard's active page.
class TfrmDB : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmDB(QWidget *parent = nullptr);
    ~TfrmDB() override;

    QTableWidget *DBGrid = nullptr;
    QPushButton *btnApple = nullptr;
    QPushButton *btnClose = nullptr;
    // Its connection is set by the caller before the picker is shown.
    std::unique_ptr<TADOQuery> qryDB;

    // Reads the list from the server again.
    void ReopenList();
    QString CurrentName() const;

    void btnAppleClick();
    void btnCloseClick();
    void DBGridDblClick();

    // The one open picker, or null.
    static TfrmDB *instance();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void RetranslateUi();
};

extern QPointer<TfrmDB> frmDB;

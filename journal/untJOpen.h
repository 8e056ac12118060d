#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class JournalModel;
class QModelIndex;
class QPushButton;
class QTableView;

// The backup journal viewer: Backup.log newest first, any value in full on a
// double-click, and clearing the journal after a question.
class TfrmJOpen : public QWidget
{
    Q_OBJECT
public:
    // Opens the viewer on programDir's journal without waiting for it to close;
    // when it is open already it is only brought forward (not read again).
    static TfrmJOpen *showJournal(const QString &programDir, QWidget *parent = nullptr);
    static TfrmJOpen *instance(); // the open viewer, or null

    explicit TfrmJOpen(const QString &programDir, QWidget *parent = nullptr);
    ~TfrmJOpen() override;

    QString journalPath() const;
    JournalModel *rxMem() const { return m_rxMem; }
    QString lastClickedField() const { return LastClickedField; }

    void UpdateStrings();
    void RxDBGrid1CellClick(const QModelIndex &index);
    void RxDBGrid1DblClick();
    void bbClearClick();
    void BitBtn1Click();

    QTableView *DBGridRes = nullptr;
    QWidget *pnlBottom = nullptr;
    QPushButton *bbClear = nullptr;
    QPushButton *BitBtn1 = nullptr;

    // Message texts in the active language.
    QString strRsDelJourn;
    QString strRsA;
    QString strrsDp;
    QString strrsP;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void journalRead(bool ok);
    void FormClose();
    void retranslateUi();

    QString m_programDir;
    JournalModel *m_rxMem = nullptr;
    QString LastClickedField;
    bool m_readStarted = false; // the journal is read at the first showing only
};

#pragma once

#include <QDialog>
#include <QPointer>

class QFileSystemModel;
class QPushButton;
class QTreeView;

// The folder picker: a tree of this machine's file system. From the wizard it
// hands back a backup folder that the server can see (or, when the server
// cannot be asked, that this machine can write); from the restore window it
// hands back a file, unchecked.
class TfrmOpenFolder : public QDialog
{
    Q_OBJECT
public:
    // What the tree lists. Automatic: folders only while the wizard shows,
    // files too at any other time.
    enum class Listing { Automatic, FoldersOnly, FoldersAndFiles };

    explicit TfrmOpenFolder(QWidget *parent = nullptr);
    ~TfrmOpenFolder() override;

    QTreeView *ShellTreeView = nullptr;
    QFileSystemModel *ShellModel = nullptr;
    QPushButton *bbOpen = nullptr;
    QPushButton *bbClose = nullptr;

    QString strrsFolderNoFound;
    QString strrsNoWrite;
    void UpdateStrings();

    void SetListing(Listing listing);
    bool ListsFiles() const;

    // Selects path in the tree when it exists here; false otherwise.
    bool SelectPath(const QString &path);
    // The full path of the selected item with this system's separators.
    QString SelectedPath() const;

    void bbOpenClick();
    void bbCloseClick();

    // The one open picker, or null.
    static TfrmOpenFolder *instance();

    void done(int result) override;

signals:
    // The chosen path when no wizard is showing (the restore window's file).
    void PathChosen(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ApplyListing();
    void RetranslateUi();
    Listing m_listing = Listing::Automatic;
};

extern QPointer<TfrmOpenFolder> frmOpenFolder;

#include "untMyDialog.h"

#include "MainKey.h"
#include "Strings.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QPointer<TfrmMyDialog> s_instance;

struct SeamState {
    bool scripted = false;
    QList<int> answers;
    QList<MessageSeam::Shown> shown;
};

SeamState &seam()
{
    static SeamState state;
    return state;
}

bool recordIfScripted(const QString &kind, const QString &text, const QString &title)
{
    if (!seam().scripted)
        return false;
    seam().shown.append({kind, text, title});
    return true;
}

QString titleOrApplication(const QString &title)
{
    // Only an empty title falls back; a single blank stays a blank caption.
    if (!title.isEmpty())
        return title;
    const QString app = QGuiApplication::applicationDisplayName();
    return app.isEmpty() ? ApplicationTitle : app;
}

// The modal result numbers callers compare against (1 = OK, 2 = Cancel ...).
int ModalResultOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return 1;
    case QMessageBox::Cancel:
        return 2;
    case QMessageBox::Abort:
        return 3;
    case QMessageBox::Retry:
        return 4;
    case QMessageBox::Ignore:
        return 5;
    case QMessageBox::Yes:
        return 6;
    case QMessageBox::No:
        return 7;
    default:
        return 2;
    }
}

} // namespace

namespace MessageSeam {
void script(QList<int> answers)
{
    seam().scripted = true;
    seam().answers = std::move(answers);
}
void stopScript()
{
    seam().scripted = false;
    seam().answers.clear();
}
bool scripted()
{
    return seam().scripted;
}
QList<Shown> shown()
{
    return seam().shown;
}
void clearShown()
{
    seam().shown.clear();
}
} // namespace MessageSeam

TfrmMyDialog::TfrmMyDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmMyDialog"));
    setSizeGripEnabled(true);
    setMinimumSize(200, 100);
    resize(418, 123);

    reMyDialog = new QTextEdit(this);
    reMyDialog->setObjectName(QStringLiteral("reMyDialog"));
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    reMyDialog->setFont(font);
    reMyDialog->setLineWrapMode(QTextEdit::WidgetWidth);
    reMyDialog->setAcceptRichText(false);

    auto *pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(41);
    bbRestore = new QPushButton(QStringLiteral("Ok"), pnlBottom);
    bbRestore->setObjectName(QStringLiteral("bbRestore"));
    bbRestore->setFixedSize(78, 25);
    bbRestore->setDefault(true);
    auto *bar = new QHBoxLayout(pnlBottom);
    bar->setContentsMargins(8, 8, 8, 8);
    bar->addStretch(1);
    bar->addWidget(bbRestore);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(reMyDialog, 1);
    layout->addWidget(pnlBottom);

    connect(bbRestore, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmMyDialog::~TfrmMyDialog() = default;

void TfrmMyDialog::setMessage(const QString &text, const QString &title)
{
    QPalette palette = reMyDialog->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    palette.setColor(QPalette::Text, Qt::black);
    reMyDialog->setPalette(palette);
    reMyDialog->setPlainText(text);
    reMyDialog->setReadOnly(true);
    setWindowTitle(title);
}

QString TfrmMyDialog::text() const
{
    return reMyDialog->toPlainText();
}

TfrmMyDialog *TfrmMyDialog::instance()
{
    return s_instance.data();
}

void TfrmMyDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        if (!RestorePlacement(this, objectName(), true))
            CentreOnScreen(this);
        bbRestore->setFocus();
    }
    QDialog::showEvent(event);
}

void TfrmMyDialog::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
}

void TfrmMyDialog::done(int result)
{
    // Every way out (Ok, Escape, the close box) passes here.
    if (isVisible())
        savePlacement();
    if (s_instance == this)
        s_instance.clear(); // closing frees it; the next display builds a new one
    QDialog::done(result);
}

void TfrmMyDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
}

void TfrmMyDialog::savePlacement()
{
    SavePlacement(this, objectName(), true);
}

void ShowMessageWindow(const QString &text, const QString &title)
{
    if (recordIfScripted(QStringLiteral("message"), text, title))
        return;
    // A value window that does not wait may be open; a message that waits
    // gets a window of its own rather than taking that one over.
    const bool reuse = s_instance.isNull();
    auto *window = new TfrmMyDialog;
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (reuse)
        s_instance = window;
    window->setMessage(text, title);
    window->exec(); // frees the window
}

void ShowValueWindow(const QString &text, const QString &title)
{
    if (recordIfScripted(QStringLiteral("value"), text, title))
        return;
    TfrmMyDialog *window = s_instance.data();
    if (!window) {
        window = new TfrmMyDialog;
        window->setAttribute(Qt::WA_DeleteOnClose);
        s_instance = window;
    }
    window->setMessage(text, title);
    window->show();
    window->raise();
    window->activateWindow();
}

int MessageDialog(const QString &msg, QMessageBox::Icon kind, QMessageBox::StandardButtons buttons,
                  const QString &title)
{
    if (seam().scripted) {
        seam().shown.append({QStringLiteral("question"), msg, title});
        return seam().answers.isEmpty() ? 2 : seam().answers.takeFirst();
    }
    const TMainStrings texts = TMainStrings::current();
    QMessageBox box(kind, titleOrApplication(title), msg, buttons);
    // No system menu and no close box: the answer comes from a button or Escape.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    box.setFont(QFont(QStringLiteral("Verdana")));
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setText(texts.strsYes);
    if (QAbstractButton *cancel = box.button(QMessageBox::Cancel)) {
        cancel->setText(texts.strsNo);
        box.setEscapeButton(cancel);
    }
    box.raise();
    box.activateWindow();
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    const auto which = clicked ? box.standardButton(clicked) : QMessageBox::Cancel;
    return ModalResultOf(which == QMessageBox::NoButton ? QMessageBox::Cancel : which);
}

void ShowPlainMessage(const QString &text)
{
    if (recordIfScripted(QStringLiteral("plain"), text, titleOrApplication({})))
        return;
    QMessageBox box(QMessageBox::Warning, titleOrApplication({}), text, QMessageBox::Ok);
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    box.exec();
}

#include "TestSupport.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

class TestMyDialog : public QObject
{
    Q_OBJECT

private:
    // Runs action on the next modal window that opens, once it is up.
    template<typename Action>
    void onModal(Action action)
    {
        QTimer::singleShot(0, this, [this, action] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal) {
                onModal(action);
                return;
            }
            action(modal);
        });
    }

private slots:
    void init()
    {
        MessageSeam::stopScript();
        MessageSeam::clearShown();
        OpenMainKey(QStringLiteral("frmMyDialog"))->remove(QString());
    }

    void seamRecordsAndAnswers()
    {
        MessageSeam::script({1});
        ShowMessageWindow(QStringLiteral("text"), QStringLiteral("title"));
        QCOMPARE(MessageDialog(QStringLiteral("q1"), QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
                               QStringLiteral(" ")),
                 1);
        // Without a scripted answer a question is refused.
        QCOMPARE(MessageDialog(QStringLiteral("q2"), QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, {}),
                 2);
        ShowValueWindow(QStringLiteral("v"), QStringLiteral("vt"));
        ShowPlainMessage(QStringLiteral("p"));
        const auto shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0].kind, QStringLiteral("message"));
        QCOMPARE(shown[1].kind, QStringLiteral("question"));
        QCOMPARE(shown[1].title, QStringLiteral(" "));
        QCOMPARE(shown[3].kind, QStringLiteral("value"));
        QCOMPARE(shown[4].kind, QStringLiteral("plain"));
        QVERIFY(!TfrmMyDialog::instance());
    }

    void questionButtonsAndAnswers_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("pressYes");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << QStringLiteral("Вопрос") << true << QStringLiteral("Вопрос") << 1;
        QTest::newRow("escape") << QStringLiteral("Вопрос") << false << QStringLiteral("Вопрос") << 2;
        QTest::newRow("blank title stays blank") << QStringLiteral(" ") << true << QStringLiteral(" ") << 1;
        QTest::newRow("empty title is the application's") << QString() << false << QStringLiteral("Orvell Backup")
                                                           << 2;
    }

    void questionButtonsAndAnswers()
    {
        QFETCH(QString, title);
        QFETCH(bool, pressYes);
        QFETCH(QString, caption);
        QFETCH(int, answer);
        QStringList buttonTexts;
        QString seenCaption;
        bool stayOnTop = false;
        onModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            seenCaption = box->windowTitle();
            stayOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            for (QAbstractButton *b : box->buttons())
                buttonTexts << b->text();
            if (pressYes)
                box->button(QMessageBox::Ok)->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(MessageDialog(QStringLiteral("Удалить задачу?"), QMessageBox::Question,
                               QMessageBox::Ok | QMessageBox::Cancel, title),
                 answer);
        buttonTexts.sort();
        QCOMPARE(buttonTexts, QStringList({QStringLiteral("Да"), QStringLiteral("Нет")}));
        QCOMPARE(seenCaption, caption);
        QVERIFY(stayOnTop);
    }

    void messageWindowKeepsItsSize()
    {
        const QString longText = QString(QStringLiteral("word ")).repeated(400);
        QSize firstSize;
        bool readOnly = false;
        onModal([&](QWidget *modal) {
            auto *window = qobject_cast<TfrmMyDialog *>(modal);
            QVERIFY(window);
            QCOMPARE(window->windowTitle(), QStringLiteral("Предупреждение"));
            QCOMPARE(window->text(), longText);
            auto *edit = window->findChild<QTextEdit *>(QStringLiteral("reMyDialog"));
            readOnly = edit->isReadOnly();
            // The text wraps to the box instead of running off to the right.
            QCOMPARE(edit->lineWrapMode(), QTextEdit::WidgetWidth);
            firstSize = window->size();
            window->resize(600, 300);
            window->findChild<QPushButton *>(QStringLiteral("bbRestore"))->click();
        });
        ShowMessageWindow(longText, QStringLiteral("Предупреждение"));
        QVERIFY(readOnly);
        QCOMPARE(firstSize, QSize(418, 123));
        QVERIFY(!TfrmMyDialog::instance()); // freed on close
        const auto key = OpenMainKey(QStringLiteral("frmMyDialog"));
        QCOMPARE(key->value(QStringLiteral("Width")).toString(), QStringLiteral("600"));
        QCOMPARE(key->value(QStringLiteral("Height")).toString(), QStringLiteral("300"));

        QSize secondSize;
        onModal([&](QWidget *modal) {
            secondSize = modal->size();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        ShowMessageWindow(QStringLiteral("again"), QStringLiteral("t"));
        QCOMPARE(secondSize, QSize(600, 300));
    }

    void placementNeedsNumericTop()
    {
        {
            const auto key = OpenMainKey(QStringLiteral("frmMyDialog"));
            key->setValue(QStringLiteral("Width"), QStringLiteral("500"));
            key->setValue(QStringLiteral("Height"), QStringLiteral("250"));
            key->setValue(QStringLiteral("Left"), QStringLiteral("10"));
            key->setValue(QStringLiteral("Top"), QStringLiteral("x1"));
        }
        QSize size;
        onModal([&](QWidget *modal) {
            size = modal->size();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        ShowMessageWindow(QStringLiteral("t"), QStringLiteral("t"));
        QCOMPARE(size, QSize(418, 123));
    }

    void valueWindowIsReusedAndDoesNotWait()
    {
        ShowValueWindow(QStringLiteral("first"), QStringLiteral("Результат"));
        TfrmMyDialog *window = TfrmMyDialog::instance();
        QVERIFY(window && window->isVisible());
        ShowValueWindow(QStringLiteral("second"), QStringLiteral("Подробности"));
        QCOMPARE(TfrmMyDialog::instance(), window);
        QCOMPARE(window->text(), QStringLiteral("second"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Подробности"));

        // A waiting message while it is open comes in a window of its own.
        QWidget *other = nullptr;
        onModal([&](QWidget *modal) {
            other = modal;
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        ShowMessageWindow(QStringLiteral("modal"), QStringLiteral("t"));
        QVERIFY(other && other != window);
        QCOMPARE(TfrmMyDialog::instance(), window);
        QCOMPARE(window->text(), QStringLiteral("second"));
        window->close();
        QTRY_VERIFY(!TfrmMyDialog::instance());
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvell Backup"));
    TestMyDialog test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_mydialog.moc"

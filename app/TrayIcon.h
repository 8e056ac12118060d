#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <optional>

class QMenu;

// The tray icon behind a small façade: there is no tray under the offscreen
// platform (nor on a desktop without a tray host), so the program asks
// Available() and tests drive the menu and activated() directly.
class TTrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TTrayIcon(QObject *parent = nullptr);
    ~TTrayIcon() override;

    static bool Available();
    static void SetAvailableForTests(std::optional<bool> available);

    void SetIcon(const QIcon &icon);
    void SetHint(const QString &hint);
    void SetMenu(QMenu *menu);
    QMenu *Menu() const { return m_menu; }
    void Show();
    void Hide();

    // A balloon message; shown in the message window when there is no tray.
    void ShowMessage(const QString &title, const QString &text);
    QString LastMessageTitle() const { return m_lastTitle; }
    QString LastMessageText() const { return m_lastText; }

signals:
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QString m_lastTitle;
    QString m_lastText;
};

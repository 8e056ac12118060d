#include "TrayIcon.h"

#include "ui/untMyDialog.h"

#include <QMenu>

namespace {
std::optional<bool> s_availableOverride;
}

TTrayIcon::TTrayIcon(QObject *parent)
    : QObject(parent)
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, &TTrayIcon::activated);
    }
}

TTrayIcon::~TTrayIcon() = default;

bool TTrayIcon::Available()
{
    if (s_availableOverride)
        return *s_availableOverride;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::SetAvailableForTests(std::optional<bool> available)
{
    s_availableOverride = available;
}

void TTrayIcon::SetIcon(const QIcon &icon)
{
    if (m_icon)
        m_icon->setIcon(icon);
}

void TTrayIcon::SetHint(const QString &hint)
{
    if (m_icon)
        m_icon->setToolTip(hint);
}

void TTrayIcon::SetMenu(QMenu *menu)
{
    m_menu = menu;
    if (m_icon)
        m_icon->setContextMenu(menu);
}

void TTrayIcon::Show()
{
    if (m_icon)
        m_icon->show();
}

void TTrayIcon::Hide()
{
    if (m_icon)
        m_icon->hide();
}

void TTrayIcon::ShowMessage(const QString &title, const QString &text)
{
    m_lastTitle = title;
    m_lastText = text;
    if (m_icon && m_icon->isVisible() && QSystemTrayIcon::supportsMessages())
        m_icon->showMessage(title, text, QSystemTrayIcon::Warning);
    else
        ShowValueWindow(text, title); // never lose a failure for want of a tray
}

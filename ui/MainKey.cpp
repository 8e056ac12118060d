#include "MainKey.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

std::unique_ptr<QSettings> OpenMainKey(const QString &subKey)
{
#ifdef Q_OS_WIN
    auto key = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvell Backup for MS SQL Server"), QSettings::NativeFormat);
#else
    auto key = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Software"),
                                           QStringLiteral("Orvell Backup for MS SQL Server"));
#endif
    if (!subKey.isEmpty())
        key->beginGroup(subKey);
    return key;
}

bool ReadWholeNumber(const QSettings &key, const QString &name, int *value)
{
    const QVariant v = key.value(name);
    if (!v.isValid())
        return false;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    if (ok && value)
        *value = n;
    return ok;
}

bool RestorePlacement(QWidget *window, const QString &formName, bool withSize)
{
    const auto key = OpenMainKey(formName);
    int top = 0, left = 0;
    if (!ReadWholeNumber(*key, QStringLiteral("Top"), &top) || !ReadWholeNumber(*key, QStringLiteral("Left"), &left))
        return false;
    int n = 0;
    if (withSize) {
        QSize size = window->size();
        if (ReadWholeNumber(*key, QStringLiteral("Width"), &n))
            size.setWidth(n);
        if (ReadWholeNumber(*key, QStringLiteral("Height"), &n))
            size.setHeight(n);
        window->resize(size);
    }
    window->move(left, top);
    return true;
}

void SavePlacement(const QWidget *window, const QString &formName, bool withSize)
{
    const auto key = OpenMainKey(formName);
    if (withSize) {
        key->setValue(QStringLiteral("Width"), QString::number(window->width()));
        key->setValue(QStringLiteral("Height"), QString::number(window->height()));
    }
    key->setValue(QStringLiteral("Left"), QString::number(window->x()));
    key->setValue(QStringLiteral("Top"), QString::number(window->y()));
}

void CentreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

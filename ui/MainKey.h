#pragma once

#include <QSettings>
#include <QString>
#include <memory>

class QWidget;

// The program's settings key: HKEY_CURRENT_USER\Software\Orvell Backup for MS
// SQL Server on Windows, the native settings file of organization "Software"
// and application "Orvell Backup for MS SQL Server" elsewhere. subKey opens a
// group below it ("t1", "frmSaveTimer", ...).
std::unique_ptr<QSettings> OpenMainKey(const QString &subKey = {});

// A stored value as a whole number; nullopt-like false when it is not one.
bool ReadWholeNumber(const QSettings &key, const QString &name, int *value);

// Window placement under MainKey\formName as decimal strings "Left" and "Top"
// (with size also "Width" and "Height"). Restoring applies the values only
// when "Top" and "Left" both hold whole numbers; returns whether it did.
bool RestorePlacement(QWidget *window, const QString &formName, bool withSize);
void SavePlacement(const QWidget *window, const QString &formName, bool withSize);

// Centres a top-level window on the screen it is on (or the primary one).
void CentreOnScreen(QWidget *window);

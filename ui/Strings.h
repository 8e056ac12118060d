#pragma once

#include <QString>

// The program's title, used for the application object and for message boxes
// that have no title of their own.
inline const QString ApplicationTitle = QStringLiteral("Orvell Backup");

// The main window's message texts, one per message id, in the active language.
// Russian is the source language, so a text without a translation reads in
// Russian. The main window keeps a copy (its UpdateStrings); the shared
// message windows read strsYes and strsNo from here.
struct TMainStrings {
    QString strrsConnect;
    QString strrsNoConnect;
    QString strrsConnectYes;
    QString strrsConnectNo;
    QString strrsSer;
    QString strrsServerEnd;
    QString strrsStart;
    QString strrsTimerBegin;
    QString strrsTimerEnd;
    QString strrsMin;
    QString strrsListServer;
    QString strrsHide;
    QString strrsOpen;
    QString strrsStateCheck;
    QString strrsP;
    QString strrsRes;
    QString strrsSucc;
    QString strrsInsTask;
    QString strsYes;
    QString strsNo;
    QString strsDelC;
    QString strsDelCont;

    static TMainStrings current();
};

// Other texts of the main window that code composes.
QString OneInstanceMessage(); // the single-instance guard's warning
QString TrayInfoTitle();      // title of the tray's balloon messages

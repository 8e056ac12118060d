#pragma once

#include <QLocale>
#include <QString>

class QAction;

// The interface languages, numbered as the switch has always numbered them.
// Russian is the language every window is written in; English comes from the
// translation embedded in the program, and a text it leaves empty reads in
// Russian.
enum class TLang { Rus = 1, Eng = 2 };

// The language a start chooses: Russian on a Russian system, English on any
// other. It is never stored; every start chooses again.
TLang StartingLanguage(const QLocale &system = QLocale::system());

// The active language; Russian until SetLanguage is called.
TLang ActiveLanguage();

// Makes lang the active language by installing or removing the English
// translator. When it returns, every open window has retranslated its
// captions and refreshed its message texts (the QEvent::LanguageChange Qt
// posts is delivered here, not later), and windows created from now on come
// up in lang.
void SetLanguage(TLang lang);

// The language item of the tray menu always offers the other language:
// "Переключить на английский" with the English flag while Russian is active,
// "Switch to Russian" with the Russian flag while English is.
QString LangMenuCaption(TLang active);
QString LangMenuIconPath(TLang active);
void ApplyLangMenuItem(QAction *mmLang, TLang active);

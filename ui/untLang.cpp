#include "untLang.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QPointer>
#include <QTranslator>

namespace {

TLang s_active = TLang::Rus;
QPointer<QTranslator> s_english;

// The English translation, built from translations/orvell_en.ts and
// embedded in the program, so an uninstalled build finds it too. It lives as
// long as the application object.
QTranslator *englishTranslator()
{
    if (!s_english) {
        s_english = new QTranslator(QCoreApplication::instance());
        if (!s_english->load(QStringLiteral(":/i18n/orvell_en.qm")))
            qWarning("The English translation is missing from the program; texts stay in Russian.");
    }
    return s_english;
}

} // namespace

TLang StartingLanguage(const QLocale &system)
{
    return system.language() == QLocale::Russian ? TLang::Rus : TLang::Eng;
}

TLang ActiveLanguage()
{
    return s_active;
}

void SetLanguage(TLang lang)
{
    s_active = lang;
    QTranslator *english = englishTranslator();
    // Qt keeps a list, not a set: installing twice would need two removals.
    QCoreApplication::removeTranslator(english);
    if (lang == TLang::Eng)
        QCoreApplication::installTranslator(english);
    // Qt posts the language change to every window. Deliver it at once, so
    // that all captions and message texts are in the new language before the
    // caller writes texts of its own (the main window's status bar, column
    // titles restored after the language was chosen).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

QString LangMenuCaption(TLang active)
{
    return active == TLang::Rus ? QStringLiteral("Переключить на английский") : QStringLiteral("Switch to Russian");
}

QString LangMenuIconPath(TLang active)
{
    return active == TLang::Rus ? QStringLiteral(":/icons/lang-en.png") : QStringLiteral(":/icons/lang-ru.png");
}

void ApplyLangMenuItem(QAction *mmLang, TLang active)
{
    mmLang->setText(LangMenuCaption(active));
    mmLang->setIcon(QIcon(LangMenuIconPath(active)));
}

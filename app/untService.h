#pragma once

#include <QObject>
#include <QPointer>

class QTranslator;

// The program-wide data module, created before the main window. It holds the
// translator of the active language (installed by the language switch); the
// look-and-feel layer of the design has nothing to act on here.
class TDMService : public QObject
{
    Q_OBJECT
public:
    explicit TDMService(QObject *parent = nullptr);
    ~TDMService() override;

    QPointer<QTranslator> siLang1;
};

extern TDMService *DMService;

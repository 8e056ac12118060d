#include "untService.h"

#include <QTranslator>

TDMService *DMService = nullptr;

TDMService::TDMService(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("DMService"));
    DMService = this;
}

TDMService::~TDMService()
{
    if (DMService == this)
        DMService = nullptr;
}

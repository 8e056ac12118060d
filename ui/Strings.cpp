#include "Strings.h"

#include <QCoreApplication>

// The context is the main window's class, so these ids sit beside its other
// texts in the translation files.
#define MAIN_TEXT(text) QCoreApplication::translate("TfrmSetting", text)

TMainStrings TMainStrings::current()
{
    TMainStrings s;
    s.strrsConnect = MAIN_TEXT("Подключиться");
    s.strrsNoConnect = MAIN_TEXT("Отключиться");
    s.strrsConnectYes = MAIN_TEXT("Соединение: Да");
    s.strrsConnectNo = MAIN_TEXT("Соединение: Нет");
    s.strrsSer = MAIN_TEXT("Текущий сервер");
    s.strrsServerEnd = s.strrsSer;
    s.strrsStart = MAIN_TEXT("Старт");
    s.strrsTimerBegin = MAIN_TEXT("Таймер: каждые");
    s.strrsTimerEnd = MAIN_TEXT("мин");
    s.strrsMin = s.strrsTimerEnd;
    s.strrsListServer = MAIN_TEXT("Загрузка списка серверов");
    s.strrsHide = MAIN_TEXT("Скрыть");
    s.strrsOpen = MAIN_TEXT("Открыть");
    s.strrsStateCheck = MAIN_TEXT("Идет проверка. Подождите, пока она не закончится.");
    s.strrsP = MAIN_TEXT("Предупреждение");
    s.strrsRes = MAIN_TEXT("Результат");
    s.strrsSucc = MAIN_TEXT("Успешно выполнено");
    s.strrsInsTask = MAIN_TEXT("Внесена задача");
    s.strsYes = MAIN_TEXT("Да");
    s.strsNo = MAIN_TEXT("Нет");
    s.strsDelC = MAIN_TEXT("Удалить задачу?");
    // One blank in both languages: the deletion question has a blank caption.
    s.strsDelCont = MAIN_TEXT(" ");
    return s;
}

QString OneInstanceMessage()
{
    return MAIN_TEXT("Одна версия программы уже запущена");
}

QString TrayInfoTitle()
{
    return MAIN_TEXT("Архивирование баз");
}

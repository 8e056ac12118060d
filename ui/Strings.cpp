#include "Strings.h"

#include <QCoreApplication>

// The context is the main window's class, so these ids sit beside its other
// texts in the translation files; the id tells texts apart that read alike
// in Russian but not in English ("Подключиться").
TMainStrings TMainStrings::current()
{
    TMainStrings s;
    s.strrsConnect = QCoreApplication::translate("TfrmSetting", "Подключиться", "strrsConnect");
    s.strrsNoConnect = QCoreApplication::translate("TfrmSetting", "Отключиться", "strrsNoConnect");
    s.strrsConnectYes = QCoreApplication::translate("TfrmSetting", "Соединение: Да", "strrsConnectYes");
    s.strrsConnectNo = QCoreApplication::translate("TfrmSetting", "Соединение: Нет", "strrsConnectNo");
    s.strrsSer = QCoreApplication::translate("TfrmSetting", "Текущий сервер", "strrsSer");
    s.strrsServerEnd = s.strrsSer;
    s.strrsStart = QCoreApplication::translate("TfrmSetting", "Старт", "strrsStart");
    s.strrsTimerBegin = QCoreApplication::translate("TfrmSetting", "Таймер: каждые", "strrsTimerBegin");
    s.strrsTimerEnd = QCoreApplication::translate("TfrmSetting", "мин", "strrsTimerEnd");
    s.strrsMin = s.strrsTimerEnd;
    s.strrsListServer = QCoreApplication::translate("TfrmSetting", "Загрузка списка серверов", "strrsListServer");
    s.strrsHide = QCoreApplication::translate("TfrmSetting", "Скрыть", "strrsHide");
    s.strrsOpen = QCoreApplication::translate("TfrmSetting", "Открыть", "strrsOpen");
    s.strrsStateCheck = QCoreApplication::translate("TfrmSetting", "Идет проверка. Подождите, пока она не закончится.",
                                                    "strrsStateCheck");
    s.strrsP = QCoreApplication::translate("TfrmSetting", "Предупреждение", "strrsP");
    s.strrsRes = QCoreApplication::translate("TfrmSetting", "Результат", "strrsRes");
    s.strrsSucc = QCoreApplication::translate("TfrmSetting", "Успешно выполнено", "strrsSucc");
    s.strrsInsTask = QCoreApplication::translate("TfrmSetting", "Внесена задача", "strrsInsTask");
    s.strsYes = QCoreApplication::translate("TfrmSetting", "Да", "strsYes");
    s.strsNo = QCoreApplication::translate("TfrmSetting", "Нет", "strsNo");
    s.strsDelC = QCoreApplication::translate("TfrmSetting", "Удалить задачу?", "strsDelC");
    // One blank in both languages: the deletion question has a blank caption.
    s.strsDelCont = QCoreApplication::translate("TfrmSetting", " ", "strsDelCont");
    return s;
}

QString OneInstanceMessage()
{
    return QCoreApplication::translate("TfrmSetting", "Одна версия программы уже запущена", "abfOneInstance1");
}

QString TrayInfoTitle()
{
    return QCoreApplication::translate("TfrmSetting", "Архивирование баз", "TrayIcon.InfoTitle");
}

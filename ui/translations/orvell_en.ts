<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>TfrmAbout</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Ок</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>Утилита Orvell backup for MS SQL Server служит 
для автоматизации создания архивов баз данных 
работающих под управлением MS SQL Server. 
Поддерживаются сервера выпущенные компанией 
Microsoft с 2000 по 2008 годы. Программа 
одновременно работает со всеми SQL-серверами 
находящимися в локальной сети.</source>
        <translation>Orvell backup for MS SQL Server program is used
for automation creation of database archives which is
working under control of MS SQL Server, and for quick
restoration of databases from backup copy.
Windows servers of 2000 – 2008 years are supported 
by this program. The program simultaneously working 
with all SQL servers which is situated at the local
network.</translation>
    </message>
    <message>
        <source>Разработано участниками проекта Orvell Backup.</source>
        <translation>Made by the Orvell Backup project.</translation>
    </message>
</context>
<context>
    <name>TfrmAdd</name>
    <message>
        <source>Вы не указали базу данных</source>
        <comment>strrsNoDb</comment>
        <translation>You haven&apos;t specified a database</translation>
    </message>
    <message>
        <source>Вы не указали путь для файла архива</source>
        <comment>strrsNoArch</comment>
        <translation>You haven&apos;t specified a path</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <comment>strrsP</comment>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Вы уверены что желаете сохранить задание?</source>
        <comment>strrsAddTask</comment>
        <translation>Are you sure, you want to save the task?</translation>
    </message>
    <message>
        <source>Вопрос</source>
        <comment>strrsW</comment>
        <translation>Question</translation>
    </message>
    <message>
        <source>Установить связь с сервером</source>
        <comment>strrsLinkServ</comment>
        <translation>To establish connection with the server?</translation>
    </message>
    <message>
        <source>Отсутствует доступ к папке на запись.</source>
        <comment>strrsFolderNone</comment>
        <translation>There is no access to a folder on record</translation>
    </message>
    <message>
        <source>Ежедневно</source>
        <comment>strrsDaily</comment>
        <translation>On days</translation>
    </message>
    <message>
        <source>По выходным</source>
        <comment>strrsOnWeekdays</comment>
        <translation>On days off</translation>
    </message>
    <message>
        <source>По месяцам</source>
        <comment>strrsMontly</comment>
        <translation>On months</translation>
    </message>
    <message>
        <source>Каждый</source>
        <comment>strrsEvery</comment>
        <translation>Each</translation>
    </message>
    <message>
        <source>День</source>
        <comment>strrsDay</comment>
        <translation>Day</translation>
    </message>
    <message>
        <source>Только</source>
        <comment>strrsOnce</comment>
        <translation>Once</translation>
    </message>
    <message>
        <source>База данных</source>
        <comment>strrsDB</comment>
        <translation>Database</translation>
    </message>
    <message>
        <source>Дата</source>
        <comment>strrsDate</comment>
        <translation>Date</translation>
    </message>
    <message>
        <source>Час</source>
        <comment>strrsHour</comment>
        <translation>Hour</translation>
    </message>
    <message>
        <source>Мин</source>
        <comment>strrsMin</comment>
        <translation>Min</translation>
    </message>
    <message>
        <source>Путь</source>
        <comment>strrsPath</comment>
        <translation>Path</translation>
    </message>
    <message>
        <source>Выполнить задание после создания: да</source>
        <comment>strrsRunYes</comment>
        <translation>Accomplish the task after creation: yes</translation>
    </message>
    <message>
        <source>Выполнить задание после создания: нет</source>
        <comment>strrsRunNo</comment>
        <translation>Accomplish the task after creation: no</translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Сервер</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Однократно</source>
        <translation>Single</translation>
    </message>
    <message>
        <source>По дням</source>
        <translation>On days</translation>
    </message>
    <message>
        <source>По дням недели</source>
        <translation>On days of the week</translation>
    </message>
    <message>
        <source>По месяцам</source>
        <translation>On months</translation>
    </message>
    <message>
        <source>База данных</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>Ежедневно</source>
        <translation>Daily</translation>
    </message>
    <message>
        <source>Каждый, дн</source>
        <translation>Each, day</translation>
    </message>
    <message>
        <source>По выходным</source>
        <translation>On days off</translation>
    </message>
    <message>
        <source>Час, мин</source>
        <translation>Hour, min.</translation>
    </message>
    <message>
        <source>через каждые (ч)</source>
        <translation>Trough every one</translation>
    </message>
    <message>
        <source>час</source>
        <translation>Hour</translation>
    </message>
    <message>
        <source>Путь к папке</source>
        <translation>Folder path</translation>
    </message>
    <message>
        <source>Понедельник</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>Вторник</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>Среда</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>Четверг</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>Пятница</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>Суббота</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>Воскресенье</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>База</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>Каждую неделю</source>
        <translation>Every week</translation>
    </message>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Выполнить задание после создания</source>
        <translation>Accomplish the task after creation</translation>
    </message>
    <message>
        <source>Каждый день</source>
        <translation>Every day</translation>
    </message>
    <message>
        <source>Январь</source>
        <translation>January</translation>
    </message>
    <message>
        <source>Февраль</source>
        <translation>February</translation>
    </message>
    <message>
        <source>Март</source>
        <translation>March</translation>
    </message>
    <message>
        <source>Апрель</source>
        <translation>April</translation>
    </message>
    <message>
        <source>Май</source>
        <translation>May</translation>
    </message>
    <message>
        <source>Июнь</source>
        <translation>June</translation>
    </message>
    <message>
        <source>Июль</source>
        <translation>July</translation>
    </message>
    <message>
        <source>Август</source>
        <translation>August</translation>
    </message>
    <message>
        <source>Сентябрь</source>
        <translation>September</translation>
    </message>
    <message>
        <source>Октябрь</source>
        <translation>October</translation>
    </message>
    <message>
        <source>Ноябрь</source>
        <translation>November</translation>
    </message>
    <message>
        <source>Декабрь</source>
        <translation>December</translation>
    </message>
    <message>
        <source>Путь</source>
        <translation>Path</translation>
    </message>
</context>
<context>
    <name>TfrmDB</name>
    <message>
        <source>Выбор базы</source>
        <translation>Select the Database</translation>
    </message>
    <message>
        <source>Наименование базы</source>
        <translation>Database name</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TfrmJOpen</name>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Сервер</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>База</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>Путь</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Журнал архивов</source>
        <translation>Backup log</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Вы уверены что желаете очистить журнал?</source>
        <translation>Are you sure, you want to clear the log?</translation>
    </message>
    <message>
        <source>Вопрос?</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>Подробности</source>
        <translation>More</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>TfrmOpenFolder</name>
    <message>
        <source>Проводник</source>
        <translation>Explorer</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Данная папка отсутствует в файловой системе сервера БД.</source>
        <comment>strrsFolderNoFound</comment>
        <translation>There is no folder on server</translation>
    </message>
    <message>
        <source>Отсутствует доступ к папке на запись.</source>
        <comment>strrsNoWrite</comment>
        <translation>There is no access to a folder on record</translation>
    </message>
</context>
<context>
    <name>TfrmRestore</name>
    <message>
        <source>Восстановление базы данных</source>
        <translation>Database restore</translation>
    </message>
    <message>
        <source>Наименование базы данных</source>
        <translation>Database name</translation>
    </message>
    <message>
        <source>Путь к файлу архива  Orvell Backup</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Восстановить</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Файл не найден.</source>
        <comment>strrsNoFile</comment>
        <translation>File not found.</translation>
    </message>
    <message>
        <source>Установить связь с сервером?</source>
        <comment>strrsLink</comment>
        <translation>To establish connection with the server?</translation>
    </message>
    <message>
        <source>Вопрос</source>
        <comment>strrsW</comment>
        <translation>Question</translation>
    </message>
    <message>
        <source>Имя базы содержит недопустимые символы.</source>
        <comment>strrsNoSymb</comment>
        <translation>Database name contain illegal symbols.</translation>
    </message>
    <message>
        <source>База данных с таким наименованием уже существует.</source>
        <comment>strrsDbExists</comment>
        <translation>Database with that name already exists.</translation>
    </message>
    <message>
        <source>База успешно восстановлена.</source>
        <comment>strrsDbRest</comment>
        <translation>The database restore successfully.</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <comment>strrsMes</comment>
        <translation>Message</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <comment>strrsP</comment>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>TfrmSaveTimer</name>
    <message>
        <source>Частота проверок</source>
        <translation>Frequencies of verifications</translation>
    </message>
    <message>
        <source>Проверять каждые, мин</source>
        <translation>Check every, min.</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TfrmSetting</name>
    <message>
        <source>Сервер</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>База данных</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>Час</source>
        <translation>Hour</translation>
    </message>
    <message>
        <source>Мин</source>
        <translation>Min.</translation>
    </message>
    <message>
        <source>Путь</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Последний запуск</source>
        <translation>Last launching</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Orvell Backup for MS SQL Server</source>
        <translation>Orvell Backup for MS SQL Server</translation>
    </message>
    <message>
        <source>Сервер:</source>
        <translation>Server:</translation>
    </message>
    <message>
        <source>NT безопасность</source>
        <translation>NT safety</translation>
    </message>
    <message>
        <source>Имя и пароль на MS SQL server</source>
        <translation>Login and Password on MS SQL server</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>Пароль</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Подключиться</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Журнал архивов</source>
        <translation>Backup log</translation>
    </message>
    <message>
        <source>Добавить задание</source>
        <translation>Add task</translation>
    </message>
    <message>
        <source>Редактировать задание</source>
        <translation>Edit task</translation>
    </message>
    <message>
        <source>Удалить задание</source>
        <translation>Delete task</translation>
    </message>
    <message>
        <source>Идёт процесс проверки и активации заданий</source>
        <translation>There is a process of check and activation of tasks</translation>
    </message>
    <message>
        <source>Автозагрузка</source>
        <translation>Startup</translation>
    </message>
    <message>
        <source>Частота проверок</source>
        <translation>Frequencies of verifications</translation>
    </message>
    <message>
        <source>Восстановить</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Справка</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Папка программы недоступна для записи:</source>
        <translation>The program folder cannot be written:</translation>
    </message>
    <message>
        <source>%1: %2 (%3)</source>
        <translation>%1: %2 (%3)</translation>
    </message>
    <message>
        <source>Подключиться</source>
        <comment>strrsConnect</comment>
        <translation>To connect</translation>
    </message>
    <message>
        <source>Отключиться</source>
        <comment>strrsNoConnect</comment>
        <translation>To disconnect</translation>
    </message>
    <message>
        <source>Соединение: Да</source>
        <comment>strrsConnectYes</comment>
        <translation>Connection: Yes</translation>
    </message>
    <message>
        <source>Соединение: Нет</source>
        <comment>strrsConnectNo</comment>
        <translation>Connection: No</translation>
    </message>
    <message>
        <source>Текущий сервер</source>
        <comment>strrsSer</comment>
        <translation>Server</translation>
    </message>
    <message>
        <source>Старт</source>
        <comment>strrsStart</comment>
        <translation>Start</translation>
    </message>
    <message>
        <source>Таймер: каждые</source>
        <comment>strrsTimerBegin</comment>
        <translation>Timer: each</translation>
    </message>
    <message>
        <source>мин</source>
        <comment>strrsTimerEnd</comment>
        <translation>min.</translation>
    </message>
    <message>
        <source>Загрузка списка серверов</source>
        <comment>strrsListServer</comment>
        <translation>Loading of the server list</translation>
    </message>
    <message>
        <source>Скрыть</source>
        <comment>strrsHide</comment>
        <translation>To hide</translation>
    </message>
    <message>
        <source>Открыть</source>
        <comment>strrsOpen</comment>
        <translation>Open</translation>
    </message>
    <message>
        <source>Идет проверка. Подождите, пока она не закончится.</source>
        <comment>strrsStateCheck</comment>
        <translation>There is a checking. Wait until end.</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <comment>strrsP</comment>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Результат</source>
        <comment>strrsRes</comment>
        <translation>Result</translation>
    </message>
    <message>
        <source>Успешно выполнено</source>
        <comment>strrsSucc</comment>
        <translation>Well done successfully</translation>
    </message>
    <message>
        <source>Внесена задача</source>
        <comment>strrsInsTask</comment>
        <translation>The task is brought</translation>
    </message>
    <message>
        <source>Да</source>
        <comment>strsYes</comment>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Нет</source>
        <comment>strsNo</comment>
        <translation>No</translation>
    </message>
    <message>
        <source>Удалить задачу?</source>
        <comment>strsDelC</comment>
        <translation>Delete the current task?</translation>
    </message>
    <message>
        <source> </source>
        <comment>strsDelCont</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Одна версия программы уже запущена</source>
        <comment>abfOneInstance1</comment>
        <translation>One version of the program is already started</translation>
    </message>
    <message>
        <source>Архивирование баз</source>
        <comment>TrayIcon.InfoTitle</comment>
        <translation>Backup databases</translation>
    </message>
</context>
</TS>

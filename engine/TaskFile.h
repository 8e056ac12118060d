#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// Field positions of a task line in Settings.ini.
enum TaskField : int {
    fDBName = 0,
    fHour = 1,
    fMin = 2,
    fDateLast = 3,
    fResult = 4,
    fPath = 5,
    fType = 6,
    fEveryType1 = 7,
    fOnWeekDaysType1 = 8,
    fEveryType2 = 9,
    fDayType2 = 10,
    fOnceType3 = 11,
    fDateType3 = 12,
    fMonthType4 = 13,
    fEveryWeekType4 = 14,
    fDailyOnType1 = 15,
    fEveryHour = 16,
    fServer = 17,
    fStrConnect = 18,
};
inline constexpr int TaskFieldCount = 19;

inline const QString TaskFileName = QStringLiteral("Settings.ini");
inline const QString NewTaskMarker = QStringLiteral("insert_new_task");
inline const QString SuccessResult = QStringLiteral("Succesfull");

// The folder of the running executable, blanks trimmed, with a trailing separator.
QString ProgramDir();

struct TaskFileContent {
    bool Exists = false;
    QStringList Lines;
};

// Raw bytes in, deciphered, split at CR LF. Throws OrvellError on a read error.
TaskFileContent ReadTaskFile(const QString &programDir);
// Replaces Settings.ini atomically (temporary file, flush, rename), owner-only
// permissions. Throws OrvellError when it cannot.
void WriteTaskFile(const QString &programDir, const QStringList &lines);

QStringList SplitTaskLine(const QString &line);
QString JoinTaskLine(const QStringList &fields);

// The one way a value enters a task line: ";" becomes "," and CR/LF become
// blanks, so no value can shift or split the fields of its line.
QString TaskFieldText(const QString &value);

// Text forms of values.
QString BoolText(bool value); // "-1" / "0"
std::optional<bool> ParseBoolText(const QString &text);
QString IntText(std::optional<int> value); // empty value -> "0"
std::optional<int> ParseIntText(const QString &text);
QString StrConnectToStored(const QString &connectionString); // ";" -> "|"
QString StrConnectFromStored(const QString &stored);         // "|" -> ";"

// One task as the main window's table holds it (the ID is the line index and
// lives in the table). Empty optionals are the table's NULLs.
struct TaskRecord {
    QString DBName;
    std::optional<int> Hour;
    std::optional<int> Min;
    std::optional<QDateTime> DateLast;
    QString Result;
    QString Path; // empty in memory, "-1" in the file
    QString Type;
    std::optional<int> EveryType1; // written empty when NULL
    std::optional<bool> OnWeekDaysType1;
    std::optional<int> EveryType2;
    QString DayType2;
    std::optional<int> OnceType3;
    std::optional<QDateTime> DateType3;
    QString MonthType4;
    std::optional<int> EveryWeekType4;
    std::optional<bool> DailyOnType1;
    std::optional<int> EveryHour;
    QString Server;
    QString StrConnect; // stored form, "|" in place of ";"

    // Load as the main window does: unparsable integer 0, boolean false,
    // date-time ZeroDateTime, Path "-1" empty, texts as they are.
    static TaskRecord fromLine(const QString &line);
    // Write as the main window does, every value through TaskFieldText.
    QString toLine() const;
};

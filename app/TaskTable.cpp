#include "TaskTable.h"

#include "DateTimeText.h"

namespace {

bool isIntegerField(int field)
{
    switch (field) {
    case mHour:
    case mMin:
    case mEveryType1:
    case mEveryType2:
    case mOnceType3:
    case mEveryWeekType4:
    case mEveryHour:
        return true;
    default:
        return false;
    }
}

std::optional<int> optInt(const QVariant &v)
{
    return v.isValid() ? std::optional<int>(v.toInt()) : std::nullopt;
}
std::optional<bool> optBool(const QVariant &v)
{
    return v.isValid() ? std::optional<bool>(v.toBool()) : std::nullopt;
}
std::optional<QDateTime> optDate(const QVariant &v)
{
    return v.isValid() ? std::optional<QDateTime>(v.toDateTime()) : std::nullopt;
}
template<typename T>
QVariant var(const std::optional<T> &v)
{
    return v ? QVariant::fromValue(*v) : QVariant();
}

// The converters on pieces of a line, so a full load makes strings only for
// the text fields (the load of a large task file is mostly allocation).
int intOf(QStringView text)
{
    const QStringView s = text.trimmed();
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == u'-' || c == u'+')))
            return 0;
    }
    bool ok = false;
    const int value = s.toInt(&ok, 10);
    return ok ? value : 0;
}

bool boolOf(QStringView text)
{
    const QStringView s = text.trimmed();
    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return intOf(s) != 0;
}

} // namespace

int hIsNull(const QString &text)
{
    return ParseIntText(text).value_or(0);
}

bool hIsNullb(const QString &text)
{
    return ParseBoolText(text).value_or(false);
}

QDateTime hIsNulldt(const QString &text)
{
    return TextToDateTime(text).value_or(ZeroDateTime());
}

TTaskTable::TTaskTable(QObject *parent)
    : QAbstractTableModel(parent)
{
}

const QStringList &TTaskTable::FieldNames()
{
    static const QStringList names{
        QStringLiteral("ID"),          QStringLiteral("DBName"),          QStringLiteral("Hour"),
        QStringLiteral("Min"),         QStringLiteral("DateLast"),        QStringLiteral("Result"),
        QStringLiteral("Path"),        QStringLiteral("Type"),            QStringLiteral("EveryType1"),
        QStringLiteral("OnWeekDaysType1"), QStringLiteral("EveryType2"),  QStringLiteral("DayType2"),
        QStringLiteral("OnceType3"),   QStringLiteral("DateType3"),       QStringLiteral("MonthType4"),
        QStringLiteral("EveryWeekType4"), QStringLiteral("DailyOnType1"), QStringLiteral("EveryHour"),
        QStringLiteral("Server"),      QStringLiteral("StrConnect"),
    };
    return names;
}

int TTaskTable::FieldIndex(const QString &name)
{
    return int(FieldNames().indexOf(name, 0));
}

void TTaskTable::Open()
{
    m_active = true;
}

void TTaskTable::Close()
{
    beginResetModel();
    m_rows.clear();
    m_active = false;
    endResetModel();
    SetCurrentRow(-1);
}

void TTaskTable::SetCurrentRow(int row)
{
    if (row < -1 || row >= RecordCount())
        row = RecordCount() > 0 ? RecordCount() - 1 : -1;
    if (row == m_current)
        return;
    m_current = row;
    emit currentRowChanged(row);
}

QVariant TTaskTable::Value(int row, int field) const
{
    if (row < 0 || row >= RecordCount() || field < 0 || field >= MemFieldCount)
        return {};
    return m_rows[row][field];
}

QVariant TTaskTable::FieldByName(int row, const QString &name) const
{
    return Value(row, FieldIndex(name));
}

void TTaskTable::SetValue(int row, int field, const QVariant &value)
{
    if (row < 0 || row >= RecordCount() || field < 0 || field >= MemFieldCount)
        return;
    m_rows[row][field] = value;
    emit dataChanged(index(row, field), index(row, field));
}

int TTaskTable::Append()
{
    m_active = true;
    const int row = RecordCount();
    beginInsertRows({}, row, row);
    Row r;
    r[mID] = row;
    m_rows.append(r);
    endInsertRows();
    SetCurrentRow(row);
    return row;
}

void TTaskTable::Delete(int row)
{
    if (row < 0 || row >= RecordCount())
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    // The row after the deleted one becomes current, or the new last one.
    const int next = row < RecordCount() ? row : RecordCount() - 1;
    m_current = -2; // force the notification even when the index is the same
    SetCurrentRow(next);
}

int TTaskTable::Locate(int id) const
{
    for (int row = 0; row < RecordCount(); ++row)
        if (m_rows[row][mID].toInt() == id)
            return row;
    return -1;
}

TaskRecord TTaskTable::Record(int row) const
{
    TaskRecord t;
    const auto v = [&](int field) { return Value(row, field); };
    t.DBName = v(mDBName).toString();
    t.Hour = optInt(v(mHour));
    t.Min = optInt(v(mMin));
    t.DateLast = optDate(v(mDateLast));
    t.Result = v(mResult).toString();
    t.Path = v(mPath).toString();
    if (t.Path.trimmed().isEmpty())
        t.Path.clear(); // a blank path is stored as "-1" like an empty one
    t.Type = v(mType).toString();
    t.EveryType1 = optInt(v(mEveryType1));
    t.OnWeekDaysType1 = optBool(v(mOnWeekDaysType1));
    t.EveryType2 = optInt(v(mEveryType2));
    t.DayType2 = v(mDayType2).toString();
    t.OnceType3 = optInt(v(mOnceType3));
    t.DateType3 = optDate(v(mDateType3));
    t.MonthType4 = v(mMonthType4).toString();
    t.EveryWeekType4 = optInt(v(mEveryWeekType4));
    t.DailyOnType1 = optBool(v(mDailyOnType1));
    t.EveryHour = optInt(v(mEveryHour));
    t.Server = v(mServer).toString();
    t.StrConnect = v(mStrConnect).toString();
    return t;
}

void TTaskTable::SetRecord(int row, const TaskRecord &t)
{
    if (row < 0 || row >= RecordCount())
        return;
    Row &r = m_rows[row];
    r[mDBName] = t.DBName;
    r[mHour] = var(t.Hour);
    r[mMin] = var(t.Min);
    r[mDateLast] = var(t.DateLast);
    r[mResult] = t.Result;
    r[mPath] = t.Path;
    r[mType] = t.Type;
    r[mEveryType1] = var(t.EveryType1);
    r[mOnWeekDaysType1] = var(t.OnWeekDaysType1);
    r[mEveryType2] = var(t.EveryType2);
    r[mDayType2] = t.DayType2;
    r[mOnceType3] = var(t.OnceType3);
    r[mDateType3] = var(t.DateType3);
    r[mMonthType4] = t.MonthType4;
    r[mEveryWeekType4] = var(t.EveryWeekType4);
    r[mDailyOnType1] = var(t.DailyOnType1);
    r[mEveryHour] = var(t.EveryHour);
    r[mServer] = t.Server;
    r[mStrConnect] = t.StrConnect;
    emit dataChanged(index(row, 0), index(row, MemFieldCount - 1));
}

TTaskTable::Row TTaskTable::rowFromLine(int id, const QString &line)
{
    Row r;
    r[mID] = id;
    if (line.isEmpty())
        return r; // an empty line gives a row with only its ID
    // Split as SplitTaskLine does: the empty piece after the last ";" is no field.
    QList<QStringView> fields = QStringView(line).split(u';');
    if (!fields.isEmpty() && fields.last().isEmpty())
        fields.removeLast();
    const int count = std::min<int>(int(fields.size()), TaskFieldCount);
    for (int i = 0; i < count; ++i) {
        const int field = i + 1;
        const QStringView text = fields[i];
        if (isIntegerField(field))
            r[field] = intOf(text);
        else if (field == mOnWeekDaysType1 || field == mDailyOnType1)
            r[field] = boolOf(text);
        else if (field == mDateLast || field == mDateType3)
            r[field] = TextToDateTime(text).value_or(ZeroDateTime());
        else if (field == mPath)
            r[field] = text == QLatin1String("-1") ? QString() : text.toString();
        else
            r[field] = text.toString();
    }
    return r;
}

void TTaskTable::LoadLines(const QStringList &lines)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(lines.size());
    for (int n = 0; n < lines.size(); ++n)
        m_rows.append(rowFromLine(n, lines[n]));
    m_active = !m_rows.isEmpty();
    endResetModel();
    m_current = -2;
    SetCurrentRow(m_rows.isEmpty() ? -1 : 0);
}

void TTaskTable::RefreshResults(const QStringList &lines)
{
    m_active = true;
    const int currentId = m_current >= 0 ? m_rows[m_current][mID].toInt() : -1;
    const bool hadCurrent = m_current >= 0;
    int changed = 0;
    for (int i = 0; i < lines.size() && i < RecordCount(); ++i) {
        QList<QStringView> fields = QStringView(lines[i]).split(u';');
        if (!fields.isEmpty() && fields.last().isEmpty())
            fields.removeLast();
        if (fields.size() <= fResult)
            break; // the refresh ends at a line without a result
        m_rows[i][mDateLast] = TextToDateTime(fields[fDateLast]).value_or(ZeroDateTime());
        m_rows[i][mResult] = fields[fResult].toString();
        changed = i + 1;
    }
    if (changed > 0)
        emit dataChanged(index(0, mDateLast), index(changed - 1, mResult));
    if (hadCurrent) {
        const int row = Locate(currentId);
        if (row >= 0)
            SetCurrentRow(row);
    }
}

QStringList TTaskTable::Lines() const
{
    QStringList lines;
    lines.reserve(m_rows.size());
    for (int row = 0; row < RecordCount(); ++row)
        lines.append(Record(row).toLine());
    return lines;
}

int TTaskTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RecordCount();
}

int TTaskTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MemFieldCount;
}

QVariant TTaskTable::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const QVariant v = Value(index.row(), index.column());
    if (role == Qt::EditRole || !v.isValid())
        return v;
    if (v.typeId() == QMetaType::QDateTime)
        return DateTimeToText(v.toDateTime());
    return v;
}

QVariant TTaskTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < MemFieldCount)
        return FieldNames()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

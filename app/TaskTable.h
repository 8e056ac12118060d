#pragma once

#include "TaskFile.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <array>

// Field numbers of the task table: ID, then the 19 task fields in the order of
// a task line (so a task field's column is its TaskField + 1).
enum MemField : int {
    mID = 0,
    mDBName,
    mHour,
    mMin,
    mDateLast,
    mResult,
    mPath,
    mType,
    mEveryType1,
    mOnWeekDaysType1,
    mEveryType2,
    mDayType2,
    mOnceType3,
    mDateType3,
    mMonthType4,
    mEveryWeekType4,
    mDailyOnType1,
    mEveryHour,
    mServer,
    mStrConnect,
};
inline constexpr int MemFieldCount = 20;

// The converters of the task list: a text that does not convert gives 0,
// false or ZeroDateTime.
int hIsNull(const QString &text);
bool hIsNullb(const QString &text);
QDateTime hIsNulldt(const QString &text);

// The main window's in-memory task table: one row per line of the task file,
// in file order. Every field but ID may be NULL (an invalid QVariant). The
// table is either closed (no rows) or open; it has a current row, which the
// edit and delete commands and the wizard work on.
class TTaskTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TTaskTable(QObject *parent = nullptr);

    static const QStringList &FieldNames(); // "ID", "DBName", ... "StrConnect"
    static int FieldIndex(const QString &name); // -1 when unknown

    bool Active() const { return m_active; }
    void Open();
    void Close(); // discards every row

    int RecordCount() const { return int(m_rows.size()); }
    int CurrentRow() const { return m_current; } // -1 when there are no rows
    void SetCurrentRow(int row);

    QVariant Value(int row, int field) const;
    QVariant FieldByName(int row, const QString &name) const;
    void SetValue(int row, int field, const QVariant &value);
    bool IsNull(int row, int field) const { return !Value(row, field).isValid(); }

    // A new row at the end, opening the table when closed; its ID is the
    // number of rows before it. Becomes the current row; returns its index.
    int Append();
    void Delete(int row);
    int Locate(int id) const; // the first row with that ID, or -1

    // The row as a task record and back (ID untouched).
    TaskRecord Record(int row) const;
    void SetRecord(int row, const TaskRecord &record);

    // Full load: the rows become the lines, ID numbered from 0. No lines
    // leave the table closed.
    void LoadLines(const QStringList &lines);
    // Refresh of DateLast and Result, line i to row i; stops at a line that
    // has fewer than five fields. Keeps the current row by its ID.
    void RefreshResults(const QStringList &lines);
    // The task lines of every row, in the text forms of the task file.
    QStringList Lines() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void currentRowChanged(int row);

private:
    using Row = std::array<QVariant, MemFieldCount>;
    static Row rowFromLine(int id, const QString &line);
    QList<Row> m_rows;
    bool m_active = false;
    int m_current = -1;
};

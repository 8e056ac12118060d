#pragma once

#include "Errors.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

// The program's SQL Server access over the ODBC C API: a connection and a
// statement with the operations the windows and the pass use.
//
// One connection belongs to one thread at a time; connections of different
// threads are independent.

class DbError : public OrvellError
{
public:
    using OrvellError::OrvellError;
};

class TADOConnection
{
public:
    TADOConnection();
    ~TADOConnection(); // disconnects without calling AfterDisconnect
    TADOConnection(const TADOConnection &) = delete;
    TADOConnection &operator=(const TADOConnection &) = delete;

    QString ConnectionString;    // OLE DB form
    bool LoginPrompt = false;    // never prompts; kept for the callers' habits
    int ConnectionTimeout = 15;  // seconds, the logon

    void Open();  // throws DbError with the server's or the driver's text; no-op when open
    void Close(); // no-op when closed
    bool Connected() const; // false once the link was found broken
    void SetConnected(bool on) { on ? Open() : Close(); }

    // Called after a successful Open, and after an open connection closed:
    // by Close or because a statement found the link broken.
    std::function<void()> AfterConnect;
    std::function<void()> AfterDisconnect;

    QString DriverName() const; // the ODBC driver used for the last Open

    struct Impl;
    Impl *impl() const { return d.get(); }

private:
    std::unique_ptr<Impl> d;
};

class TADOField
{
public:
    TADOField() = default;
    explicit TADOField(std::optional<QString> value)
        : m_value(std::move(value))
    {
    }
    QString AsString() const { return m_value.value_or(QString()); }
    int AsInteger() const; // NULL or not a number -> 0
    bool IsNull() const { return !m_value.has_value(); }

private:
    std::optional<QString> m_value;
};

class TADOQuery
{
public:
    explicit TADOQuery(TADOConnection *connection = nullptr);
    ~TADOQuery();
    TADOQuery(const TADOQuery &) = delete;
    TADOQuery &operator=(const TADOQuery &) = delete;

    TADOConnection *Connection = nullptr;
    QString SQL;
    int CommandTimeout = 30; // seconds; 0 = no limit

    // A named parameter written ":@Name" in SQL, set before Open/ExecSQL.
    // The name may be given with or without "@", in any case.
    void SetParameter(const QString &name, const QString &value);
    void ClearParameters();

    // Runs the batch, walks every result and gathers every message; throws
    // DbError (the error texts in order, joined by a blank) when any part of
    // the batch failed or the link broke.
    void ExecSQL();
    // As ExecSQL, keeping the rows of the first result that has columns.
    void Open();
    void Close();
    bool Active() const;

    bool Eof() const;
    void First();
    void Next();
    int RecordCount() const;
    QStringList ColumnNames() const;
    TADOField FieldByName(const QString &column) const; // throws DbError when no such column or no current row

    // Informational messages of the last statement (e.g. 4035, 3014).
    QStringList Messages() const;

private:
    void run(bool keepRows);

    struct Impl;
    std::unique_ptr<Impl> d;
};

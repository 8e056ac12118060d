#pragma once

// The T-SQL the simulator understands: a tokenizer, expressions and the
// statements the program (and the drivers) send. A batch is parsed whole
// before anything runs, as SQL Server does, so a syntax error runs nothing.

#include "SimWire.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace sqlsim {

class Engine;

// A message SQL Server would send instead of running the statement.
struct SqlError
{
    int number = 0;
    int severity = 16;
    int state = 1;
    QString text;
};

// Messages for a batch that does not parse (usually one 102).
struct ParseError
{
    QList<SqlError> messages;
    int line = 1;
};

struct Tok
{
    enum Kind { Ident, QuotedIdent, String, Number, Var, SysVar, Op, End };
    Kind kind = End;
    QString text; // as written
    QString value; // identifier without brackets, string without quotes, operator
    bool unicode = false; // N'...'
    int line = 1;
};

QList<Tok> tokenize(const QString &sql); // throws ParseError

struct Expr;
using ExprP = std::shared_ptr<const Expr>;

struct Expr
{
    enum Kind {
        Literal,
        ColumnRef, // parts: [table.]column
        SysVar, // name: lower-case, without @@
        Func, // name: lower-case; args
        Cast, // castType; args[0]
        Negate,
        Arith, // op: + - * / %
        Compare, // op: = <> < > <= >=
        And,
        Or,
        Not,
        IsNull, // negated: IS NOT NULL
        Like, // negated
        In, // args[0] IN (args[1..]); negated
        CountStar,
        Count, // args[0]
    };
    Kind kind = Literal;
    Value literal;
    QString name;
    QString op;
    QStringList parts;
    QList<ExprP> args;
    SqlType castType;
    bool negated = false;
    QString text; // the source, for column names and messages
};

struct SelectItem
{
    bool star = false;
    ExprP expr;
    QString alias;
};

struct OrderItem
{
    ExprP expr;
    bool descending = false;
};

struct SelectStmt
{
    QList<SelectItem> items;
    qint64 top = -1;
    bool hasFrom = false;
    QStringList from; // name parts, empty parts for "..": {"master", "", "sysdatabases"}
    QString fromText;
    ExprP where;
    QList<OrderItem> orderBy;
};

struct ProcArg
{
    QString name; // "@x" when passed by name
    ExprP value;
    bool output = false;
};

struct ProcCall
{
    QStringList parts;
    QString nameText;
    QList<ProcArg> args;
    ExprP dynamicSql; // EXEC ('...')
};

struct WithOption
{
    QString name; // lower-case
    ExprP value; // may be null
    ExprP moveTo; // MOVE 'logical' TO 'physical': value = logical
};

struct ColumnDef
{
    QString name;
    SqlType type;
};

struct Stmt
{
    int line = 1;
    std::function<void(Engine &)> run;
};

QList<Stmt> parseBatch(const QString &sql); // throws ParseError

// 'text' with quotes doubled: how parameter values are put into statements.
QString sqlLiteral(const Value &v);

} // namespace sqlsim

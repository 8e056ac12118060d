#include "SimParse.h"

#include "SimEngine.h"

#include <QSet>

namespace sqlsim {

namespace {

const QSet<QString> &reservedWords()
{
    static const QSet<QString> words = {
        QStringLiteral("add"),      QStringLiteral("all"),       QStringLiteral("alter"),     QStringLiteral("and"),
        QStringLiteral("as"),       QStringLiteral("asc"),       QStringLiteral("backup"),    QStringLiteral("begin"),
        QStringLiteral("between"),  QStringLiteral("by"),        QStringLiteral("case"),      QStringLiteral("commit"),
        QStringLiteral("create"),   QStringLiteral("cross"),     QStringLiteral("database"),  QStringLiteral("dbcc"),
        QStringLiteral("declare"),  QStringLiteral("delete"),    QStringLiteral("desc"),      QStringLiteral("disk"),
        QStringLiteral("distinct"), QStringLiteral("drop"),      QStringLiteral("else"),      QStringLiteral("end"),
        QStringLiteral("exec"),     QStringLiteral("execute"),   QStringLiteral("exists"),    QStringLiteral("from"),
        QStringLiteral("full"),     QStringLiteral("go"),        QStringLiteral("grant"),     QStringLiteral("group"),
        QStringLiteral("having"),   QStringLiteral("if"),        QStringLiteral("in"),        QStringLiteral("inner"),
        QStringLiteral("insert"),   QStringLiteral("into"),      QStringLiteral("is"),        QStringLiteral("join"),
        QStringLiteral("left"),     QStringLiteral("like"),      QStringLiteral("not"),       QStringLiteral("null"),
        QStringLiteral("on"),       QStringLiteral("or"),        QStringLiteral("order"),     QStringLiteral("outer"),
        QStringLiteral("print"),    QStringLiteral("restore"),   QStringLiteral("return"),    QStringLiteral("right"),
        QStringLiteral("rollback"), QStringLiteral("select"),    QStringLiteral("set"),       QStringLiteral("table"),
        QStringLiteral("then"),     QStringLiteral("to"),        QStringLiteral("top"),       QStringLiteral("tran"),
        QStringLiteral("transaction"), QStringLiteral("truncate"), QStringLiteral("union"),   QStringLiteral("update"),
        QStringLiteral("use"),      QStringLiteral("values"),    QStringLiteral("waitfor"),   QStringLiteral("when"),
        QStringLiteral("where"),    QStringLiteral("while"),     QStringLiteral("with"),
    };
    return words;
}

const QSet<QString> &onOffOptions()
{
    static const QSet<QString> options = {
        QStringLiteral("ansi_nulls"), QStringLiteral("ansi_null_dflt_on"), QStringLiteral("ansi_null_dflt_off"),
        QStringLiteral("ansi_padding"), QStringLiteral("ansi_warnings"), QStringLiteral("ansi_defaults"),
        QStringLiteral("arithabort"), QStringLiteral("arithignore"), QStringLiteral("concat_null_yields_null"),
        QStringLiteral("cursor_close_on_commit"), QStringLiteral("fmtonly"), QStringLiteral("forceplan"),
        QStringLiteral("implicit_transactions"), QStringLiteral("nocount"), QStringLiteral("noexec"),
        QStringLiteral("numeric_roundabort"), QStringLiteral("parseonly"), QStringLiteral("quoted_identifier"),
        QStringLiteral("remote_proc_transactions"), QStringLiteral("showplan_all"), QStringLiteral("showplan_text"),
        QStringLiteral("showplan_xml"), QStringLiteral("statistics io"), QStringLiteral("statistics time"),
        QStringLiteral("statistics xml"), QStringLiteral("statistics profile"), QStringLiteral("xact_abort"),
        QStringLiteral("nocount"),
    };
    return options;
}

const QSet<QString> &valueOptions()
{
    static const QSet<QString> options = {
        QStringLiteral("textsize"), QStringLiteral("lock_timeout"), QStringLiteral("rowcount"),
        QStringLiteral("datefirst"), QStringLiteral("dateformat"), QStringLiteral("language"),
        QStringLiteral("deadlock_priority"), QStringLiteral("query_governor_cost_limit"),
    };
    return options;
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#');
}

bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('$')
           || c == QLatin1Char('@');
}

SqlError syntaxNear(const QString &near)
{
    return {102, 15, 1, QStringLiteral("Incorrect syntax near '%1'.").arg(near)};
}

class Parser
{
public:
    explicit Parser(QList<Tok> toks)
        : t(std::move(toks))
    {
    }

    QList<Stmt> batch()
    {
        QList<Stmt> out;
        bool first = true;
        while (peek().kind != Tok::End) {
            if (acceptOp(QStringLiteral(";")))
                continue;
            out << statement(first);
            first = false;
        }
        return out;
    }

private:
    QList<Tok> t;
    int p = 0;

    const Tok &peek(int k = 0) const
    {
        const int i = qMin(p + k, int(t.size()) - 1);
        return t[i];
    }
    Tok next()
    {
        Tok tok = peek();
        if (p < t.size() - 1)
            ++p;
        return tok;
    }
    bool isKw(const char *kw, int k = 0) const
    {
        const Tok &tok = peek(k);
        return tok.kind == Tok::Ident && tok.value.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }
    bool acceptKw(const char *kw)
    {
        if (!isKw(kw))
            return false;
        next();
        return true;
    }
    void expectKw(const char *kw)
    {
        if (!acceptKw(kw))
            fail();
    }
    bool isOp(const QString &op, int k = 0) const
    {
        const Tok &tok = peek(k);
        return tok.kind == Tok::Op && tok.value == op;
    }
    bool acceptOp(const QString &op)
    {
        if (!isOp(op))
            return false;
        next();
        return true;
    }
    void expectOp(const QString &op)
    {
        if (!acceptOp(op))
            fail();
    }
    bool isReserved(const Tok &tok) const
    {
        return tok.kind == Tok::Ident && reservedWords().contains(tok.value.toLower());
    }

    [[noreturn]] void fail() const
    {
        // At the end SQL Server names the last thing it read.
        const Tok &tok = peek().kind == Tok::End && p > 0 ? t[p - 1] : peek();
        const QString near = tok.kind == Tok::String ? tok.value : tok.text;
        throw ParseError{{syntaxNear(near)}, tok.line};
    }
    [[noreturn]] void failWith(const SqlError &e) const { throw ParseError{{e}, peek().line}; }

    // Names: a.b.c with empty parts for "..".
    QStringList name(QString *text)
    {
        QStringList parts;
        QString written;
        auto part = [&]() {
            const Tok tok = peek();
            if (tok.kind != Tok::Ident && tok.kind != Tok::QuotedIdent)
                fail();
            if (tok.kind == Tok::Ident && isReserved(tok))
                fail();
            if (tok.value.isEmpty())
                failWith({1038, 15, 4,
                          QStringLiteral("An object or column name is missing or empty. For SELECT INTO statements, "
                                         "verify each column has a name. For other statements, look for empty alias "
                                         "names. Aliases defined as \"\" or [] are not allowed. Change the alias to a "
                                         "valid name.")});
            next();
            parts << tok.value;
            written += tok.value;
        };
        part();
        while (isOp(QStringLiteral("."))) {
            next();
            written += QLatin1Char('.');
            while (isOp(QStringLiteral("."))) {
                next();
                written += QLatin1Char('.');
                parts << QString();
            }
            part();
        }
        if (text)
            *text = written;
        return parts;
    }

    QString simpleName()
    {
        QString text;
        const QStringList parts = name(&text);
        if (parts.size() != 1)
            fail();
        return parts.first();
    }

    SqlType type(bool inCast)
    {
        const Tok tok = peek();
        if (tok.kind != Tok::Ident && tok.kind != Tok::QuotedIdent)
            fail();
        next();
        const QString n = tok.value.toLower();
        auto length = [&](int fallback, int max) {
            if (!acceptOp(QStringLiteral("(")))
                return fallback;
            int len = fallback;
            if (acceptKw("max"))
                len = max;
            else if (peek().kind == Tok::Number)
                len = next().value.toInt();
            else
                fail();
            expectOp(QStringLiteral(")"));
            return qBound(1, len, max);
        };
        const int dflt = inCast ? 30 : 1;
        SqlType st;
        if (n == QLatin1String("int") || n == QLatin1String("integer"))
            st = SqlType::integer(4);
        else if (n == QLatin1String("smallint"))
            st = SqlType::integer(2);
        else if (n == QLatin1String("tinyint"))
            st = SqlType::integer(1);
        else if (n == QLatin1String("bigint"))
            st = SqlType::integer(8);
        else if (n == QLatin1String("bit"))
            st = {SqlType::Bit, 1};
        else if (n == QLatin1String("char"))
            st = SqlType::chars(length(dflt, 8000));
        else if (n == QLatin1String("varchar"))
            st = SqlType::varchar(length(dflt, 8000));
        else if (n == QLatin1String("nchar"))
            st = {SqlType::NChar, length(dflt, 4000)};
        else if (n == QLatin1String("nvarchar"))
            st = SqlType::nvarchar(length(dflt, 4000));
        else if (n == QLatin1String("sysname"))
            st = SqlType::nvarchar(128);
        else if (n == QLatin1String("datetime"))
            st = {SqlType::DateTime, 8};
        else if (n == QLatin1String("uniqueidentifier"))
            st = {SqlType::Guid, 16};
        else if (n == QLatin1String("varbinary") || n == QLatin1String("binary"))
            st = {SqlType::VarBinary, length(dflt, 8000)};
        else if (n == QLatin1String("numeric") || n == QLatin1String("decimal")) {
            int precision = 18, scale = 0;
            if (acceptOp(QStringLiteral("("))) {
                precision = next().value.toInt();
                if (acceptOp(QStringLiteral(",")))
                    scale = next().value.toInt();
                expectOp(QStringLiteral(")"));
            }
            st = Value::numeric(0, qBound(1, precision, 38), qBound(0, scale, 38)).type;
        } else if (inCast)
            failWith({243, 16, 2, QStringLiteral("Type %1 is not a defined system type.").arg(tok.value)});
        else
            failWith({2715, 16, 6,
                      QStringLiteral("Column, parameter, or variable #1: Cannot find data type %1.").arg(tok.value)});
        return st;
    }

    // Expressions
    ExprP expr() { return orExpr(); }

    static ExprP make(Expr e) { return std::make_shared<const Expr>(std::move(e)); }

    ExprP binary(Expr::Kind kind, const QString &op, ExprP a, ExprP b)
    {
        Expr e;
        e.kind = kind;
        e.op = op;
        e.args = {std::move(a), std::move(b)};
        e.text = e.args[0]->text + op + e.args[1]->text;
        return make(std::move(e));
    }

    ExprP orExpr()
    {
        ExprP a = andExpr();
        while (acceptKw("or"))
            a = binary(Expr::Or, QStringLiteral(" or "), a, andExpr());
        return a;
    }
    ExprP andExpr()
    {
        ExprP a = notExpr();
        while (acceptKw("and"))
            a = binary(Expr::And, QStringLiteral(" and "), a, notExpr());
        return a;
    }
    ExprP notExpr()
    {
        if (acceptKw("not")) {
            Expr e;
            e.kind = Expr::Not;
            e.args = {notExpr()};
            e.text = QStringLiteral("not ") + e.args[0]->text;
            return make(std::move(e));
        }
        return predicate();
    }
    ExprP predicate()
    {
        ExprP a = additive();
        static const QStringList compareOps = {QStringLiteral("="),  QStringLiteral("<>"), QStringLiteral("!="),
                                               QStringLiteral("<"),  QStringLiteral(">"),  QStringLiteral("<="),
                                               QStringLiteral(">="), QStringLiteral("!<"), QStringLiteral("!>")};
        if (peek().kind == Tok::Op && compareOps.contains(peek().value)) {
            QString op = next().value;
            if (op == QLatin1String("!="))
                op = QStringLiteral("<>");
            else if (op == QLatin1String("!<"))
                op = QStringLiteral(">=");
            else if (op == QLatin1String("!>"))
                op = QStringLiteral("<=");
            return binary(Expr::Compare, op, a, additive());
        }
        if (acceptKw("is")) {
            Expr e;
            e.kind = Expr::IsNull;
            e.negated = acceptKw("not");
            expectKw("null");
            e.args = {a};
            e.text = a->text + (e.negated ? QStringLiteral(" is not null") : QStringLiteral(" is null"));
            return make(std::move(e));
        }
        const bool negated = isKw("not") && (isKw("like", 1) || isKw("in", 1));
        if (negated)
            next();
        if (acceptKw("like")) {
            Expr e;
            e.kind = Expr::Like;
            e.negated = negated;
            e.args = {a, additive()};
            e.text = a->text + QStringLiteral(" like ") + e.args[1]->text;
            return make(std::move(e));
        }
        if (acceptKw("in")) {
            Expr e;
            e.kind = Expr::In;
            e.negated = negated;
            e.args = {a};
            expectOp(QStringLiteral("("));
            do {
                e.args << expr();
            } while (acceptOp(QStringLiteral(",")));
            expectOp(QStringLiteral(")"));
            e.text = a->text + QStringLiteral(" in (...)");
            return make(std::move(e));
        }
        if (negated)
            fail();
        return a;
    }
    ExprP additive()
    {
        ExprP a = multiplicative();
        while (isOp(QStringLiteral("+")) || isOp(QStringLiteral("-"))) {
            const QString op = next().value;
            a = binary(Expr::Arith, op, a, multiplicative());
        }
        return a;
    }
    ExprP multiplicative()
    {
        ExprP a = unary();
        while (isOp(QStringLiteral("*")) || isOp(QStringLiteral("/")) || isOp(QStringLiteral("%"))) {
            const QString op = next().value;
            a = binary(Expr::Arith, op, a, unary());
        }
        return a;
    }
    ExprP unary()
    {
        if (acceptOp(QStringLiteral("+")))
            return unary();
        if (acceptOp(QStringLiteral("-"))) {
            Expr e;
            e.kind = Expr::Negate;
            e.args = {unary()};
            e.text = QStringLiteral("-") + e.args[0]->text;
            return make(std::move(e));
        }
        return primary();
    }
    ExprP primary()
    {
        const Tok tok = peek();
        Expr e;
        e.text = tok.text;
        switch (tok.kind) {
        case Tok::Number: {
            next();
            e.kind = Expr::Literal;
            if (tok.value.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
                const QByteArray bytes = QByteArray::fromHex(tok.value.mid(2).toLatin1());
                e.literal = Value::varbinary(bytes, qMax(1, int(bytes.size())));
            } else if (tok.value.contains(QLatin1Char('.'))) {
                const int dot = int(tok.value.indexOf(QLatin1Char('.')));
                const int scale = int(tok.value.size()) - dot - 1;
                QString digits = tok.value;
                digits.remove(dot, 1);
                e.literal = Value::numeric(digits.toLongLong(), qMax(1, int(digits.size())), scale);
            } else {
                bool ok = false;
                const qint64 v = tok.value.toLongLong(&ok);
                if (!ok)
                    fail();
                e.literal = Value::integer(v, (v >= INT32_MIN && v <= INT32_MAX) ? 4 : 8);
            }
            return make(std::move(e));
        }
        case Tok::String:
            next();
            e.kind = Expr::Literal;
            e.literal = Value::string(tok.value, tok.unicode ? SqlType::nvarchar(qMax(1, int(tok.value.size())))
                                                             : SqlType::varchar(qMax(1, int(tok.value.size()))));
            return make(std::move(e));
        case Tok::SysVar:
            next();
            e.kind = Expr::SysVar;
            e.name = tok.value.toLower();
            return make(std::move(e));
        case Tok::Var:
            failWith({137, 15, 2, QStringLiteral("Must declare the scalar variable \"%1\".").arg(tok.text)});
        case Tok::Op:
            if (tok.value == QLatin1String("(")) {
                next();
                ExprP inner = expr();
                expectOp(QStringLiteral(")"));
                return inner;
            }
            fail();
        case Tok::Ident:
        case Tok::QuotedIdent:
            break;
        case Tok::End:
            fail();
        }
        if (tok.kind == Tok::Ident) {
            const QString lower = tok.value.toLower();
            if (lower == QLatin1String("null")) {
                next();
                e.kind = Expr::Literal;
                e.literal = Value::nullOf(SqlType::integer(4));
                return make(std::move(e));
            }
            if (isOp(QStringLiteral("("), 1)) {
                next();
                next();
                if (lower == QLatin1String("cast")) {
                    e.kind = Expr::Cast;
                    e.args = {expr()};
                    expectKw("as");
                    e.castType = type(true);
                    expectOp(QStringLiteral(")"));
                    return make(std::move(e));
                }
                if (lower == QLatin1String("convert")) {
                    e.kind = Expr::Cast;
                    e.castType = type(true);
                    expectOp(QStringLiteral(","));
                    e.args = {expr()};
                    if (acceptOp(QStringLiteral(",")))
                        e.args << expr(); // style
                    expectOp(QStringLiteral(")"));
                    return make(std::move(e));
                }
                if (lower == QLatin1String("count")) {
                    if (acceptOp(QStringLiteral("*"))) {
                        e.kind = Expr::CountStar;
                    } else {
                        e.kind = Expr::Count;
                        e.args = {expr()};
                    }
                    expectOp(QStringLiteral(")"));
                    return make(std::move(e));
                }
                if (isReserved(tok) && lower != QLatin1String("left") && lower != QLatin1String("right"))
                    fail();
                e.kind = Expr::Func;
                e.name = lower;
                if (!isOp(QStringLiteral(")"))) {
                    do {
                        e.args << expr();
                    } while (acceptOp(QStringLiteral(",")));
                }
                expectOp(QStringLiteral(")"));
                return make(std::move(e));
            }
            if (isReserved(tok))
                fail();
        }
        e.kind = Expr::ColumnRef;
        e.parts = name(&e.text);
        return make(std::move(e));
    }

    bool startsExpression() const
    {
        const Tok &tok = peek();
        switch (tok.kind) {
        case Tok::Number:
        case Tok::String:
        case Tok::Var:
        case Tok::SysVar:
        case Tok::QuotedIdent:
            return true;
        case Tok::Op:
            return tok.value == QLatin1String("(") || tok.value == QLatin1String("-")
                   || tok.value == QLatin1String("+");
        case Tok::Ident:
            return !isReserved(tok) || tok.value.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0;
        case Tok::End:
            return false;
        }
        return false;
    }

    // A procedure argument: a bare word is a string, as T-SQL allows.
    ExprP argument()
    {
        const Tok &tok = peek();
        if (tok.kind == Tok::Ident && !isReserved(tok) && !isOp(QStringLiteral("("), 1) && !isOp(QStringLiteral("."), 1)) {
            Expr e;
            e.kind = Expr::Literal;
            e.text = tok.text;
            e.literal = Value::string(tok.value, SqlType::nvarchar(qMax(1, int(tok.value.size()))));
            next();
            return make(std::move(e));
        }
        return expr();
    }

    // Statements
    Stmt statement(bool first)
    {
        Stmt s;
        s.line = peek().line;
        const Tok tok = peek();
        if (tok.kind != Tok::Ident)
            fail();
        const QString kw = tok.value.toLower();

        if (kw == QLatin1String("select")) {
            next();
            SelectStmt sel = selectBody();
            s.run = [sel](Engine &e) { e.select(sel); };
        } else if (kw == QLatin1String("set")) {
            next();
            s.run = setStatement();
        } else if (kw == QLatin1String("use")) {
            next();
            const QString db = simpleName();
            s.run = [db](Engine &e) { e.use(db); };
        } else if (kw == QLatin1String("begin")) {
            next();
            if (acceptKw("tran") || acceptKw("transaction")) {
                transactionName();
                s.run = [](Engine &e) { e.beginTran(); };
            } else {
                QList<Stmt> body;
                while (!isKw("end")) {
                    if (peek().kind == Tok::End)
                        fail();
                    if (acceptOp(QStringLiteral(";")))
                        continue;
                    body << statement(false);
                }
                next();
                s.run = [body](Engine &e) { e.block(body); };
            }
        } else if (kw == QLatin1String("commit") || kw == QLatin1String("rollback")) {
            next();
            if (!acceptKw("tran") && !acceptKw("transaction"))
                acceptKw("work");
            transactionName();
            if (kw == QLatin1String("commit"))
                s.run = [](Engine &e) { e.commitTran(); };
            else
                s.run = [](Engine &e) { e.rollbackTran(); };
        } else if (kw == QLatin1String("if")) {
            next();
            ExprP cond = expr();
            if (peek().kind == Tok::End)
                fail();
            Stmt then = statement(false);
            std::optional<Stmt> otherwise;
            if (acceptKw("else"))
                otherwise = statement(false);
            s.run = [cond, then, otherwise](Engine &e) { e.ifStmt(cond, then, otherwise); };
        } else if (kw == QLatin1String("drop")) {
            next();
            expectKw("table");
            bool ifExists = false;
            if (isKw("if") && isKw("exists", 1)) {
                next();
                next();
                ifExists = true;
            }
            QString text;
            const QStringList parts = name(&text);
            s.run = [parts, text, ifExists](Engine &e) { e.dropTable(parts, text, ifExists); };
        } else if (kw == QLatin1String("create")) {
            next();
            expectKw("table");
            QString text;
            const QStringList parts = name(&text);
            expectOp(QStringLiteral("("));
            QList<ColumnDef> cols;
            do {
                ColumnDef c;
                c.name = simpleName();
                c.type = type(false);
                if (acceptKw("not")) {
                    expectKw("null");
                    c.type.nullable = false;
                } else {
                    acceptKw("null");
                }
                cols << c;
            } while (acceptOp(QStringLiteral(",")));
            expectOp(QStringLiteral(")"));
            s.run = [parts, text, cols](Engine &e) { e.createTable(parts, text, cols); };
        } else if (kw == QLatin1String("insert")) {
            next();
            acceptKw("into");
            QString text;
            const QStringList parts = name(&text);
            QStringList cols;
            if (acceptOp(QStringLiteral("("))) {
                do {
                    cols << simpleName();
                } while (acceptOp(QStringLiteral(",")));
                expectOp(QStringLiteral(")"));
            }
            if (acceptKw("exec") || acceptKw("execute")) {
                const ProcCall call = procCall();
                s.run = [parts, text, cols, call](Engine &e) { e.insertExec(parts, text, cols, call); };
            } else if (acceptKw("values")) {
                QList<QList<ExprP>> rows;
                do {
                    expectOp(QStringLiteral("("));
                    QList<ExprP> row;
                    do {
                        row << expr();
                    } while (acceptOp(QStringLiteral(",")));
                    expectOp(QStringLiteral(")"));
                    rows << row;
                } while (acceptOp(QStringLiteral(",")));
                s.run = [parts, text, cols, rows](Engine &e) { e.insertValues(parts, text, cols, rows); };
            } else {
                fail();
            }
        } else if (kw == QLatin1String("exec") || kw == QLatin1String("execute")) {
            next();
            const ProcCall call = procCall();
            s.run = [call](Engine &e) { e.exec(call); };
        } else if (kw == QLatin1String("backup")) {
            next();
            bool log = false;
            if (acceptKw("log"))
                log = true;
            else
                expectKw("database");
            const QString db = simpleName();
            expectKw("to");
            QList<ExprP> disks;
            do {
                expectKw("disk");
                expectOp(QStringLiteral("="));
                disks << expr();
            } while (acceptOp(QStringLiteral(",")));
            const QList<WithOption> with = withOptions();
            s.run = [db, log, disks, with](Engine &e) { e.backupDatabase(db, log, disks, with); };
        } else if (kw == QLatin1String("restore")) {
            next();
            if (acceptKw("database")) {
                const QString db = simpleName();
                expectKw("from");
                expectKw("disk");
                expectOp(QStringLiteral("="));
                ExprP disk = expr();
                const QList<WithOption> with = withOptions();
                s.run = [db, disk, with](Engine &e) { e.restoreDatabase(db, disk, with); };
            } else {
                const Tok what = peek();
                const QString kind = what.value.toLower();
                if (what.kind != Tok::Ident
                    || !(kind == QLatin1String("filelistonly") || kind == QLatin1String("headeronly")
                         || kind == QLatin1String("verifyonly") || kind == QLatin1String("labelonly")))
                    fail();
                next();
                expectKw("from");
                expectKw("disk");
                expectOp(QStringLiteral("="));
                ExprP disk = expr();
                const QList<WithOption> with = withOptions();
                s.run = [kind, disk, with](Engine &e) { e.restoreInfo(kind, disk, with); };
            }
        } else if (kw == QLatin1String("dbcc")) {
            next();
            if (peek().kind != Tok::Ident)
                fail();
            const QString command = next().value.toLower();
            QList<ExprP> args;
            if (acceptOp(QStringLiteral("("))) {
                if (!isOp(QStringLiteral(")"))) {
                    do {
                        args << argument();
                    } while (acceptOp(QStringLiteral(",")));
                }
                expectOp(QStringLiteral(")"));
            }
            QStringList with;
            if (acceptKw("with")) {
                do {
                    if (peek().kind != Tok::Ident)
                        fail();
                    with << next().value.toLower();
                } while (acceptOp(QStringLiteral(",")));
            }
            s.run = [command, args, with](Engine &e) { e.dbcc(command, args, with); };
        } else if (kw == QLatin1String("print")) {
            next();
            ExprP text = expr();
            s.run = [text](Engine &e) { e.print(text); };
        } else if (first && !isReserved(tok)) {
            // The first statement of a batch may name a procedure without EXEC.
            const ProcCall call = procCall();
            s.run = [call](Engine &e) { e.exec(call); };
        } else {
            fail();
        }
        return s;
    }

    void transactionName()
    {
        if ((peek().kind == Tok::Ident && !isReserved(peek())) || peek().kind == Tok::QuotedIdent)
            next();
    }

    ProcCall procCall()
    {
        ProcCall call;
        if (acceptOp(QStringLiteral("("))) {
            call.dynamicSql = expr();
            expectOp(QStringLiteral(")"));
            call.nameText = QStringLiteral("(dynamic SQL)");
            return call;
        }
        if (peek().kind == Tok::Var)
            failWith({137, 15, 2, QStringLiteral("Must declare the scalar variable \"%1\".").arg(peek().text)});
        call.parts = name(&call.nameText);
        if (!startsExpression())
            return call;
        do {
            ProcArg arg;
            if (peek().kind == Tok::Var && isOp(QStringLiteral("="), 1)) {
                arg.name = next().text;
                next();
            }
            arg.value = argument();
            if (acceptKw("output") || acceptKw("out"))
                arg.output = true;
            call.args << arg;
        } while (acceptOp(QStringLiteral(",")));
        return call;
    }

    QList<WithOption> withOptions()
    {
        QList<WithOption> out;
        if (!acceptKw("with"))
            return out;
        do {
            WithOption o;
            const Tok tok = peek();
            if (tok.kind != Tok::Ident)
                fail();
            next();
            o.name = tok.value.toLower();
            if (o.name == QLatin1String("move")) {
                o.value = expr();
                expectKw("to");
                o.moveTo = expr();
            } else if (acceptOp(QStringLiteral("="))) {
                o.value = argument();
            }
            out << o;
        } while (acceptOp(QStringLiteral(",")));
        return out;
    }

    std::function<void(Engine &)> setStatement()
    {
        if (peek().kind == Tok::Var)
            failWith({137, 15, 2, QStringLiteral("Must declare the scalar variable \"%1\".").arg(peek().text)});
        if (acceptKw("transaction")) {
            expectKw("isolation");
            expectKw("level");
            if (acceptKw("read")) {
                if (!acceptKw("committed"))
                    expectKw("uncommitted");
            } else if (acceptKw("repeatable")) {
                expectKw("read");
            } else if (!acceptKw("serializable")) {
                expectKw("snapshot");
            }
            return [](Engine &e) { e.setNothing(); };
        }
        QStringList options;
        do {
            const Tok tok = peek();
            if (tok.kind != Tok::Ident)
                fail();
            next();
            QString option = tok.value.toLower();
            if (option == QLatin1String("statistics") && peek().kind == Tok::Ident)
                option += QLatin1Char(' ') + next().value.toLower();
            if (!onOffOptions().contains(option) && !valueOptions().contains(option))
                failWith({195, 15, 10, QStringLiteral("'%1' is not a recognized SET option.").arg(tok.value)});
            options << option;
        } while (acceptOp(QStringLiteral(",")));
        if (options.size() == 1 && valueOptions().contains(options.first())) {
            ExprP value = argument();
            const QString option = options.first();
            return [option, value](Engine &e) { e.setValue(option, value); };
        }
        for (const QString &o : options)
            if (!onOffOptions().contains(o))
                fail();
        bool on = false;
        if (acceptKw("on"))
            on = true;
        else
            expectKw("off");
        return [options, on](Engine &e) { e.setOnOff(options, on); };
    }

    SelectStmt selectBody()
    {
        SelectStmt s;
        acceptKw("all");
        if (acceptKw("top")) {
            const bool paren = acceptOp(QStringLiteral("("));
            if (peek().kind != Tok::Number)
                fail();
            s.top = next().value.toLongLong();
            if (paren)
                expectOp(QStringLiteral(")"));
        }
        do {
            SelectItem item;
            if (acceptOp(QStringLiteral("*"))) {
                item.star = true;
            } else if ((peek().kind == Tok::Ident || peek().kind == Tok::QuotedIdent) && isOp(QStringLiteral("="), 1)
                       && !isReserved(peek())) {
                item.alias = next().value;
                next();
                item.expr = expr();
            } else {
                item.expr = expr();
                if (acceptKw("as")) {
                    const Tok a = next();
                    if (a.kind != Tok::Ident && a.kind != Tok::QuotedIdent && a.kind != Tok::String)
                        fail();
                    item.alias = a.value;
                } else if ((peek().kind == Tok::Ident && !isReserved(peek())) || peek().kind == Tok::QuotedIdent
                           || peek().kind == Tok::String) {
                    item.alias = next().value;
                }
            }
            s.items << item;
        } while (acceptOp(QStringLiteral(",")));
        if (acceptKw("from")) {
            s.hasFrom = true;
            s.from = name(&s.fromText);
            // A table alias is accepted and ignored.
            if (acceptKw("as") || (peek().kind == Tok::Ident && !isReserved(peek())))
                next();
            if (acceptKw("where"))
                s.where = expr();
            if (acceptKw("order")) {
                expectKw("by");
                do {
                    OrderItem o;
                    o.expr = expr();
                    if (acceptKw("desc"))
                        o.descending = true;
                    else
                        acceptKw("asc");
                    s.orderBy << o;
                } while (acceptOp(QStringLiteral(",")));
            }
        } else if (isKw("where") || isKw("order")) {
            fail();
        }
        return s;
    }
};

} // namespace

QList<Tok> tokenize(const QString &sql)
{
    QList<Tok> out;
    const int n = int(sql.size());
    int i = 0;
    int line = 1;
    auto at = [&](int k) { return k < n ? sql[k] : QChar(); };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\n')) {
            ++line;
            ++i;
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
            int depth = 0;
            const int startLine = line;
            while (i < n) {
                if (sql[i] == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
                    ++depth;
                    i += 2;
                } else if (sql[i] == QLatin1Char('*') && at(i + 1) == QLatin1Char('/')) {
                    i += 2;
                    if (--depth == 0)
                        break;
                } else {
                    if (sql[i] == QLatin1Char('\n'))
                        ++line;
                    ++i;
                }
            }
            if (depth > 0)
                throw ParseError{{{113, 15, 1, QStringLiteral("Missing end comment mark '*/'.")}}, startLine};
            continue;
        }
        // A string or quoted name: the closing character doubled stands for itself.
        auto readDelimited = [&](QChar close, int tokLine) {
            QString value;
            while (i < n) {
                if (sql[i] == close) {
                    if (at(i + 1) == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    return value;
                }
                if (sql[i] == QLatin1Char('\n'))
                    ++line;
                value += sql[i++];
            }
            throw ParseError{{{105, 15, 1,
                               QStringLiteral("Unclosed quotation mark after the character string '%1'.").arg(value)},
                              syntaxNear(value)},
                             tokLine};
        };
        Tok tok;
        tok.line = line;
        const int start = i;
        const bool nString = (c == QLatin1Char('N') || c == QLatin1Char('n')) && at(i + 1) == QLatin1Char('\'');
        if (c == QLatin1Char('\'') || nString) {
            if (nString)
                ++i;
            ++i;
            const QString value = readDelimited(QLatin1Char('\''), tok.line);
            tok.kind = Tok::String;
            tok.value = value;
            tok.unicode = nString;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            ++i;
            const QString value = readDelimited(close, tok.line);
            tok.kind = Tok::QuotedIdent;
            tok.value = value;
        } else if (c.isDigit() || (c == QLatin1Char('.') && at(i + 1).isDigit())) {
            if (c == QLatin1Char('0') && (at(i + 1) == QLatin1Char('x') || at(i + 1) == QLatin1Char('X'))) {
                i += 2;
                while (i < n && isxdigit(sql[i].toLatin1()))
                    ++i;
            } else {
                while (i < n && sql[i].isDigit())
                    ++i;
                if (at(i) == QLatin1Char('.')) {
                    ++i;
                    while (i < n && sql[i].isDigit())
                        ++i;
                }
            }
            tok.kind = Tok::Number;
            tok.value = sql.mid(start, i - start);
        } else if (c == QLatin1Char('@')) {
            const bool sys = at(i + 1) == QLatin1Char('@');
            i += sys ? 2 : 1;
            while (i < n && isIdentPart(sql[i]))
                ++i;
            tok.kind = sys ? Tok::SysVar : Tok::Var;
            tok.value = sql.mid(start + (sys ? 2 : 1), i - start - (sys ? 2 : 1));
        } else if (isIdentStart(c)) {
            while (i < n && isIdentPart(sql[i]))
                ++i;
            tok.kind = Tok::Ident;
            tok.value = sql.mid(start, i - start);
        } else {
            static const QStringList twoChar = {QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"),
                                                QStringLiteral("!="), QStringLiteral("!<"), QStringLiteral("!>")};
            const QString two = sql.mid(i, 2);
            tok.kind = Tok::Op;
            if (twoChar.contains(two)) {
                tok.value = two;
                i += 2;
            } else {
                tok.value = QString(c);
                ++i;
            }
        }
        tok.text = sql.mid(start, i - start);
        out << tok;
    }
    Tok end;
    end.kind = Tok::End;
    end.line = line;
    out << end;
    return out;
}

QList<Stmt> parseBatch(const QString &sql)
{
    Parser parser(tokenize(sql));
    return parser.batch();
}

QString sqlLiteral(const Value &v)
{
    if (v.null)
        return QStringLiteral("NULL");
    switch (v.type.base) {
    case SqlType::Int:
    case SqlType::Bit:
    case SqlType::Numeric:
    case SqlType::VarBinary:
        return v.toText();
    case SqlType::Guid:
    case SqlType::DateTime:
    default: {
        QString s = v.toText();
        s.replace(QLatin1Char('\''), QStringLiteral("''"));
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    }
    }
}

} // namespace sqlsim

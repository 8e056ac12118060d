#pragma once

// Requests after logon: the text of a SQL batch, RPC calls with their
// parameters, transaction manager requests, and what an RPC call runs.

#include "SimEngine.h"

namespace sqlsim {

struct RpcParam
{
    QString name;
    bool output = false;
    Value value;
};

struct RpcCall
{
    QString name; // lower-case name, also for calls by procedure id
    QString nameText; // as sent
    QList<RpcParam> params;
};

struct TmRequest
{
    enum Kind { Begin = 5, Commit = 7, Rollback = 8 };
    int type = 0;
    bool beginAnother = false;
};

QString batchText(const QByteArray &payload, int version); // throws Malformed
QList<RpcCall> parseRpc(const QByteArray &payload, int version); // throws Malformed
TmRequest parseTransactionRequest(const QByteArray &payload, int version); // throws Malformed

// Puts parameter values into a statement as literals, by the names the
// definition string declares ("@P1 varchar(9),@P2 int") or by their own names.
QString bindParameters(const QString &sql, const QString &definitions, const QList<RpcParam> &values);

// What an RPC call does, worked out when it arrives so that the statement can
// be logged before any delay.
struct RpcPlan
{
    enum Kind { Execute, Prepare, Unprepare, Refuse };
    Kind kind = Execute;
    QString sql; // what runs, parameters put in; what the log shows
    bool logged = true;
    int handle = 0;
    bool returnsHandle = false;
    QString handleName;
    SqlError error; // Refuse
};

RpcPlan planRpc(const RpcCall &call, Session &session);
void runRpc(const RpcPlan &plan, Engine &engine, Reply &reply, const QString &serverName);
// The RPC's return status, handle and DONEPROC after its statement's tokens.
void finishRpc(const RpcPlan &plan, Reply &reply);

} // namespace sqlsim

// A SQL Server simulator to try the program against by hand:
//   orvell-sqlsim --port 14330 --login sa:Secret#1 --database Sales --root /tmp/sqlroot
// It listens on 127.0.0.1 only and runs until it is killed.

#include "SqlSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvell-sqlsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("SQL Server simulator for trials (loopback only)."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on, 0 for any."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption login(QStringLiteral("login"), QStringLiteral("A logon (repeatable)."),
                                   QStringLiteral("USER:PASSWORD"));
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("A database (repeatable)."),
                                      QStringLiteral("NAME"));
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("Local folder that C:\\ maps to."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption serverName(QStringLiteral("server-name"), QStringLiteral("The server's own name."),
                                        QStringLiteral("NAME"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Wait before each answer."),
                                   QStringLiteral("MS"));
    parser.addOptions({port, login, database, root, serverName, delay});
    parser.process(app);

    SqlSimulator sim;
    for (const QString &l : parser.values(login)) {
        const int colon = int(l.indexOf(QLatin1Char(':')));
        if (colon <= 0) {
            std::fprintf(stderr, "orvell-sqlsim: --login wants USER:PASSWORD, got '%s'\n", qPrintable(l));
            return 2;
        }
        sim.addLogin(l.left(colon), l.mid(colon + 1));
    }
    for (const QString &d : parser.values(database))
        sim.addDatabase(d);
    if (parser.isSet(root))
        sim.setFileRoot(parser.value(root));
    if (parser.isSet(serverName))
        sim.setServerName(parser.value(serverName));
    if (parser.isSet(delay))
        sim.setDelayMs(parser.value(delay).toInt());

    bool ok = false;
    const uint wanted = parser.value(port).toUInt(&ok);
    if (!ok || wanted > 65535) {
        std::fprintf(stderr, "orvell-sqlsim: bad --port '%s'\n", qPrintable(parser.value(port)));
        return 2;
    }
    const quint16 bound = sim.start(quint16(wanted));
    if (bound == 0) {
        std::fprintf(stderr, "orvell-sqlsim: cannot listen on 127.0.0.1:%u\n", wanted);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\n", unsigned(bound));
    std::fflush(stdout);
    return app.exec();
}

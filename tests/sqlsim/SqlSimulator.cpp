#include "SqlSimulator.h"

// Placeholder until the server is in: the interface links and does nothing.
struct SqlSimulator::State {};
struct SqlSimulator::Runner {};

SqlSimulator::SqlSimulator() : m_state(std::make_shared<State>()) {}
SqlSimulator::~SqlSimulator() = default;
quint16 SqlSimulator::start(quint16) { return 0; }
void SqlSimulator::stop() {}
bool SqlSimulator::isRunning() const { return false; }
quint16 SqlSimulator::port() const { return 0; }
QString SqlSimulator::dataSource() const { return QString(); }
QString SqlSimulator::oleDbConnectionString(const QString &, const QString &, const QString &) const { return QString(); }
void SqlSimulator::addLogin(const QString &, const QString &) {}
void SqlSimulator::setServerName(const QString &) {}
void SqlSimulator::addDatabase(const QString &) {}
void SqlSimulator::removeDatabase(const QString &) {}
bool SqlSimulator::hasDatabase(const QString &) const { return false; }
QStringList SqlSimulator::databases() const { return {}; }
void SqlSimulator::setFileRoot(const QString &) {}
QString SqlSimulator::fileRoot() const { return QString(); }
void SqlSimulator::setDataFolder(const QString &) {}
QString SqlSimulator::dataFolder() const { return QString(); }
QString SqlSimulator::mapPath(const QString &) const { return QString(); }
QString SqlSimulator::toServerPath(const QString &) const { return QString(); }
void SqlSimulator::setSysfilesPadded(bool) {}
void SqlSimulator::setRefuseLogons(bool) {}
void SqlSimulator::setDelayMs(int) {}
void SqlSimulator::dropConnectionOn(const QString &) {}
void SqlSimulator::failStatement(const QString &, int, int, const QString &) {}
void SqlSimulator::clearFailures() {}
QStringList SqlSimulator::batches() const { return {}; }
void SqlSimulator::clearBatches() {}
int SqlSimulator::connectionCount() const { return 0; }

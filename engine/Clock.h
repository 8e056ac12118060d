#pragma once

#include <QDateTime>

// Moments in the engine are local wall-clock times. They are held in QDateTime
// marked as UTC so that arithmetic never crosses a zone or DST rule;
// only LocalNow() looks at the real clock.
QDateTime LocalNow();
QDateTime WallClock(const QDate &date, const QTime &time = QTime(0, 0));

// The scheduler and the pass take "now" from a clock so tests can fix it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return LocalNow(); }
    static const Clock &system();
};

// A clock the tests set by hand; optionally advancing by a step on each read.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime at = {}, qint64 stepMs = 0)
        : m_at(std::move(at))
        , m_stepMs(stepMs)
    {
    }
    QDateTime now() const override
    {
        QDateTime at = m_at;
        m_at = m_at.addMSecs(m_stepMs);
        return at;
    }
    void set(const QDateTime &at) { m_at = at; }

private:
    mutable QDateTime m_at;
    qint64 m_stepMs;
};

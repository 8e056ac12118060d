#pragma once

#include <QList>
#include <QString>
#include <QTime>

// The weekday and month lists of a task ("1,3,7"): box N carries code N.

// Codes of the checked boxes in ascending order, joined by "," without blanks;
// no box checked gives the empty text.
QString JoinCodeList(const QList<bool> &checked);

// Which of count boxes a stored list checks. An element checks box N only when
// it is exactly the decimal text of N, so " 3" or "03" checks nothing; order
// and repetitions do not matter.
QList<bool> ParseCodeList(const QString &list, int count);

// The time of day a stored hour and minute name, or 00:00 when they form none
// (a hand-edited or damaged task file), so such a task can still be opened
// and corrected.
QTime StoredTimeOfDay(int hour, int minute);

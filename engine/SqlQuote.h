#pragma once

#include <QString>

// Names and texts that go into a statement: "]" doubled inside [...], "'"
// doubled inside '...', so no name or path can end its quotes early.
QString BracketQuoted(const QString &name); // [name]
QString TextQuoted(const QString &text);    // 'text'

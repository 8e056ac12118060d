#pragma once

#include <QByteArray>

// The additive cipher of the task file and the stored SQL password.
// Byte i is combined with key character (i + 1) mod 10; Add enciphers,
// Subtract deciphers, both modulo 256.
enum class CipherDirection { Add, Subtract };

QByteArray CipherBytes(const QByteArray &text, const QByteArray &key, CipherDirection direction);
// The same over a buffer of its caller, position 0 at data.
void CipherInPlace(char *data, qsizetype size, const QByteArray &key, CipherDirection direction);

inline constexpr char CipherKey[] = "7316048529";

QByteArray Crypt(const QByteArray &plain);    // enciphers with CipherKey
QByteArray EnCrypt(const QByteArray &cipher); // deciphers with CipherKey

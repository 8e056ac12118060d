#include "uEncrypt.h"

void CipherInPlace(char *data, qsizetype size, const QByteArray &key, CipherDirection direction)
{
    const qsizetype keyLength = key.size();
    if (keyLength == 0 || size <= 0)
        return;
    // The key laid out from position 0 on over a block whose length is a
    // multiple of the key's, so the inner loop has no modulo and vectorises.
    constexpr qsizetype Block = 640;
    const qsizetype block = keyLength <= Block ? Block - Block % keyLength : keyLength;
    QByteArray pattern(block, Qt::Uninitialized);
    for (qsizetype i = 0; i < block; ++i) {
        const auto k = static_cast<unsigned char>(key[(i + 1) % keyLength]);
        pattern[i] = static_cast<char>(direction == CipherDirection::Add ? k : (256 - k) & 0xFF);
    }
    auto *bytes = reinterpret_cast<unsigned char *>(data);
    const auto *k = reinterpret_cast<const unsigned char *>(pattern.constData());
    for (qsizetype start = 0; start < size; start += block) {
        const qsizetype n = qMin(block, size - start);
        unsigned char *b = bytes + start;
        for (qsizetype i = 0; i < n; ++i)
            b[i] = static_cast<unsigned char>(b[i] + k[i]);
    }
}

QByteArray CipherBytes(const QByteArray &text, const QByteArray &key, CipherDirection direction)
{
    QByteArray out(text.constData(), text.size());
    CipherInPlace(out.data(), out.size(), key, direction);
    return out;
}

QByteArray Crypt(const QByteArray &plain)
{
    return CipherBytes(plain, QByteArray(CipherKey), CipherDirection::Add);
}

QByteArray EnCrypt(const QByteArray &cipher)
{
    return CipherBytes(cipher, QByteArray(CipherKey), CipherDirection::Subtract);
}

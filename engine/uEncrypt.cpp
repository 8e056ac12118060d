#include "uEncrypt.h"

QByteArray CipherBytes(const QByteArray &text, const QByteArray &key, CipherDirection direction)
{
    if (key.isEmpty())
        return text;
    QByteArray out = text;
    const qsizetype keyLength = key.size();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto k = static_cast<unsigned char>(key[(i + 1) % keyLength]);
        const auto b = static_cast<unsigned char>(out[i]);
        out[i] = static_cast<char>(direction == CipherDirection::Add ? b + k : b - k);
    }
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

#include "base64_text.h"

#include <QRandomGenerator>
#include <QString>
#include <gtest/gtest.h>

using panelfile::decodeBase64Lenient;

// The reader used QByteArray::fromBase64 before; files that decoded one way must keep doing so.
TEST(Base64Text, DecodesLikeQtsLenientDecoder)
{
    const QString cases[] = {
        QString(),
        QStringLiteral("TWFu"),
        QStringLiteral("TWE="),
        QStringLiteral("TQ=="),
        QStringLiteral("TQ"),
        QStringLiteral("T"),
        QStringLiteral("TWFu\r\nTWFu"),
        QStringLiteral("TW=Fu"), // padding in the middle is skipped, decoding goes on
        QStringLiteral("TWFu====TWFu"),
        QStringLiteral("!!!TW@Fu#"),
        QStringLiteral("SGVsbG8g\u4e16\u754cV29ybGQ="), // non-Latin-1 characters are skipped
        QStringLiteral("-_-_"),                         // the URL alphabet is not the standard one
        QStringLiteral("++//"),
        QString(QChar(0x00e9)) + QStringLiteral("TWFu"),
    };
    for (const QString &c : cases)
        EXPECT_EQ(decodeBase64Lenient(c), QByteArray::fromBase64(c.toLatin1())) << c.toStdString();
}

TEST(Base64Text, RandomTextsMatchAndEncodedBytesRoundTrip)
{
    QRandomGenerator rng(7);
    const QString alphabet = QStringLiteral("ABCxyz019+/=\n -*\u00ff\u0100");
    for (int round = 0; round < 200; ++round) {
        QString text;
        const int n = int(rng.bounded(64));
        for (int i = 0; i < n; ++i)
            text += alphabet[int(rng.bounded(alphabet.size()))];
        ASSERT_EQ(decodeBase64Lenient(text), QByteArray::fromBase64(text.toLatin1())) << text.toStdString();

        QByteArray bytes(int(rng.bounded(300)), Qt::Uninitialized);
        for (char &b : bytes)
            b = char(rng.bounded(256));
        ASSERT_EQ(decodeBase64Lenient(QString::fromLatin1(bytes.toBase64())), bytes);
    }
}

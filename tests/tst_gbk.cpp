#include "Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestGbk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(Gbk::available()); }

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << u"ab\r\n"_qs << QByteArray("ab\r\n");
        QTest::newRow("chinese and full-width comma") << u"中文，"_qs << QByteArray::fromHex("d6d0cec4a3ac");
        QTest::newRow("euro is one byte") << u"€"_qs << QByteArray::fromHex("80");
        QTest::newRow("hangul becomes ?") << u"한"_qs << QByteArray("?");
        QTest::newRow("emoji is one ?") << u"😀"_qs << QByteArray("?");
        QTest::newRow("lone high surrogate at end") << QString(QChar(0xD800)) << QByteArray("?");
        QTest::newRow("NUL") << QString(QChar(0)) << QByteArray(1, '\0');
        QTest::newRow("soft hyphen is ?") << u"a\u00ADb"_qs << QByteArray("a?b");
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Gbk::encode(text), bytes);
    }

    // The lookup table against the converter itself, character by character, over the whole BMP.
    void countMatchesConverter()
    {
        QStringEncoder encoder("GBK");
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const QString s{QChar(char16_t(c))};
            QByteArray b = encoder.encode(s);
            if (b.isEmpty())
                b = "?"; // ICU drops unmappable ignorables; code page 936 writes "?"
            const bool chinese = b.size() == 2 || (b.size() == 1 && quint8(b[0]) >= 0x80);
            const Gbk::Counts counts = Gbk::count(s);
            if (counts.bytes != b.size() || counts.chinese != (chinese ? 1 : 0))
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(quint32(c), 4, 16, QLatin1Char('0'))));
        }
    }

    void countSurrogates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("pair is one character") << u"😀"_qs << qint64(1);
        QTest::newRow("lone low") << QString(QChar(0xDC00)) << qint64(1);
        QTest::newRow("lone high then pair") << QString(QChar(0xD800)) + u"😀"_qs << qint64(2);
        QTest::newRow("pair then lone low") << u"😀"_qs + QChar(0xDC00) << qint64(2);
    }
    void countSurrogates()
    {
        QFETCH(QString, text);
        QFETCH(qint64, bytes);
        QCOMPARE(Gbk::count(text).bytes, bytes);
        QCOMPARE(Gbk::count(text).chinese, qint64(0));
    }

    void losslessKeepsEverything_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("gbk text") << u"绿茶|http://a.example/?q=1€\r\n"_qs;
        QTest::newRow("hangul") << u"한국어"_qs;
        QTest::newRow("emoji and extension B") << u"😀𠀀x"_qs;
        QTest::newRow("U+0080") << QString(QChar(0x80));
        QTest::newRow("mixed") << u"中한文😀€"_qs;
    }
    void losslessKeepsEverything()
    {
        QFETCH(QString, text);
        const QByteArray bytes = Gbk::encodeLossless(text);
        QCOMPARE(Gbk::decode(bytes), text);
    }

    void losslessIsGbkWhereGbkCan()
    {
        const QString text = u"ab中文，€·—\r\n"_qs;
        QCOMPARE(Gbk::encodeLossless(text), Gbk::encode(text));
        const QByteArray hangul = Gbk::encodeLossless(u"한"_qs);
        QCOMPARE(hangul.size(), 4);
        QCOMPARE(QString(QStringDecoder("GB18030").decode(hangul)), u"한"_qs);
    }

    // Every way of cutting the bytes into two pieces decodes to the same text as one piece.
    void decoderAcrossPieces()
    {
        const QString text = u"a中😀b€한文\r\n"_qs;
        const QByteArray bytes = Gbk::encodeLossless(text);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            Gbk::Decoder d;
            QString out = d.decode(QByteArrayView(bytes).first(cut));
            out += d.decode(QByteArrayView(bytes).sliced(cut));
            out += d.finish();
            QCOMPARE(out, text);
        }
        Gbk::Decoder byteByByte;
        QString out;
        for (char b : bytes)
            out += byteByByte.decode(QByteArrayView(&b, 1));
        QCOMPARE(out + byteByByte.finish(), text);
    }

    void decoderBadBytes()
    {
        Gbk::Decoder d;
        const QString s = d.decode(QByteArray::fromHex("41ff81"));
        QVERIFY(s.startsWith(QLatin1Char('A')));
        QCOMPARE(d.finish(), QString(QChar::ReplacementCharacter));   // the dangling lead byte
        QCOMPARE(Gbk::decode(QByteArray::fromHex("8130")).size(), 2); // half a four-byte form
    }
};

QTEST_GUILESS_MAIN(TestGbk)
#include "tst_gbk.moc"

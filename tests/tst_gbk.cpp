#include "Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestGbk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(Gbk::available()); }

    // Bytes as code page 936 writes them, and the lossless form where that differs.
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("gbk");
        QTest::addColumn<QByteArray>("lossless");
        QTest::newRow("ascii and CR LF") << "ab\r\n" << QByteArray("ab\r\n") << QByteArray("ab\r\n");
        QTest::newRow("chinese, full-width comma")
            << "中文，" << QByteArray::fromHex("d6d0cec4a3ac") << QByteArray::fromHex("d6d0cec4a3ac");
        QTest::newRow("euro is one byte") << "€" << QByteArray::fromHex("80") << QByteArray::fromHex("80");
        QTest::newRow("hangul") << "한" << QByteArray("?") << QByteArray::fromHex("83368433");
        QTest::newRow("emoji is one character") << "😀" << QByteArray("?") << QByteArray::fromHex("9439fc36");
        QTest::newRow("soft hyphen is not dropped") << "a\u00ADb" << QByteArray("a?b")
                                                    << QByteArray::fromHex("6181308532"
                                                                           "62");
        QTest::newRow("lone surrogate at end") << QString(QChar(0xD800)) << QByteArray("?") << QByteArray("?");
        QTest::newRow("NUL") << QString(QChar(0)) << QByteArray(1, '\0') << QByteArray(1, '\0');
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, gbk);
        QFETCH(QByteArray, lossless);
        QCOMPARE(Gbk::encode(text), gbk);
        QCOMPARE(Gbk::encodeLossless(text), lossless);
        if (!text[0].isSurrogate())
            QCOMPARE(Gbk::decode(lossless), text);
        QCOMPARE(Gbk::count(text).bytes, gbk.size());
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
            const bool chinese = b.size() == 2 || quint8(b[0]) >= 0x80;
            const Gbk::Counts counts = Gbk::count(s);
            if (counts.bytes != b.size() || counts.chinese != (chinese ? 1 : 0))
                QFAIL(qPrintable(QString("U+%1").arg(quint32(c), 4, 16, QChar('0'))));
        }
        // A surrogate pair is one character; lone halves are one each.
        QCOMPARE(Gbk::count(QString(QChar(0xD800)) + "😀" + QChar(0xDC00)).bytes, 3);
    }

    // Every way of cutting the bytes into two pieces decodes to the same text as one piece.
    void decoderAcrossPieces()
    {
        const QString text = "a中😀b€한文\r\n";
        const QByteArray bytes = Gbk::encodeLossless(text);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            Gbk::Decoder d;
            QString out = d.decode(QByteArrayView(bytes).first(cut));
            out += d.decode(QByteArrayView(bytes).sliced(cut));
            QCOMPARE(out + d.finish(), text);
        }
        Gbk::Decoder bad;
        QVERIFY(bad.decode(QByteArray::fromHex("41ff81")).startsWith('A'));
        QCOMPARE(bad.finish(), QString(QChar::ReplacementCharacter)); // the dangling lead byte
    }
};

QTEST_GUILESS_MAIN(TestGbk)
#include "tst_gbk.moc"

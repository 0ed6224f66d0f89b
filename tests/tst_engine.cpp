#include "FakeHost.h"
#include "Insertion.h"
#include "KeywordTable.h"
#include "LinkInserter.h"
#include "Markup.h"
#include "Statistics.h"
#include "TextCut.h"

#include <QTest>

#include <cmath>

namespace {
constexpr BoxState Off = BoxState::Unchecked;
constexpr BoxState On = BoxState::Checked;
constexpr BoxState Gray = BoxState::Grayed;

QString chinese(int n)
{
    return QString(n, QChar(0x4E2D));
}

// Draws with a fixed seed and a clock that advances like a fast machine's.
ClockStirredRandom seededRandom(quint64 seed)
{
    quint64 t = 1'000'000;
    return ClockStirredRandom({seed, seed * 3 + 1, seed * 7 + 2, seed * 11 + 3}, [t]() mutable { return t += 37; });
}

double chiSquare(RandomSource &random, qsizetype n, int draws)
{
    QList<int> hits(n, 0);
    for (int k = 0; k < draws; ++k) {
        const qsizetype p = random.position(n);
        if (p < 1 || p > n)
            return 1e9;
        ++hits[p - 1];
    }
    const double expected = double(draws) / double(n);
    double chi = 0;
    for (int h : hits)
        chi += (h - expected) * (h - expected) / expected;
    return chi;
}
} // namespace

Q_DECLARE_METATYPE(BoxState)

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void markup_data()
    {
        QTest::addColumn<QString>("keyWord");
        QTest::addColumn<QString>("link");
        QTest::addColumn<BoxState>("bold");
        QTest::addColumn<BoxState>("italic");
        QTest::addColumn<BoxState>("newWindow");
        QTest::addColumn<QString>("expected");
        const QString K = u"K"_qs, L = u"L"_qs;
        QTest::newRow("none") << K << L << Off << Off << Off << u"<a href=\"L\" alt=\"K\">K</a>"_qs;
        QTest::newRow("bold") << K << L << On << Off << Off << u"<B><a href=\"L\" alt=\"K\">K</a></B>"_qs;
        QTest::newRow("italic") << K << L << Off << On << Off << u"<I><a href=\"L\" alt=\"K\">K</a></I>"_qs;
        QTest::newRow("bold italic") << K << L << On << On << Off << u"<I><B><a href=\"L\" alt=\"K\">K</a></B></I>"_qs;
        QTest::newRow("new window") << K << L << Off << Off << On
                                    << u"<a href=\"L\" target=\"_blank\" alt=\"K\">K</a>"_qs;
        QTest::newRow("all three") << K << L << On << On << On
                                   << u"<I><B><a href=\"L\" target=\"_blank\" alt=\"K\">K</a></B></I>"_qs;
        QTest::newRow("all grayed") << K << L << Gray << Gray << Gray << u"<a href=\"L\" alt=\"K\">K</a>"_qs;
        QTest::newRow("bold on, italic grayed")
            << K << L << On << Gray << Off << u"<B><a href=\"L\" alt=\"K\">K</a></B>"_qs;
        QTest::newRow("new window grayed, italic on")
            << K << L << Off << On << Gray << u"<I><a href=\"L\" alt=\"K\">K</a></I>"_qs;
        QTest::newRow("empty keyword") << QString() << L << Off << Off << Off << u"<a href=\"L\" alt=\"\"></a>"_qs;
        QTest::newRow("empty link") << K << QString() << Off << Off << Off << u"<a href=\"\" alt=\"K\">K</a>"_qs;
        QTest::newRow("link holds keyword placeholder")
            << u"茶"_qs << u"x关键字Ay"_qs << Off << Off << Off << u"<a href=\"x茶y\" alt=\"茶\">茶</a>"_qs;
        QTest::newRow("keyword holds link placeholder")
            << u"链接A"_qs << L << Off << Off << Off << u"<a href=\"L\" alt=\"链接A\">链接A</a>"_qs;
        QTest::newRow("alt= in link, new window")
            << K << u"a.html?alt=1"_qs << Off << Off << On
            << u"<a href=\"a.html?target=\"_blank\" alt=1\" target=\"_blank\" alt=\"K\">K</a>"_qs;
        QTest::newRow("alt= in keyword, new window")
            << u"alt="_qs << L << Off << Off << On
            << u"<a href=\"L\" target=\"_blank\" alt=\"target=\"_blank\" alt=\">target=\"_blank\" alt=</a>"_qs;
        QTest::newRow("quotes and bar") << u"a\"|b"_qs << u"c|d"_qs << Off << Off << Off
                                        << u"<a href=\"c|d\" alt=\"a\"|b\">a\"|b</a>"_qs;
    }
    void markup()
    {
        QFETCH(QString, keyWord);
        QFETCH(QString, link);
        QFETCH(BoxState, bold);
        QFETCH(BoxState, italic);
        QFETCH(BoxState, newWindow);
        QFETCH(QString, expected);
        QCOMPARE(BuildMarkup(keyWord, link, {bold, italic, newWindow}), expected);
    }

    void textCut()
    {
        QCOMPARE(GetLeftPart(u"abXYcdXY"_qs, u"XY"_qs), u"ab"_qs);
        QCOMPARE(GetRightPart(u"abXYcdXY"_qs, u"XY"_qs), u"cdXY"_qs);
        QCOMPARE(GetBetweenPart(u"a[b]c[d]"_qs, u"["_qs, u"]"_qs), u"b"_qs);
        QCOMPARE(GetLeftPart(u"abc"_qs, u"z"_qs), QString());
        QCOMPARE(GetRightPart(u"abc"_qs, u"z"_qs), QString());
        QCOMPARE(GetBetweenPart(u"x]y[z"_qs, u"["_qs, u"]"_qs), QString());
        QCOMPARE(GetBetweenPart(u"a[b"_qs, u"["_qs, u"]"_qs), QString());
    }

    void insertionPoints_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        const int table[][3] = {{80, 26, 62},  {90, 30, 70},  {99, 33, 77},    {100, 33, 77},
                                {101, 33, 78}, {102, 34, 79}, {300, 100, 233}, {0, 0, 0}};
        for (const auto &row : table)
            QTest::addRow("L=%d", row[0]) << row[0] << row[1] << row[2];
    }
    void insertionPoints()
    {
        QFETCH(int, length);
        QFETCH(int, first);
        QFETCH(int, second);
        const InsertionPoints p = InsertionPointsFor(length);
        QCOMPARE(p.first, first);
        QCOMPARE(p.second, second);
    }

    void insertPairAt100()
    {
        QString article;
        for (int i = 0; i < 100; ++i)
            article += QChar(u'a' + i % 26);
        const QString out = InsertPair(article, u"<1>"_qs, u"<2>"_qs);
        QCOMPARE(out, article.left(33) + u"<1>"_qs + article.mid(33, 44) + u"<2>"_qs + article.mid(77));
    }

    void statistics_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("empty") << QString() << qint64(0) << qint64(0);
        QTest::newRow("worked example") << u"ab中文，\r\n"_qs << qint64(3) << qint64(10);
        QTest::newRow("euro") << u"€"_qs << qint64(1) << qint64(1);
        QTest::newRow("ascii html") << u"<p>Hello, world</p>\t"_qs << qint64(0) << qint64(20);
        QTest::newRow("full-width punctuation") << u"，。：！？（）"_qs << qint64(7) << qint64(14);
        QTest::newRow("hangul and emoji count nothing") << u"한😀"_qs << qint64(0) << qint64(2);
        QTest::newRow("NUL and lone surrogate") << QString(QChar(0)) + QChar(0xD800) << qint64(0) << qint64(2);
        QTest::newRow("last character counts") << u"abc文"_qs << qint64(1) << qint64(5);
    }
    void statistics()
    {
        QFETCH(QString, article);
        QFETCH(qint64, count);
        QFETCH(qint64, bytes);
        const ArticleStatistics s = CountArticle(article);
        QCOMPARE(s.chinese, count);
        QCOMPARE(s.bytes, bytes);
    }

    void tongjiTextAndCount()
    {
        KeywordTable table;
        FakeHost host;
        ScriptedRandom random;
        LinkInserter engine(table, host, random);
        host.article = u"ab中文，\r\n"_qs;
        QCOMPARE(engine.Tongji(), u"（全文共3个汉字-大小：10字节）"_qs);
        QCOMPARE(engine.HanziCount(), 3);
        host.article.clear();
        QCOMPARE(engine.Tongji(), u"（全文共0个汉字-大小：0字节）"_qs);
        QCOMPARE(engine.HanziCount(), 0);
    }

    void pairDraw_data()
    {
        QTest::addColumn<QList<qsizetype>>("positions");
        QTest::addColumn<bool>("sameRecords");
        QTest::addColumn<int>("calls");
        QTest::addColumn<QString>("preview");
        QTest::newRow("second differs at once") << QList<qsizetype>{2, 1} << false << 2 << u"①B  ②A"_qs;
        QTest::newRow("two retries") << QList<qsizetype>{1, 1, 1, 2} << false << 4 << u"①A  ②B"_qs;
        QTest::newRow("twenty equal draws") << QList<qsizetype>{1} << false << 21 << u"①A  ②A"_qs;
        QTest::newRow("equal mark-up counts as equal") << QList<qsizetype>{1, 2} << true << 21 << u"①A  ②A"_qs;
    }
    void pairDraw()
    {
        QFETCH(QList<qsizetype>, positions);
        QFETCH(bool, sameRecords);
        QFETCH(int, calls);
        QFETCH(QString, preview);
        KeywordTable table;
        table.append(u"A"_qs, u"a"_qs);
        table.append(sameRecords ? u"A"_qs : u"B"_qs, sameRecords ? u"a"_qs : u"b"_qs);
        FakeHost host;
        host.bold = On;
        host.newWindow = On;
        ScriptedRandom random(positions);
        LinkInserter engine(table, host, random);
        engine.GetKey();
        QCOMPARE(random.calls, calls);
        QCOMPARE(host.preview, preview);
        QVERIFY(engine.PendingLink1().startsWith(u"<B><a href="_qs));
    }

    void previewNeedsTwoRecords()
    {
        KeywordTable table;
        FakeHost host;
        ScriptedRandom random({1, 2});
        LinkInserter engine(table, host, random);
        engine.Getkey1();
        QCOMPARE(host.preview, u"关键字少于2个"_qs);
        table.append(u"A"_qs, u"a"_qs);
        table.append(u"B"_qs, u"b"_qs);
        engine.Getkey1();
        QCOMPARE(host.preview, u"①A  ②B"_qs);
        const QString kept = engine.PendingLink1();
        table.remove(1);
        engine.Getkey1();
        QCOMPARE(host.preview, u"关键字少于2个"_qs);
        QCOMPARE(engine.PendingLink1(), kept);
    }

    void generateRefusals_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("chineseChars");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("hanziAfter");
        QTest::newRow("no records") << 0 << 200 << u"关键字少于两个？多加点吧！"_qs << 0;
        QTest::newRow("one record") << 1 << 200 << u"关键字少于两个？多加点吧！"_qs << 0;
        QTest::newRow("79 chinese") << 2 << 79 << u"文章字数不能少于80个字，多写点吧！"_qs << 79;
        QTest::newRow("long ascii article") << 2 << 0 << u"文章字数不能少于80个字，多写点吧！"_qs << 0;
    }
    void generateRefusals()
    {
        QFETCH(int, records);
        QFETCH(int, chineseChars);
        QFETCH(QString, warning);
        QFETCH(int, hanziAfter);
        KeywordTable table;
        for (int i = 0; i < records; ++i)
            table.append(QString::number(i), u"l"_qs);
        FakeHost host;
        host.copy = On;
        host.article = chinese(chineseChars) + QString(500, QLatin1Char('x'));
        ScriptedRandom random({1, 2});
        LinkInserter engine(table, host, random);
        engine.Generate();
        QCOMPARE(host.warnings, QStringList{warning});
        QCOMPARE(engine.HanziCount(), hanziAfter);
        QCOMPARE(host.setTextCount, 0);
        QVERIFY(host.clipboard.isEmpty());
        QCOMPARE(random.calls, 0);
    }

    void generateInserts_data()
    {
        QTest::addColumn<BoxState>("copy");
        QTest::newRow("copy off") << Off;
        QTest::newRow("copy on") << On;
        QTest::newRow("copy grayed") << Gray;
    }
    void generateInserts()
    {
        QFETCH(BoxState, copy);
        KeywordTable table;
        table.append(u"绿茶"_qs, u"g"_qs);
        table.append(u"红茶"_qs, u"r"_qs);
        FakeHost host;
        host.copy = copy;
        const QString article = chinese(78) + u"\r\n"_qs; // 80 units, 78 Chinese ...
        host.article = article + u"文字"_qs;              // ... plus two: exactly 80
        ScriptedRandom random({1, 2, 2, 1});
        LinkInserter engine(table, host, random);
        engine.GetKey();
        QCOMPARE(host.preview, u"①绿茶  ②红茶"_qs);
        const QString l1 = engine.PendingLink1(), l2 = engine.PendingLink2();
        const QString before = host.article;

        engine.Generate();
        QVERIFY(host.warnings.isEmpty());
        QCOMPARE(host.article, before.left(27) + l1 + before.mid(27, 36) + l2 + before.mid(63));
        QCOMPARE(host.setTextCount, 1);
        QCOMPARE(host.clipboard, copy == On ? QStringList{host.article} : QStringList{});
        QCOMPARE(host.preview, u"①红茶  ②绿茶"_qs); // the next pair, not the one just inserted
    }

    void generateBeforeAnyDraw()
    {
        KeywordTable table;
        table.append(u"A"_qs, u"a"_qs);
        table.append(u"B"_qs, u"b"_qs);
        FakeHost host;
        host.article = chinese(90);
        ScriptedRandom random({1, 2});
        LinkInserter engine(table, host, random);
        engine.Generate();
        QCOMPARE(host.article, chinese(90));
        QCOMPARE(host.preview, u"①A  ②B"_qs);
    }

    void generateHugeArticle()
    {
        KeywordTable table;
        table.append(u"A"_qs, u"a"_qs);
        table.append(u"B"_qs, u"b"_qs);
        FakeHost host;
        host.article = QString(5'000'000, QChar(0x6587)) + QChar(0xD800) + QChar(0);
        ScriptedRandom random({1, 2});
        LinkInserter engine(table, host, random);
        engine.GetKey();
        engine.Generate();
        QCOMPARE(host.article.size(), 5'000'002 + engine.PendingLink1().size() * 2);
    }

    void drawIsUniform_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<double>("limit"); // chi-square at p = 0.001
        QTest::newRow("two records") << 2 << 10.83;
        QTest::newRow("ten records") << 10 << 27.88;
    }
    void drawIsUniform()
    {
        QFETCH(int, records);
        QFETCH(double, limit);
        for (quint64 seed : {1ULL, 2ULL, 3ULL}) {
            ClockStirredRandom random = seededRandom(seed);
            QVERIFY2(chiSquare(random, records, 20'000) < limit, qPrintable(QString::number(seed)));
        }
    }

    // A clock that does not move between draws must not make draws repeat: the clock is mixed
    // into the generator, never put in its place.
    void stalledClockKeepsDrawsIndependent()
    {
        ClockStirredRandom random({5, 6, 7, 8}, [] { return quint64(42); });
        QSet<qsizetype> seen;
        for (int i = 0; i < 21; ++i)
            seen.insert(random.position(1'000'000));
        QVERIFY(seen.size() >= 20);
        QVERIFY(chiSquare(random, 10, 20'000) < 27.88);
    }

    void largeTables()
    {
        ClockStirredRandom random = seededRandom(9);
        for (qsizetype n : {qsizetype(1), qsizetype(32'768), qsizetype(100'000), qsizetype(1) << 40}) {
            for (int i = 0; i < 1000; ++i) {
                const qsizetype p = random.position(n);
                QVERIFY(p >= 1 && p <= n);
            }
        }
        // Positions beyond 32,767 are reached.
        bool high = false;
        for (int i = 0; i < 1000 && !high; ++i)
            high = random.position(100'000) > 32'767;
        QVERIFY(high);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"

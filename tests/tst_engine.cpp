#include "FakeHost.h"
#include "Insertion.h"
#include "KeywordTable.h"
#include "LinkInserter.h"
#include "Markup.h"
#include "Statistics.h"
#include "TextCut.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {
using Option = InsertionHost::Option;

// Positions drawn n times over 1..n, scored against a uniform spread; an out-of-range draw fails.
double chiSquare(RandomSource &random, qsizetype n, int draws)
{
    QList<int> hits(n, 0);
    for (int k = 0; k < draws; ++k) {
        const qsizetype p = random.position(n);
        if (p < 1 || p > n)
            return 1e9;
        ++hits[p - 1];
    }
    double chi = 0;
    for (int h : hits)
        chi += (h - double(draws) / n) * (h - double(draws) / n) / (double(draws) / n);
    return chi;
}

struct Fixture
{
    KeywordTable table;
    FakeHost host;
    ScriptedRandom random;
    LinkInserter engine{table, host, random};
    Fixture(QStringList keywords, QList<qsizetype> positions = {1, 2}) : random(std::move(positions))
    {
        for (const QString &k : keywords)
            table.append(k, k.toLower());
    }
};
} // namespace

// The link engine and the keyword table it draws from.
class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void markup_data()
    {
        QTest::addColumn<QString>("keyWord");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("options"); // bold, italic, new window: 0 clear, 1 ticked, 2 grayed
        QTest::addColumn<QString>("expected");
        const char *rows[][5] = {
            {"none", "K", "L", "000", R"(<a href="L" alt="K">K</a>)"},
            {"bold", "K", "L", "100", R"(<B><a href="L" alt="K">K</a></B>)"},
            {"italic", "K", "L", "010", R"(<I><a href="L" alt="K">K</a></I>)"},
            {"new window", "K", "L", "001", R"(<a href="L" target="_blank" alt="K">K</a>)"},
            {"all", "K", "L", "111", R"(<I><B><a href="L" target="_blank" alt="K">K</a></B></I>)"},
            {"all grayed", "K", "L", "222", R"(<a href="L" alt="K">K</a>)"},
            {"empty keyword and link", "", "", "000", R"(<a href="" alt=""></a>)"},
            {"link holds 关键字A", "茶", "x关键字Ay", "000", R"(<a href="x茶y" alt="茶">茶</a>)"},
            {"keyword holds 链接A", "链接A", "L", "000", R"(<a href="L" alt="链接A">链接A</a>)"},
            {"alt= in link", "K", "a.html?alt=1", "001",
             R"(<a href="a.html?target="_blank" alt=1" target="_blank" alt="K">K</a>)"},
            {"alt= in keyword", "alt=", "L", "001",
             R"(<a href="L" target="_blank" alt="target="_blank" alt=">target="_blank" alt=</a>)"},
            {"quotes and bar", "a\"|b", "c|d", "000", R"(<a href="c|d" alt="a"|b">a"|b</a>)"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]) << QString(r[4]);
    }
    void markup()
    {
        QFETCH(QString, keyWord);
        QFETCH(QString, link);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        auto box = [&](int i) { return BoxState(options[i].digitValue()); };
        QCOMPARE(BuildMarkup(keyWord, link, {box(0), box(1), box(2)}), expected);
    }

    void textCut()
    {
        QCOMPARE(GetLeftPart("abXYcdXY", "XY"), "ab");
        QCOMPARE(GetRightPart("abXYcdXY", "XY"), "cdXY");
        QCOMPARE(GetBetweenPart("a[b]c[d]", "[", "]"), "b");
        QCOMPARE(GetLeftPart("abc", "z") + GetRightPart("abc", "z"), QString());
        QCOMPARE(GetBetweenPart("x]y[z", "[", "]"), QString());
    }

    void insertionPoints()
    {
        const int table[][3] = {{80, 26, 62},  {90, 30, 70},  {99, 33, 77},    {100, 33, 77},
                                {101, 33, 78}, {102, 34, 79}, {300, 100, 233}, {0, 0, 0}};
        for (const auto &[length, first, second] : table) {
            QString article;
            for (int i = 0; i < length; ++i)
                article += QChar(u'a' + i % 26);
            QCOMPARE(InsertPair(article, "<1>", "<2>"),
                     article.left(first) + "<1>" + article.mid(first, second - first) + "<2>" + article.mid(second));
        }
    }

    void statistics()
    {
        const char *rows[][2] = {
            {"", "（全文共0个汉字-大小：0字节）"},
            {"ab中文，\r\n", "（全文共3个汉字-大小：10字节）"}, // the worked example
            {"€", "（全文共1个汉字-大小：1字节）"},
            {"<p>Hello</p>\t", "（全文共0个汉字-大小：13字节）"},
            {"，。：！？（）", "（全文共7个汉字-大小：14字节）"}, // full-width punctuation
            {"abc文", "（全文共1个汉字-大小：5字节）"},           // the last character counts
        };
        for (const auto &[article, text] : rows)
            QCOMPARE(StatisticsText(CountArticle(QString(article))), text);
    }

    // The preview refresh: a pair from two records on, the second drawn again while it equals the
    // first (20 draws at most); below two records a notice, and the pair drawn before stays.
    void pairDraw_data()
    {
        QTest::addColumn<QList<qsizetype>>("positions");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<bool>("removeOne");
        QTest::addColumn<int>("calls");
        QTest::addColumn<QString>("preview");
        const QStringList ab{"A", "B"};
        QTest::newRow("second differs at once") << QList<qsizetype>{2, 1} << ab << false << 2 << "①B  ②A";
        QTest::newRow("two retries") << QList<qsizetype>{1, 1, 1, 2} << ab << false << 4 << "①A  ②B";
        QTest::newRow("twenty equal draws") << QList<qsizetype>{1} << ab << false << 21 << "①A  ②A";
        QTest::newRow("equal records") << QList<qsizetype>{1, 2} << QStringList{"A", "A"} << false << 21 << "①A  ②A";
        QTest::newRow("one record") << QList<qsizetype>{1} << QStringList{"A"} << false << 0 << "关键字少于2个";
        QTest::newRow("one removed") << QList<qsizetype>{1, 2} << ab << true << 2 << "关键字少于2个";
    }
    void pairDraw()
    {
        QFETCH(QList<qsizetype>, positions);
        QFETCH(QStringList, keywords);
        QFETCH(bool, removeOne);
        QFETCH(int, calls);
        QFETCH(QString, preview);
        Fixture f(keywords, positions);
        f.host.options[int(Option::Bold)] = f.host.options[int(Option::NewWindow)] = BoxState::Checked;
        f.engine.Getkey1();
        const QString drawn = f.engine.PendingLink1();
        if (removeOne) {
            f.table.remove(1);
            f.engine.Getkey1();
        }
        QCOMPARE(f.random.calls, calls);
        QCOMPARE(f.host.preview, preview);
        QCOMPARE(f.engine.PendingLink1(), drawn);
        QVERIFY(calls == 0 || drawn.startsWith("<B><a href="));
    }

    void generate_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("chineseChars");
        QTest::addColumn<BoxState>("copy");
        QTest::addColumn<QString>("warning");
        const QString tooFewRecords = "关键字少于两个？多加点吧！", tooShort = "文章字数不能少于80个字，多写点吧！";
        QTest::newRow("no records") << 0 << 200 << BoxState::Checked << tooFewRecords;
        QTest::newRow("one record") << 1 << 200 << BoxState::Checked << tooFewRecords;
        QTest::newRow("79 chinese") << 2 << 79 << BoxState::Checked << tooShort;
        QTest::newRow("long ascii article") << 2 << 0 << BoxState::Checked << tooShort;
        QTest::newRow("80 chinese, copy off") << 2 << 80 << BoxState::Unchecked << QString();
        QTest::newRow("copy on") << 2 << 80 << BoxState::Checked << QString();
        QTest::newRow("copy grayed") << 2 << 80 << BoxState::Grayed << QString();
        QTest::newRow("five million") << 2 << 5'000'000 << BoxState::Unchecked << QString();
    }
    void generate()
    {
        QFETCH(int, records);
        QFETCH(int, chineseChars);
        QFETCH(BoxState, copy);
        QFETCH(QString, warning);
        Fixture f(QStringList{"绿茶", "红茶"}.mid(0, records), {1, 2, 2, 1});
        f.host.options[int(Option::CopyAfterGenerate)] = copy;
        const QString article =
            QString(chineseChars, QChar(0x4E2D)) + "\r\n" + QString(500, 'x') + QChar(0xD800) + QChar(0);
        f.host.article = article;
        f.engine.Generate(); // nothing drawn yet: the empty pair leaves the article as it is
        if (!warning.isEmpty()) {
            QCOMPARE(f.host.warnings, QStringList{warning});
            QCOMPARE(f.engine.HanziCount(), records < 2 ? 0 : chineseChars); // counted only past the first check
            QCOMPARE(f.host.setTextCount + f.host.clipboard.size() + f.random.calls, 0);
            return;
        }
        QCOMPARE(f.host.article, article);
        QCOMPARE(f.host.preview, "①绿茶  ②红茶");
        const QString l1 = f.engine.PendingLink1(), l2 = f.engine.PendingLink2();
        f.engine.Generate();
        QVERIFY(f.host.warnings.isEmpty());
        QCOMPARE(f.host.article, InsertPair(article, l1, l2));
        QCOMPARE(f.host.clipboard.size(), copy == BoxState::Checked ? 2 : 0);
        QCOMPARE(f.host.clipboard.value(1, f.host.article), f.host.article);
        QCOMPARE(f.host.preview, "①红茶  ②绿茶"); // the next pair, not the one just inserted
    }

    void draws()
    {
        // chi-square limits at p = 0.001 for 1 and 9 degrees of freedom; the clock advances like
        // a fast machine's between draws
        for (quint64 seed : {1ULL, 2ULL, 3ULL}) {
            ClockStirredRandom random({seed, seed * 3 + 1, seed * 7 + 2, seed * 11 + 3},
                                      [t = quint64(1'000'000)]() mutable { return t += 37; });
            QVERIFY(chiSquare(random, 2, 20'000) < 10.83);
            QVERIFY(chiSquare(random, 10, 20'000) < 27.88);
            // Tables past 32,767 records and past 32 bits are reached to their ends.
            for (qsizetype n : {qsizetype(1), qsizetype(100'000), qsizetype(1) << 40}) {
                qsizetype highest = 0;
                for (int i = 0; i < 1000; ++i) {
                    const qsizetype p = random.position(n);
                    QVERIFY(p >= 1 && p <= n);
                    highest = qMax(highest, p);
                }
                QVERIFY(highest > n / 2);
            }
        }
        // A clock that stands still between draws must not make them repeat: the clock is mixed
        // into the generator, never put in its place.
        ClockStirredRandom stalled({5, 6, 7, 8}, [] { return quint64(42); });
        QSet<qsizetype> seen;
        for (int i = 0; i < 21; ++i)
            seen.insert(stalled.position(1'000'000));
        QVERIFY(seen.size() >= 20);
        QVERIFY(chiSquare(stalled, 10, 20'000) < 27.88);
    }

    // Steps: a append, b append three at once, c clear, a digit N remove position N. A row shows
    // as ID, keyword and link.
    void keywordTable_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("rows");
        const char *table[][3] = {
            {"first append", "a", "1K1k1"},
            {"remove first, append", "aaa1a", "2K2k2 3K3k3 3K4k4"},
            {"remove middle: the rest moves up", "aaa2a", "1K1k1 3K3k3 3K4k4"},
            {"clear restarts", "aacaa", "1K3k3 2K4k4"},
            {"out of range", "a02", "1K1k1"},
            {"bulk append", "ab", "1K1k1 2x1 3y 43"},
        };
        for (const auto &[name, steps, rows] : table)
            QTest::newRow(name) << QString(steps) << QString(rows);
    }
    void keywordTable()
    {
        QFETCH(QString, steps);
        QFETCH(QString, rows);
        KeywordTable t;
        QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
        int appends = 0;
        for (QChar s : steps) {
            if (s == 'a')
                ++appends, t.append(QString("K%1").arg(appends), QString("k%1").arg(appends));
            else if (s == 'b')
                t.append(QList<KeywordTable::Record>{{"x", "1"}, {"y", ""}, {"", "3"}});
            else if (s == 'c')
                t.clear();
            else
                t.remove(s.digitValue());
        }
        QStringList shown;
        for (int r = 0; r < t.rowCount(); ++r)
            shown << t.index(r, KeywordTable::ColumnId).data().toString() + t.keyWord(r + 1) +
                         t.index(r, KeywordTable::ColumnLink).data().toString();
        QCOMPARE(shown.join(' '), rows);
        QCOMPARE(inserted.count(), steps.count('a') + steps.count('b')); // one signal for a bulk append
        QCOMPARE(t.headerData(KeywordTable::ColumnKeyWord, Qt::Horizontal).toString(), "KeyWord");
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"

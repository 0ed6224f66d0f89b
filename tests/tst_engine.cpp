#include "FakeHost.h"
#include "Insertion.h"
#include "KeywordTable.h"
#include "LinkInserter.h"
#include "Markup.h"
#include "Statistics.h"
#include "TextCut.h"

#include <QSet>
#include <QTest>

namespace {
using Option = InsertionHost::Option;

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

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // options: bold, italic, new window as box states 0 clear, 1 ticked, 2 grayed
    void markup_data()
    {
        QTest::addColumn<QString>("keyWord");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << "K"
                              << "L"
                              << "000"
                              << R"(<a href="L" alt="K">K</a>)";
        QTest::newRow("bold") << "K"
                              << "L"
                              << "100"
                              << R"(<B><a href="L" alt="K">K</a></B>)";
        QTest::newRow("italic") << "K"
                                << "L"
                                << "010"
                                << R"(<I><a href="L" alt="K">K</a></I>)";
        QTest::newRow("bold italic") << "K"
                                     << "L"
                                     << "110"
                                     << R"(<I><B><a href="L" alt="K">K</a></B></I>)";
        QTest::newRow("new window") << "K"
                                    << "L"
                                    << "001"
                                    << R"(<a href="L" target="_blank" alt="K">K</a>)";
        QTest::newRow("all") << "K"
                             << "L"
                             << "111"
                             << R"(<I><B><a href="L" target="_blank" alt="K">K</a></B></I>)";
        QTest::newRow("all grayed") << "K"
                                    << "L"
                                    << "222"
                                    << R"(<a href="L" alt="K">K</a>)";
        QTest::newRow("bold, italic grayed") << "K"
                                             << "L"
                                             << "120"
                                             << R"(<B><a href="L" alt="K">K</a></B>)";
        QTest::newRow("empty keyword") << ""
                                       << "L"
                                       << "000"
                                       << R"(<a href="L" alt=""></a>)";
        QTest::newRow("empty link") << "K"
                                    << ""
                                    << "000"
                                    << R"(<a href="" alt="K">K</a>)";
        QTest::newRow("link holds 关键字A") << "茶"
                                            << "x关键字Ay"
                                            << "000"
                                            << R"(<a href="x茶y" alt="茶">茶</a>)";
        QTest::newRow("keyword holds 链接A") << "链接A"
                                             << "L"
                                             << "000"
                                             << R"(<a href="L" alt="链接A">链接A</a>)";
        QTest::newRow("alt= in link") << "K"
                                      << "a.html?alt=1"
                                      << "001"
                                      << R"(<a href="a.html?target="_blank" alt=1" target="_blank" alt="K">K</a>)";
        QTest::newRow("alt= in keyword")
            << "alt="
            << "L"
            << "001"
            << R"(<a href="L" target="_blank" alt="target="_blank" alt=">target="_blank" alt=</a>)";
        QTest::newRow("quotes and bar") << "a\"|b"
                                        << "c|d"
                                        << "000"
                                        << R"(<a href="c|d" alt="a"|b">a"|b</a>)";
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
        QString article;
        for (int i = 0; i < length; ++i)
            article += QChar(u'a' + i % 26);
        QCOMPARE(InsertPair(article, "<1>", "<2>"),
                 article.left(first) + "<1>" + article.mid(first, second - first) + "<2>" + article.mid(second));
    }

    void statistics_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString() << "（全文共0个汉字-大小：0字节）";
        QTest::newRow("worked example") << "ab中文，\r\n"
                                        << "（全文共3个汉字-大小：10字节）";
        QTest::newRow("euro") << "€"
                              << "（全文共1个汉字-大小：1字节）";
        QTest::newRow("ascii html") << "<p>Hello</p>\t"
                                    << "（全文共0个汉字-大小：13字节）";
        QTest::newRow("full-width punctuation") << "，。：！？（）"
                                                << "（全文共7个汉字-大小：14字节）";
        QTest::newRow("last character counts") << "abc文"
                                               << "（全文共1个汉字-大小：5字节）";
    }
    void statistics()
    {
        QFETCH(QString, article);
        QFETCH(QString, text);
        Fixture f({});
        f.host.article = article;
        QCOMPARE(f.engine.Tongji(), text);
        QCOMPARE(f.engine.HanziCount(), CountArticle(article).chinese);
    }

    void pairDraw_data()
    {
        QTest::addColumn<QList<qsizetype>>("positions");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<int>("calls");
        QTest::addColumn<QString>("preview");
        QTest::newRow("second differs at once") << QList<qsizetype>{2, 1} << QStringList{"A", "B"} << 2 << "①B  ②A";
        QTest::newRow("two retries") << QList<qsizetype>{1, 1, 1, 2} << QStringList{"A", "B"} << 4 << "①A  ②B";
        QTest::newRow("twenty equal draws") << QList<qsizetype>{1} << QStringList{"A", "B"} << 21 << "①A  ②A";
        QTest::newRow("equal records") << QList<qsizetype>{1, 2} << QStringList{"A", "A"} << 21 << "①A  ②A";
    }
    void pairDraw()
    {
        QFETCH(QList<qsizetype>, positions);
        QFETCH(QStringList, keywords);
        QFETCH(int, calls);
        QFETCH(QString, preview);
        Fixture f(keywords, positions);
        f.host.options[int(Option::Bold)] = f.host.options[int(Option::NewWindow)] = BoxState::Checked;
        f.engine.GetKey();
        QCOMPARE(f.random.calls, calls);
        QCOMPARE(f.host.preview, preview);
        QVERIFY(f.engine.PendingLink1().startsWith("<B><a href="));
    }

    void previewNeedsTwoRecords()
    {
        Fixture f({"A"});
        f.engine.Getkey1();
        QCOMPARE(f.host.preview, "关键字少于2个");
        f.table.append("B", "b");
        f.engine.Getkey1();
        QCOMPARE(f.host.preview, "①A  ②B");
        const QString kept = f.engine.PendingLink1();
        f.table.remove(1);
        f.engine.Getkey1();
        QCOMPARE(f.host.preview, "关键字少于2个");
        QCOMPARE(f.engine.PendingLink1(), kept);
    }

    void generateRefusals_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("chineseChars");
        QTest::addColumn<QString>("warning");
        QTest::newRow("no records") << 0 << 200 << "关键字少于两个？多加点吧！";
        QTest::newRow("one record") << 1 << 200 << "关键字少于两个？多加点吧！";
        QTest::newRow("79 chinese") << 2 << 79 << "文章字数不能少于80个字，多写点吧！";
        QTest::newRow("long ascii article") << 2 << 0 << "文章字数不能少于80个字，多写点吧！";
    }
    void generateRefusals()
    {
        QFETCH(int, records);
        QFETCH(int, chineseChars);
        QFETCH(QString, warning);
        Fixture f(QStringList{"A", "B"}.mid(0, records));
        f.host.options[int(Option::CopyAfterGenerate)] = BoxState::Checked;
        f.host.article = chinese(chineseChars) + QString(500, 'x');
        f.engine.Generate();
        QCOMPARE(f.host.warnings, QStringList{warning});
        QCOMPARE(f.engine.HanziCount(), records < 2 ? 0 : chineseChars); // counted only past the first check
        QCOMPARE(f.host.setTextCount + f.host.clipboard.size() + f.random.calls, 0);
    }

    void generateInserts_data()
    {
        QTest::addColumn<BoxState>("copy");
        QTest::newRow("copy off") << BoxState::Unchecked;
        QTest::newRow("copy on") << BoxState::Checked;
        QTest::newRow("copy grayed") << BoxState::Grayed;
    }
    void generateInserts()
    {
        QFETCH(BoxState, copy);
        Fixture f({"绿茶", "红茶"}, {1, 2, 2, 1});
        f.host.options[int(Option::CopyAfterGenerate)] = copy;
        f.host.article = chinese(78) + "\r\n文字"; // exactly 80 Chinese characters
        f.engine.Generate();                       // nothing drawn yet: the article stays as it is
        QCOMPARE(f.host.article, chinese(78) + "\r\n文字");
        QCOMPARE(f.host.preview, "①绿茶  ②红茶");
        const QString before = f.host.article, l1 = f.engine.PendingLink1(), l2 = f.engine.PendingLink2();
        f.engine.Generate();
        QVERIFY(f.host.warnings.isEmpty());
        QCOMPARE(f.host.article, before.left(27) + l1 + before.mid(27, 36) + l2 + before.mid(63));
        QCOMPARE(f.host.clipboard.size(), copy == BoxState::Checked ? 2 : 0);
        QCOMPARE(f.host.clipboard.value(1, f.host.article), f.host.article);
        QCOMPARE(f.host.preview, "①红茶  ②绿茶"); // the next pair, not the one just inserted
    }

    void hugeAndOddArticle()
    {
        Fixture f({"A", "B"});
        f.host.article = QString(5'000'000, QChar(0x6587)) + QChar(0xD800) + QChar(0);
        f.engine.GetKey();
        f.engine.Generate();
        QCOMPARE(f.host.article.size(), 5'000'002 + f.engine.PendingLink1().size() * 2);
    }

    void drawIsUniform()
    {
        // chi-square limits at p = 0.001 for 1 and 9 degrees of freedom
        for (quint64 seed : {1ULL, 2ULL, 3ULL}) {
            ClockStirredRandom random = seededRandom(seed);
            QVERIFY(chiSquare(random, 2, 20'000) < 10.83);
            QVERIFY(chiSquare(random, 10, 20'000) < 27.88);
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

    void largeTables()
    {
        ClockStirredRandom random = seededRandom(9);
        qsizetype highest = 0;
        for (qsizetype n : {qsizetype(1), qsizetype(100'000), qsizetype(1) << 40}) {
            for (int i = 0; i < 1000; ++i) {
                const qsizetype p = random.position(n);
                QVERIFY(p >= 1 && p <= n);
                highest = n == 100'000 ? qMax(highest, p) : highest;
            }
        }
        QVERIFY(highest > 32'767);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"

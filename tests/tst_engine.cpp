// The link engine and the keyword table it draws from.
#include "KeywordMatcher.h"
#include "KeywordTable.h"
#include "Linker.h"
#include "Markup.h"
#include "Placement.h"
#include "TestUtil.h"
#include "TextCut.h"

#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {
// Hands out scripted positions, then repeats the last one; without any, draws come from a seeded
// generator whose clock moves on.
struct Fixture final : RandomSource
{
    KeywordTable table;
    Options options;
    KeywordRotation rotation;
    QList<qsizetype> positions;
    qsizetype calls = 0;
    ClockStirredRandom stirred{{11, 22, 33, 44}, [t = quint64(0)]() mutable { return t += 41; }};
    Fixture(const QStringList &keywords, const QList<qsizetype> &scripted = {}) : positions(scripted)
    {
        for (const QString &k : keywords) // "K=l" gives keyword K the link l
            table.append(k.section('=', 0, 0), k.contains('=') ? k.section('=', 1) : k.toLower());
    }
    qsizetype position(qsizetype n) override
    {
        return positions.isEmpty() ? stirred.position(n) : qMin(positions.at(qMin(calls++, positions.size() - 1)), n);
    }
    // The keywords of a pair drawn now.
    QString pair()
    {
        QString drawn;
        for (const Linker::Link &link : Linker::Draw(table, 2, options, *this, rotation))
            drawn += link.keyWord;
        return drawn;
    }
};

// Positions drawn over 1..n, scored against a uniform spread over ten equal bins (fewer for a
// smaller n); an out-of-range draw fails.
double chiSquare(RandomSource &random, qsizetype n, int draws)
{
    const qsizetype bins = qMin(n, qsizetype(10));
    QList<int> hits(bins, 0);
    for (int k = 0; k < draws; ++k) {
        const qsizetype p = random.position(n);
        if (p < 1 || p > n)
            return 1e9;
        ++hits[(p - 1) * bins / n];
    }
    double chi = 0;
    for (int h : hits)
        chi += (h - double(draws) / bins) * (h - double(draws) / bins) / (double(draws) / bins);
    return chi;
}
} // namespace

// Scripted positions, the keywords, the positions asked for, the pair's keywords.
using PairDraw = std::tuple<QList<qsizetype>, QStringList, int, QString>;
// The records, the article, 避开标签, the links, the article with "|" where each link went or a refusal's number.
using Link = std::tuple<int, QString, bool, QStringList, QString>;

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // style: the format (0 HTML, 1 UBB, 2 Markdown), then bold, italic and new window (0 off, 1 on).
    void markup_data()
    {
        QTest::addColumn<QStringList>("row"); // the style, the keyword, the link, the mark-up
        const char *rows[][5] = {
            {"HTML bold", "0100", "K", "L", R"(<B><a href="L" alt="K">K</a></B>)"},
            {"HTML all", "0111", "K", "L", R"(<I><B><a href="L" target="_blank" alt="K">K</a></B></I>)"},
            {"link holds 关键字A", "0000", "茶", "x关键字Ay", R"(<a href="x茶y" alt="茶">茶</a>)"},
            {"keyword holds 链接A", "0000", "链接A", "L", R"(<a href="L" alt="链接A">链接A</a>)"},
            {"alt= in keyword", "0001", "alt=", "L",
             R"(<a href="L" target="_blank" alt="target="_blank" alt=">target="_blank" alt=</a>)"},
            {"quotes and bar", "0000", "a\"|b", "c|d", R"(<a href="c|d" alt="a"|b">a"|b</a>)"},
            {"UBB bold", "1100", "K", "L", "[b][url=L]K[/url][/b]"},
            {"UBB all: no new window", "1111", "K", "L", "[i][b][url=L]K[/url][/b][/i]"},
            {"UBB brackets in keyword", "1000", "[b]茶[/url]", "L", "[url=L]［b］茶［/url］[/url]"},
            {"UBB link", "1000", "K", "http://a/b c]\"'[\t", "[url=http://a/b%20c%5D%22%27%5B%09]K[/url]"},
            {"UBB placeholders are plain text", "1000", "链接A", "x关键字A", "[url=x关键字A]链接A[/url]"},
            {"Markdown all: no new window", "2111", "K", "L", "[***K***](L)"},
            {"Markdown keyword", "2100", "a]b*c_d\\`~<&|[", "L", "[**a\\]b\\*c\\_d\\\\\\`\\~\\<\\&\\|\\[**](L)"},
            {"Markdown link", "2000", "K", "http://a/b (c)<d>\\e", "[K](http://a/b%20\\(c\\)\\<d\\>\\\\e)"},
            {"Markdown empty keyword keeps no stars", "2110", "", "L", "[](L)"},
            {"Markdown spaces outside the emphasis", "2110", " 乌龙\t", "L", "[ ***乌龙***\t](L)"},
            {"line breaks: spaces in the keyword", "2100", "分\u2028行\r\n", "a\u2029b\u0085c",
             "[**分 行**  ](a%E2%80%A9b%C2%85c)"},
            {"UBB line breaks", "1000", "分\u0085行", "a\u2028b\n", "[url=a%E2%80%A8b%0A]分 行[/url]"},
            {"HTML line breaks, nothing else", "0000", "分\u2029行", "a\r\nb\u2028 \"",
             "<a href=\"a%0D%0Ab%E2%80%A8 \"\" alt=\"分 行\">分 行</a>"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QStringList{r[1], r[2], r[3], r[4]};
    }
    void markup()
    {
        QFETCH(QStringList, row);
        const QString &style = row[0];
        auto on = [&](int i) { return style[i] == '1'; };
        QCOMPARE(BuildMarkup(row[1], row[2], {on(1), on(2), on(3), false, LinkFormat(style[0].digitValue())}), row[3]);
    }

    void textCut()
    {
        const QStringList cut{
            GetLeftPart("abXYcdXY", "XY"), GetRightPart("abXYcdXY", "XY"), GetBetweenPart("a[b]c[d]", "[", "]"),
            GetLeftPart("abc", "z"),       GetRightPart("abc", "z"),       GetBetweenPart("x]y[z", "[", "]")};
        QCOMPARE(cut, QStringList({"ab", "cdXY", "b", "", "", ""}));
    }

    // Two links after the first third and after the third of the rest; other counts evenly.
    void insertionPoints()
    {
        const std::tuple<int, int, QList<qsizetype>> table[] = {
            {80, 2, {26, 62}},  {90, 2, {30, 70}},      {99, 2, {33, 77}},    {100, 2, {33, 77}},
            {101, 2, {33, 78}}, {102, 2, {34, 79}},     {300, 2, {100, 233}}, {0, 2, {0, 0}},
            {100, 1, {50}},     {100, 3, {25, 50, 75}}, {10, 4, {2, 4, 6, 8}}};
        for (const auto &[length, count, points] : table)
            QCOMPARE(Linker::PointsFor(length, count), points);
    }

    // The rules every format shares, and UTF-8 offsets; "|" marks the allowed positions of a text. The range
    // arithmetic is proved by the readers' suites, which try every position they allow.
    void places()
    {
        using namespace Placement;
        QCOMPARE(Nearest({}, 5), 5);
        const QString text = u"中ab c\r\n😀!*x*"_qs;
        QCOMPARE(shown(text, TextPlaces(text)), u"|中|ab| |c|\r\n|😀|!*x*|"_qs);
        QCOMPARE(shown(text, MarkdownSafePlaces(text)), u"|中|a|b| |c|\r|\n|\xD83D|\xDE00|!*x*"_qs);
        const Utf8Text utf8(QString(300, u'中') + u"a😀"_qs);
        QCOMPARE(QList<qsizetype>(
                     {utf8.position(0), utf8.position(3), utf8.position(900), utf8.position(901), utf8.position(905)}),
                 QList<qsizetype>({0, 1, 300, 301, 303}));
    }

    // The caption's text; what each character counts is the GBK tables' test.
    void statistics() { QCOMPARE(StatisticsText(CountArticle(u"ab中文，\r\n")), "（全文共3个汉字-大小：10字节）"); }

    // A pair from two records on, the second drawn again while its mark-up equals the first's (20 draws at most).
    void pairDraw_data()
    {
        QTest::addColumn<PairDraw>("row");
        const QStringList ab{"A", "B"};
        QTest::newRow("second differs at once") << PairDraw{{2, 1}, ab, 2, "BA"};
        QTest::newRow("two retries") << PairDraw{{1, 1, 1, 2}, ab, 4, "AB"};
        QTest::newRow("twenty equal draws") << PairDraw{{1}, ab, 21, "AA"};
        QTest::newRow("equal records") << PairDraw{{1, 2}, {"A", "A"}, 21, "AA"};
        QTest::newRow("one keyword, two links") << PairDraw{{1, 2}, {"A=x", "A=y"}, 2, "AA"};
    }
    void pairDraw()
    {
        QFETCH(PairDraw, row);
        const auto &[positions, keywords, calls, pair] = row;
        Fixture f(keywords, positions);
        f.options.bold = f.options.newWindow = true;
        const QList<Linker::Link> drawn = Linker::Draw(f.table, 2, f.options, f, f.rotation);
        QCOMPARE(f.calls, calls);
        QCOMPARE(drawn.value(0).keyWord + drawn.value(1).keyWord, pair);
        QVERIFY(drawn.value(0).markup.startsWith("<B><a href=") && drawn.value(0).markup.contains("_blank"));
        QCOMPARE(Linker::Draw(f.table, 3, f.options, f, f.rotation).size(), 3);
    }

    // Both refusals, then the links at their points: a point first leaves a CR LF or a surrogate pair, then (with
    // 避开标签) mark-up; points moved past each other are put in order. The spans are where the links went.
    void link_data()
    {
        QTest::addColumn<Link>("row");
        const QString zh = QString(80, QChar(0x6587)), pairs = QString(27, QChar(0x6587)) + "ab\r\n" +
                                                               QString(38, QChar(0x6587)) + "😀" + QString(20, u'文');
        const QStringList two{"<1>", "<22>"};
        const QString at26 = zh.left(26) + '|' + zh.mid(26, 36) + '|' + zh.mid(62);
        QTest::newRow("one record") << Link{1, zh, false, two, "1"};
        QTest::newRow("79 chinese") << Link{2, zh.mid(1) + QString(500, 'x'), false, two, "2"};
        QTest::newRow("80 chinese") << Link{2, zh, false, two, at26};
        QTest::newRow("nothing drawn yet") << Link{2, zh, false, {"", ""}, at26};
        QTest::newRow("CR LF and surrogate pair")
            << Link{2, pairs, false, two, pairs.left(29) + '|' + pairs.mid(29, 40) + '|' + pairs.mid(69)};
        QTest::newRow("and mark-up") << Link{2, zh.left(26) + "<b>" + zh.left(54), true, two,
                                             zh.left(26) + "<b>|" + zh.left(35) + '|' + zh.left(19)};
        QTest::newRow("three links") << Link{2,
                                             zh,
                                             false,
                                             {"<1>", "<22>", "<333>"},
                                             zh.left(20) + '|' + zh.mid(20, 20) + '|' + zh.mid(40, 20) + '|' +
                                                 zh.mid(60)};
    }
    void link()
    {
        QFETCH(Link, row);
        const auto &[records, article, avoid, links, expected] = row;
        Options options;
        options.avoidMarkup = avoid;
        QList<Linker::Link> drawn;
        for (const QString &markup : links)
            drawn.append({markup, {}});
        for (const std::optional<qint64> chinese :
             {std::optional<qint64>(), std::optional(CountArticle(article).chinese)}) {
            const Linker::Result r = Linker::LinkArticle(article, drawn, options, records, chinese);
            if (expected.size() == 1) {
                QCOMPARE(int(r.refusal), expected.toInt());
                QVERIFY(r.text.isEmpty() && r.links.isEmpty());
                continue;
            }
            QString marked = r.text;
            for (qsizetype k = r.links.size() - 1; k >= 0; --k) {
                QCOMPARE(r.text.mid(r.links[k].start, r.links[k].length), links[k]);
                marked.replace(r.links[k].start, r.links[k].length, "|");
            }
            QCOMPARE(marked, expected);
        }
    }

    // Where a generate's links go with 文中匹配 (i), 句末插入 (s) and a number of links (a digit, 0 for ten):
    // "[…]" marks words linked where they stand, <k> the k-th drawn link inserted.
    void plan_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("expected");
        const auto F = [](int n) { return QString(n, u'文'); };
        const QString two = F(20) + "绿茶" + F(20) + "红茶" + F(20);
        QTest::newRow("off") << two << "" << F(20) + "绿<1>茶" + F(20) + "红茶" + F(5) + "<2>" + F(15);
        QTest::newRow("nearest words") << two << "i" << F(20) + "[绿茶]" + F(20) + "[红茶]" + F(20);
        QTest::newRow("longest, then inserted")
            << F(20) + "绿茶叶" + F(40) << "i" << F(20) + "[绿茶叶]" + F(26) + "<1>" + F(14);
        QTest::newRow("a link once") << F(20) + "绿茶" + F(20) + "乌龙" + F(20) << "i"
                                     << F(20) + "[绿茶]" + F(20) + "乌龙" + F(5) + "<1>" + F(15);
        QTest::newRow("Latin word ends") << F(20) + "SEOer" + F(20) + "学SEO好" + F(20) << "i"
                                         << F(20) + "SEOer" + F(20) + "学[SEO]好" + F(4) + "<1>" + F(16);
        QTest::newRow("three, not inside linked words")
            << F(30) + "绿茶" + F(30) << "i3" << F(30) + "[绿茶]<1>" + F(14) + "<2>" + F(16);
        QTest::newRow("one") << F(30) << "1" << F(15) + "<1>" + F(15);
        QString ten;
        for (int k = 1; k <= 10; ++k)
            ten += F(10) + u"<%1>"_qs.arg(k);
        QTest::newRow("ten") << F(110) << "i0" << ten + F(10);
        // HTML, Markdown (m) and UBB (u) mark-up, links, code and headings, and a plain-text heading.
        for (const auto &[flags, spans] :
             {std::pair("i1", "<a href=\"x\">绿茶</a><h2>绿茶</h2><code>绿茶</code><img alt=\"绿茶\">"),
              std::pair("im1", "# 绿茶\r\n`绿茶`[绿茶](x)![绿茶](x)"),
              std::pair("iu1", "[url=x]绿茶[/url][code]绿茶[/code][img]绿茶[/img]")}) {
            const QString article = spans + u"\r\n三、绿茶布局要自然\r\n"_qs + F(20) + "红茶" + F(20);
            QTest::newRow(flags) << article << flags << QString(article).replace("红茶", "[红茶]");
        }
        QTest::newRow("clause ends") << F(18) + "，" + F(30) + "。" + F(10) << "s"
                                     << F(18) + "，<1>" + F(30) + "。<2>" + F(10);
        QTest::newRow("none in reach: stays") << F(700) << "s" << F(233) + "<1>" + F(467) + "<2>";
        QTest::newRow("not in a heading") << F(20) + "。\r\n三、关键词布局要自然\r\n" + F(40) + "。"
                                          << "s" << F(20) + "。<1>\r\n三、关键词布局要自然\r\n" + F(40) + "。<2>";
        QTest::newRow("ASCII marks, quotes") << F(21) + "3.14 ok. " + F(10) + "“好。”" + F(20) << "s"
                                             << F(21) + "3.14 ok. <1>" + F(10) + "“好。”<2>" + F(20);
    }
    void plan()
    {
        QFETCH(QString, article);
        QFETCH(QString, flags);
        QFETCH(QString, expected);
        Fixture f({"绿茶=g", "绿茶叶=y", "SEO=s", "红茶=r", "乌龙=g"});
        Options options;
        options.inPlace = flags.contains('i');
        options.sentenceEnd = flags.contains('s');
        options.format = flags.contains('m')   ? LinkFormat::Markdown
                         : flags.contains('u') ? LinkFormat::Ubb
                                               : LinkFormat::Html;
        const QString count = QString(flags).remove(QRegularExpression("[a-z]"));
        options.linkCount = count.isEmpty() ? 2 : count == "0" ? 10 : count.toInt();
        QList<Linker::Link> drawn;
        for (int k = 1; k <= options.linkCount; ++k)
            drawn.append({u"<%1>"_qs.arg(k), {}});
        const KeywordMatcher matcher(f.table);
        const Linker::Words words{f.table, matcher};
        const QList<Linker::Edit> edits = Linker::Plan(article, drawn, options, &words);
        const Linker::Result linked = Linker::Apply(article, edits);
        QString shown = linked.text;
        for (qsizetype k = edits.size() - 1; k >= 0; --k) {
            const auto &[start, length, link] = edits[k];
            QCOMPARE(linked.text.mid(linked.links[k].start, linked.links[k].length), link.markup);
            if (length > 0)
                QCOMPARE(link.markup, BuildMarkup(article.mid(start, length), f.table.link(link.record), options));
            shown.replace(linked.links[k].start, linked.links[k].length,
                          length > 0 ? '[' + article.mid(start, length) + ']' : link.markup);
        }
        QCOMPARE(shown, expected);
    }

    // Lines that read as headings in plain text keep links out from their start to their end.
    void headings()
    {
        const std::tuple<QString, LinkFormat, bool> lines[] = {
            {"三、关键词布局要自然", LinkFormat::Html, true},
            {"绿茶的功效与作用。", LinkFormat::Html, false},
            {"他说：“好。”", LinkFormat::Html, false},
            {QString(31, u'文'), LinkFormat::Html, false},
            {" 标题\u3000", LinkFormat::Html, true},
            {QString(30, u'文'), LinkFormat::Markdown, true},
            {"<p>短句。</p>", LinkFormat::Html, false},
            {"<h2>" + QString(30, u'文') + "</h2>", LinkFormat::Html, true},
            {"[b]标题[/b]", LinkFormat::Ubb, true},
            {"<b>" + QString(30, u'文') + "</b>", LinkFormat::Ubb, false},
            {"……", LinkFormat::Html, false},
            {"", LinkFormat::Html, false}};
        for (const auto &[line, format, heading] : lines) {
            const QString article = "前文。\r\n" + line + "\r\n后文。";
            const Placement::Ranges body = Placement::BodyPlaces(article, format);
            QVERIFY2((body.first().last == 4) == heading, qPrintable(line));
        }
    }

    // Every record once a cycle, over many cycles; a change to the table starts a new cycle.
    void rotation()
    {
        Fixture f({"A", "B", "C", "D", "E"});
        f.options.rotateKeywords = true;
        QString drawn;
        auto draws = [&](int pairs) {
            drawn.clear();
            for (int i = 0; i < pairs; ++i)
                drawn += f.pair();
        };
        auto cycles = [&](const QString &records) {
            QSet<QString> orders;
            for (qsizetype c = 0; c + records.size() <= drawn.size(); c += records.size()) {
                QString cycle = drawn.mid(c, records.size());
                orders.insert(cycle);
                std::sort(cycle.begin(), cycle.end());
                QCOMPARE(cycle, records);
            }
            QVERIFY(orders.size() > 3); // shuffled, not a fixed order
        };
        draws(100);
        cycles("ABCDE");
        draws(1); // two into a cycle, then a record is replaced by another
        f.table.remove(1);
        f.table.append("F", "f");
        draws(60);
        cycles("BCDEF");
        // Records with equal links count as one, equal keywords or not: every pair holds the other link.
        const std::pair<QList<KeywordTable::Record>, QString> equalLinks[] = {
            {{{"A", "A"}, {"A", "A"}, {"B", "B"}}, "B"},
            {{{"甲", "http://l1.example/"}, {"乙", "http://l1.example/"}, {"丙", "http://l2.example/"}}, "丙"}};
        for (const auto &[records, other] : equalLinks) {
            f.table.clear();
            f.table.append(records);
            draws(30);
            QCOMPARE(drawn.count(other), 30);
        }
        // Counts from before: each new cycle starts with the least linked, shuffled among equals.
        f.table.clear();
        f.table.append(QList<KeywordTable::Record>{{"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}});
        f.rotation.setLinked([](qsizetype p) { return p == 3 ? 0 : p == 1 ? 5 : 1; }); // C, then B D, then A
        draws(20);
        for (qsizetype c = 0; c < drawn.size(); c += 4)
            QVERIFY2(drawn[c] == 'C' && drawn[c + 3] == 'A', qPrintable(drawn.mid(c, 4)));
        QVERIFY(drawn.contains("CBDA") && drawn.contains("CDBA"));
    }

    void draws()
    {
        // Chi-square limits at p = 0.001 for 1 and 9 degrees of freedom, over tables past 32,767
        // records and past 32 bits too; the clock advances like a fast machine's between draws.
        for (quint64 seed : {1ULL, 2ULL, 3ULL}) {
            ClockStirredRandom random({seed, seed * 3 + 1, seed * 7 + 2, seed * 11 + 3},
                                      [t = quint64(1'000'000)]() mutable { return t += 37; });
            for (qsizetype n : {qsizetype(1), qsizetype(2), qsizetype(10), qsizetype(100'000), qsizetype(1) << 40})
                QVERIFY2(chiSquare(random, n, 20'000) < (n == 2 ? 10.83 : 27.88), qPrintable(QString::number(n)));
        }
        // A clock that stands still between draws must not make them repeat: the clock is mixed
        // into the generator, never put in its place.
        ClockStirredRandom stalled({5, 6, 7, 8}, [] { return quint64(42); });
        QVERIFY(chiSquare(stalled, 10, 20'000) < 27.88);
    }

    // Steps: a append, b append three at once, c clear, a digit N remove position N. A row shows
    // as ID, keyword and link.
    void keywordTable_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("rows");
        const char *table[][3] = {{"first append", "a", "1K1k1"},
                                  {"remove first, append", "aaa1a", "2K2k2 3K3k3 3K4k4"},
                                  {"remove middle: the rest moves up", "aaa2a", "1K1k1 3K3k3 3K4k4"},
                                  {"clear restarts", "aacaa", "1K3k3 2K4k4"},
                                  {"out of range", "a02", "1K1k1"},
                                  {"bulk append", "ab", "1K1k1 2x1 3y 43"}};
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

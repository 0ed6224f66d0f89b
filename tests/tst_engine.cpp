// The link engine and the keyword table it draws from.
#include "KeywordTable.h"
#include "LinkInserter.h"
#include "MarkupAvoidance.h"
#include "TextCut.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {
using Option = InsertionHost::Option;

// Stands in for the main window: records what the engine shows and copies.
class FakeHost final : public InsertionHost
{
public:
    BoxState options[6] = {}; // indexed by Option
    QList<ArticleSpan> shown; // the inserted links, as marked
    QString article, preview;
    QStringList warnings, clipboard;
    int setTextCount = 0;

    BoxState optionState(Option option) const override { return options[int(option)]; }
    QString articleText() const override { return article; }
    ArticleStatistics articleStatistics() const override { return CountArticle(article); }
    void setArticleText(const QString &text) override { article = text, ++setTextCount; }
    void copyToClipboard(const QString &text) override { clipboard << text; }
    void showWarning(const QString &message) override { warnings << message; }
    void setPreviewCaption(const QString &caption) override { preview = caption; }
    LinkFormat linkFormat() const override { return LinkFormat::Html; }
    void showInsertedLinks(ArticleSpan first, ArticleSpan second) override { shown = {first, second}; }
};

// Hands out scripted positions, then repeats the last one; without any, the engine draws from a
// seeded generator whose clock moves on.
struct Fixture final : RandomSource
{
    KeywordTable table;
    FakeHost host;
    QList<qsizetype> positions;
    qsizetype calls = 0;
    ClockStirredRandom stirred{{11, 22, 33, 44}, [t = quint64(0)]() mutable { return t += 41; }};
    LinkInserter engine{table, host, positions.isEmpty() ? static_cast<RandomSource &>(stirred) : *this};
    Fixture(const QStringList &keywords, const QList<qsizetype> &scripted = {}) : positions(scripted)
    {
        for (const QString &k : keywords) // "K=l" gives keyword K the link l
            table.append(k.section('=', 0, 0), k.contains('=') ? k.section('=', 1) : k.toLower());
    }
    qsizetype position(qsizetype n) override { return qMin(positions.at(qMin(calls++, positions.size() - 1)), n); }
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

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // style: the format (0 HTML, 1 UBB, 2 Markdown), then bold, italic and new window (0 clear,
    // 1 ticked, 2 grayed).
    void markup_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("keyWord");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("expected");
        const char *rows[][5] = {
            {"HTML bold", "0100", "K", "L", R"(<B><a href="L" alt="K">K</a></B>)"},
            {"HTML all", "0111", "K", "L", R"(<I><B><a href="L" target="_blank" alt="K">K</a></B></I>)"},
            {"HTML all grayed", "0222", "K", "L", R"(<a href="L" alt="K">K</a>)"},
            {"link holds 关键字A", "0000", "茶", "x关键字Ay", R"(<a href="x茶y" alt="茶">茶</a>)"},
            {"keyword holds 链接A", "0000", "链接A", "L", R"(<a href="L" alt="链接A">链接A</a>)"},
            {"alt= in keyword", "0001", "alt=", "L",
             R"(<a href="L" target="_blank" alt="target="_blank" alt=">target="_blank" alt=</a>)"},
            {"quotes and bar", "0000", "a\"|b", "c|d", R"(<a href="c|d" alt="a"|b">a"|b</a>)"},
            {"UBB bold", "1100", "K", "L", "[b][url=L]K[/url][/b]"},
            {"UBB all: no new window", "1111", "K", "L", "[i][b][url=L]K[/url][/b][/i]"},
            {"UBB grayed", "1220", "K", "L", "[url=L]K[/url]"},
            {"UBB brackets in keyword", "1000", "[b]茶[/url]", "L", "[url=L]［b］茶［/url］[/url]"},
            {"UBB link", "1000", "K", "http://a/b c]\"'[\t", "[url=http://a/b%20c%5D%22%27%5B%09]K[/url]"},
            {"UBB placeholders are plain text", "1000", "链接A", "x关键字A", "[url=x关键字A]链接A[/url]"},
            {"Markdown all: no new window", "2111", "K", "L", "[***K***](L)"},
            {"Markdown keyword", "2100", "a]b*c_d\\`~<&|[", "L", "[**a\\]b\\*c\\_d\\\\\\`\\~\\<\\&\\|\\[**](L)"},
            {"Markdown link", "2000", "K", "http://a/b (c)<d>\\e", "[K](http://a/b%20\\(c\\)\\<d\\>\\\\e)"},
            {"Markdown empty keyword keeps no stars", "2110", "", "L", "[](L)"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]) << QString(r[4]);
    }
    void markup()
    {
        QFETCH(QString, style);
        QFETCH(QString, keyWord);
        QFETCH(QString, link);
        QFETCH(QString, expected);
        auto box = [&](int i) { return BoxState(style[i].digitValue()); };
        QCOMPARE(BuildMarkup(keyWord, link, {box(1), box(2), box(3), LinkFormat(style[0].digitValue())}), expected);
    }

    void textCut()
    {
        const QStringList cut{
            GetLeftPart("abXYcdXY", "XY"), GetRightPart("abXYcdXY", "XY"), GetBetweenPart("a[b]c[d]", "[", "]"),
            GetLeftPart("abc", "z"),       GetRightPart("abc", "z"),       GetBetweenPart("x]y[z", "[", "]")};
        QCOMPARE(cut, QStringList({"ab", "cdXY", "b", "", "", ""}));
    }

    void insertionPoints()
    {
        const int table[][3] = {{80, 26, 62},  {90, 30, 70},  {99, 33, 77},    {100, 33, 77},
                                {101, 33, 78}, {102, 34, 79}, {300, 100, 233}, {0, 0, 0}};
        for (const auto &[length, first, second] : table)
            QCOMPARE(QList<qsizetype>({InsertionPointsFor(length).first, InsertionPointsFor(length).second}),
                     QList<qsizetype>({first, second}));
    }

    // "|" marks the point before, "^" where it ends up; both points of a row start at "|".
    void safePoint_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addRow("Chinese stays") << "中文|^中文";
        QTest::addRow("tag") << "中文<b cla|ss=\"x\">^粗</b>";
        QTest::addRow("quoted > in a tag") << "中<a title=\"a>|b\" href=u>链</a>^文";
        QTest::addRow("quoted > in an image") << "中文<img alt=\"a>|b\" src=\"x\">^文字";
        QTest::addRow("apostrophe in an unquoted value") << "中文<img alt=do|n't src=x>^文字";
        QTest::addRow("closing tag") << "中<b>粗</|b>^文";
        QTest::addRow("comment") << "中<!-- 注|释 -->^文";
        QTest::addRow("lone < is text") << "中 < 文|^字 > 中";
        QTest::addRow("entity") << "中文&nb|sp;^文字";
        QTest::addRow("numeric entity") << "中文&#20|013;^文字";
        QTest::addRow("HTML link in capitals") << "中<A HREF=u><B>链|接</B></A>^后";
        QTest::addRow("abbr is no link") << "中<abbr>链|^接</abbr>后";
        QTest::addRow("UBB link") << "中[url=http://u]链|接[/url]^后";
        QTest::addRow("UBB tag") << "中[col|or=red]^红[/color]后";
        QTest::addRow("Markdown link") << "中[链|接](http://u/(x))^后";
        QTest::addRow("Markdown image") << "中![图](http://u/a|.png)^后";
        QTest::addRow("reference brackets") << "中[1]文|^字";
        QTest::addRow("English word") << "中文Eng|lish^文";
        QTest::addRow("web address") << "看http://a.com/x?|y=1&z=2^吧";
        QTest::addRow("number") << "共3,0|00.5^元";
        QTest::addRow("word at the very end") << "中文^Eng|lish";
        QTest::addRow("unclosed link runs to the end") << "中^<a href=u>链|接";
        QTest::addRow("between two words") << "Green|^ tea";
        QTest::addRow("overlapping, unclosed mark-up") << "^<a href=x>[链</a>[url=y](文|字)";
        QTest::addRow("link holding a word") << "中<a href=u>Gr|een tea</a>^文";
    }
    void safePoint()
    {
        QFETCH(QString, article);
        const qsizetype from = article.indexOf('|') - (article.indexOf('^') < article.indexOf('|') ? 1 : 0);
        const qsizetype to = article.indexOf('^') - (article.indexOf('|') < article.indexOf('^') ? 1 : 0);
        const QString text = QString(article).remove('|').remove('^');
        QCOMPARE(PointOutsideMarkup(text, from), to);
        const InsertionPoints points = PointsOutsideMarkup(text, {from, from});
        QCOMPARE(InsertPairAt(text, points, "1", "2"), text.left(to) + "12" + text.mid(to));
        if (QTest::currentDataTag() == QLatin1String("tag")) // two points in one tag: the second follows
            QCOMPARE(InsertPairAt(text, PointsOutsideMarkup(text, {from - 3, from + 2}), "1", "2"),
                     text.left(to) + "12" + text.mid(to));
    }

    void statistics()
    {
        // The worked example; full-width punctuation counts; so does the last character.
        const std::tuple<const char *, int, int> rows[] = {
            {"ab中文，\r\n", 3, 10},  {"，。：！？（）", 7, 14}, {"abc文", 1, 5}, {"", 0, 0}, {"€", 1, 1},
            {"<p>Hello</p>\t", 0, 13}};
        for (const auto &[article, chinese, bytes] : rows)
            QCOMPARE(StatisticsText(CountArticle(QString(article))),
                     QString("（全文共%1个汉字-大小：%2字节）").arg(chinese).arg(bytes));
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
        QTest::newRow("one keyword, two links")
            << QList<qsizetype>{1, 2} << QStringList{"A=x", "A=y"} << false << 2 << "①A  ②A";
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
        QCOMPARE(f.calls, calls);
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
        QTest::newRow("one record") << 1 << 200 << BoxState::Checked << tooFewRecords;
        QTest::newRow("79 chinese") << 2 << 79 << BoxState::Checked << tooShort;
        QTest::newRow("80 chinese, copy on") << 2 << 80 << BoxState::Checked << QString();
        QTest::newRow("copy grayed") << 2 << 80 << BoxState::Grayed << QString();
        QTest::newRow("five million, copy off") << 2 << 5'000'000 << BoxState::Unchecked << QString();
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
        f.engine.Generate(); // nothing drawn yet: the empty pair leaves the article as it is (see below)
        if (!warning.isEmpty()) {
            QCOMPARE(f.host.warnings, QStringList{warning});
            QCOMPARE(f.engine.HanziCount(), records < 2 ? 0 : chineseChars); // counted only past the first check
            QCOMPARE(f.host.setTextCount + f.host.clipboard.size() + f.calls, 0);
            return;
        }
        QCOMPARE(f.host.preview, "①绿茶  ②红茶");
        const QString l1 = f.engine.PendingLink1(), l2 = f.engine.PendingLink2();
        f.engine.Generate();
        QCOMPARE(f.host.article, InsertPair(article, l1, l2));
        QCOMPARE(f.host.clipboard, copy == BoxState::Checked ? QStringList({article, f.host.article}) : QStringList());
        QCOMPARE(f.host.preview, "①红茶  ②绿茶"); // the next pair, not the one just inserted
    }

    // A point first leaves a CR LF or a surrogate pair, then mark-up; the marked spans are where the links went.
    void generateComposesBothRules()
    {
        Fixture f({"K1", "K2"}, {1, 2});
        f.host.options[int(Option::AvoidMarkup)] = BoxState::Checked;
        f.engine.GetKey();
        const QString l1 = f.engine.PendingLink1(), l2 = f.engine.PendingLink2();
        // CR LF at 29, 😀 at 69
        const QString a = QString(27, QChar(0x6587)) + "ab", b = QString(38, QChar(0x6587)) + "😀" + QString(20, u'文');
        f.host.article = a + "\r\n" + b;
        f.engine.Generate();
        QCOMPARE(f.host.article, a + l1 + "\r\n" + b.left(38) + l2 + b.mid(38));
        QCOMPARE(
            QList<qsizetype>({f.host.shown.value(0).start, f.host.shown.value(1).start, f.host.shown.value(1).length}),
            QList<qsizetype>({29, 69 + l1.size(), l2.size()}));
        // Only the later point is near enough to the end to see the link that runs there; it goes back past the
        // earlier one, and the two are put in order again.
        const QString unclosed = QString(30'000, QChar(0x6587)) + "<a href=u>" + QString(89'990, QChar(0x6587));
        const InsertionPoints p = PointsOutsideMarkup(unclosed, InsertionPointsIn(unclosed));
        QCOMPARE(QList<qsizetype>({p.first, p.second}), QList<qsizetype>({30'000, 40'000}));
    }

    // Every record once a cycle, over many cycles; a change to the table starts a new cycle.
    void rotation()
    {
        Fixture f({"A", "B", "C", "D", "E"});
        f.host.options[int(Option::RotateKeywords)] = BoxState::Checked;
        QString drawn;
        auto draws = [&](int pairs) {
            drawn.clear();
            for (int i = 0; i < pairs; ++i) {
                f.engine.GetKey();
                drawn += f.host.preview.mid(1, 1) + f.host.preview.mid(5, 1);
            }
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
        f.table.clear(); // equal mark-ups still make a pair differ
        f.table.append(QList<KeywordTable::Record>{{"A", "A"}, {"A", "A"}, {"B", "B"}});
        draws(30);
        QCOMPARE(drawn.count('B'), 30);
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

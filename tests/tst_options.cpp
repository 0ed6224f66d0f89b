// The link formats, the insertion that keeps mark-up whole, the keyword rotation, their settings
// keys and the third page of the window.
#include "ArticleEditor.h"
#include "FakeHost.h"
#include "Form1.h"
#include "Gbk.h"
#include "KeywordTable.h"
#include "LinkInserter.h"
#include "Markup.h"
#include "MarkupAvoidance.h"
#include "Settings.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {
using Option = InsertionHost::Option;

class FakeOptions final : public OptionBoxes
{
public:
    std::array<int, BoxCount> states{};
    int state(Box box) const override { return states[box]; }
    void setState(Box box, int state) override { states[box] = state; }
};

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}
} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // options: bold, italic, new window (box states); format 1 UBB, 2 Markdown.
    void formats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("keyWord");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("expected");
        const char *ubb[] = {"[url=L]K[/url]", "[b][url=L]K[/url][/b]", "[i][url=L]K[/url][/i]",
                             "[i][b][url=L]K[/url][/b][/i]"};
        const char *md[] = {"[K](L)", "[**K**](L)", "[*K*](L)", "[***K***](L)"};
        for (int o = 0; o < 8; ++o) { // every combination; new window changes nothing
            const QString options = QString("%1%2%3").arg(o & 1).arg((o >> 1) & 1).arg((o >> 2) & 1);
            QTest::addRow("UBB %s", qPrintable(options)) << 1 << options << "K"
                                                         << "L" << QString(ubb[o & 3]);
            QTest::addRow("Markdown %s", qPrintable(options)) << 2 << options << "K"
                                                              << "L" << QString(md[o & 3]);
        }
        const struct
        {
            const char *tag;
            int format;
            const char *options, *keyWord, *link, *expected;
        } rows[] = {
            {"UBB grayed", 1, "220", "K", "L", "[url=L]K[/url]"},
            {"UBB brackets in keyword", 1, "000", "[b]茶[/url]", "L", "[url=L]［b］茶［/url］[/url]"},
            {"UBB link", 1, "000", "K", "http://a/b c]\"'[\t", "[url=http://a/b%20c%5D%22%27%5B%09]K[/url]"},
            {"UBB placeholders are plain text", 1, "000", "链接A", "x关键字A", "[url=x关键字A]链接A[/url]"},
            {"Markdown keyword", 2, "100", "a]b*c_d\\`~<&|[", "L", "[**a\\]b\\*c\\_d\\\\\\`\\~\\<\\&\\|\\[**](L)"},
            {"Markdown link", 2, "000", "K", "http://a/b (c)<d>\\e", "[K](http://a/b%20\\(c\\)\\<d\\>\\\\e)"},
            {"Markdown empty keyword keeps no stars", 2, "110", "", "L", "[](L)"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.tag) << r.format << QString(r.options) << QString(r.keyWord) << QString(r.link)
                                 << QString(r.expected);
    }
    void formats()
    {
        QFETCH(int, format);
        QFETCH(QString, options);
        QFETCH(QString, keyWord);
        QFETCH(QString, link);
        QFETCH(QString, expected);
        auto box = [&](int i) { return BoxState(options[i].digitValue()); };
        QCOMPARE(BuildMarkup(keyWord, link, {box(0), box(1), box(2), LinkFormat(format)}), expected);
    }

    // "|" marks the point before, "^" where it ends up; both points of a row start at "|".
    void safePoint_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addRow("Chinese stays") << "中文|^中文";
        QTest::addRow("tag") << "中文<b cla|ss=\"x\">^粗</b>";
        QTest::addRow("quoted > in a tag") << "中<a title=\"a>|b\" href=u>链</a>^文";
        QTest::addRow("closing tag") << "中<b>粗</|b>^文";
        QTest::addRow("comment") << "中<!-- 注|释 -->^文";
        QTest::addRow("lone < is text") << "中 < 文|^字 > 中";
        QTest::addRow("entity") << "中文&nb|sp;^文字";
        QTest::addRow("numeric entity") << "中文&#20|013;^文字";
        QTest::addRow("HTML link") << "中<a href=\"u\">链|接</a>^后";
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
    }

    void twoPointsInOneTag()
    {
        const QString text = "中文<img src=\"a.png\" alt=\"x\">文字";
        QCOMPARE(InsertPairAt(text, PointsOutsideMarkup(text, {5, 12}), "1", "2"),
                 "中文<img src=\"a.png\" alt=\"x\">12文字");
    }

    // A point first leaves a CR LF pair, then mark-up; the marked spans are where the links went.
    void generateComposesBothRules()
    {
        KeywordTable table;
        table.append("K1", "u1");
        table.append("K2", "u2");
        FakeHost host;
        host.options[int(Option::AvoidMarkup)] = BoxState::Checked;
        ScriptedRandom random({1, 2});
        LinkInserter engine(table, host, random);
        engine.GetKey();
        const QString l1 = engine.PendingLink1(), l2 = engine.PendingLink2();
        const QString a = QString(27, QChar(0x6587)) + "ab", b = QString(60, QChar(0x6587)); // CR LF at 29
        host.article = a + "\r\n" + b;
        engine.Generate();
        QCOMPARE(host.article, a + l1 + "\r\n" + b.left(39) + l2 + b.mid(39));
        QCOMPARE(host.shown.size(), 2);
        QCOMPARE(host.shown[0].start, 29);
        QCOMPARE(host.shown[1].start, 70 + l1.size());
        QCOMPARE(host.shown[1].length, l2.size());
    }

    // Every record once a cycle, over many cycles; a change to the table starts a new cycle.
    void rotation()
    {
        KeywordTable table;
        for (const char *k : {"A", "B", "C", "D", "E"})
            table.append(k, k);
        FakeHost host;
        host.options[int(Option::RotateKeywords)] = BoxState::Checked;
        ClockStirredRandom random({11, 22, 33, 44}, [t = quint64(0)]() mutable { return t += 41; });
        LinkInserter engine(table, host, random);
        QString drawn;
        auto draws = [&](int pairs) {
            for (int i = 0; i < pairs; ++i) {
                engine.GetKey();
                QVERIFY(engine.PendingLink1() != engine.PendingLink2());
                drawn += host.preview.mid(1, 1) + host.preview.mid(5, 1);
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
        table.remove(1);
        table.append("F", "F");
        drawn.clear();
        draws(60);
        cycles("BCDEF");
        table.clear(); // equal mark-ups still make a pair differ
        table.append("A", "A");
        table.append("A", "A");
        table.append("B", "B");
        drawn.clear();
        draws(30);
        QCOMPARE(drawn.count('B'), 30);
    }

    // LoadSet reads the three keys of the advanced page; SaveSet leaves a file without them as it is
    // while they are 0 and writes them only when they differ from what the file gives. States are
    // link format, avoid, rotate.
    void settings_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("after");
        const QString four = "[Setting]\r\n粗体=1\r\n斜体=0\r\n新窗口打开=0\r\n生成后复制=0\r\n";
        const QString odd = "链接格式=3\r\n避开标签=2\r\n轮换关键字=x\r\n", halves = "链接格式=1.5\r\n避开标签=0.5\r\n";
        QTest::newRow("old file, all off") << four << "000"
                                           << "000" << four;
        QTest::newRow("old file, all on") << four << "000"
                                          << "211" << four + "链接格式=2\r\n避开标签=1\r\n轮换关键字=1\r\n";
        QTest::newRow("switched off") << four + "链接格式=1\r\n避开标签=1\r\n轮换关键字= 1 \r\n"
                                      << "111"
                                      << "010" << four + "链接格式=0\r\n避开标签=1\r\n轮换关键字= 0\r\n";
        QTest::newRow("out of range reads as 0 and stays") << four + odd << "000"
                                                           << "000" << four + odd;
        QTest::newRow("halves to even") << four + halves << "200"
                                        << "200" << four + halves;
    }
    void settings()
    {
        QFETCH(QString, before);
        QFETCH(QString, loaded);
        QFETCH(QString, saved);
        QFETCH(QString, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("Setting.ini");
        writeFile(path, Gbk::encode(before));
        FakeOptions options;
        LoadSet(options, path);
        QCOMPARE(options.states[OptionBoxes::CB], 1);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(options.states[OptionBoxes::LinkFormat + i], loaded[i].digitValue());
            options.states[OptionBoxes::LinkFormat + i] = saved[i].digitValue();
        }
        QVERIFY(SaveSet(options, path));
        QCOMPARE(Gbk::decode(readFile(path)), after);
    }

    // The window: the third page in twips, its options read at start-up and used by generate, the
    // inserted links marked until the next edit, and a settings file without the new keys kept.
    void window()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Setting.ini"), Gbk::encode(u"[Setting]\r\n链接格式=2\r\n避开标签=1\r\n"));
        writeFile(dir.filePath("Data.txt"), Gbk::encode(u"绿[茶]|http://g.example/a b\r\n红茶|http://r.example/\r\n"));
        auto w = std::make_unique<Form1>(dir.path());
        QVERIFY(w->Form_Load());
        w->show();
        auto *tab = w->findChild<QTabWidget *>("SSTab1");
        QCOMPARE(tab->tabText(2), "高级设置");
        tab->setCurrentIndex(2);
        for (auto [name, twips] :
             {std::pair{"Frame3", QRect(120, 360, 8055, 735)}, std::pair{"Frame4", QRect(120, 1200, 8055, 1095)}}) {
            QWidget *c = w->findChild<QWidget *>(name);
            QTRY_VERIFY(c->isVisible());
            auto px = [](int t) { return (2 * t + 15) / 30; };
            QCOMPARE(QRect(c->mapTo(tab, QPoint()), c->size()),
                     QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
        }
        QVERIFY(w->findChild<QRadioButton *>("Option3")->isChecked());
        QVERIFY(w->findChild<QCheckBox *>("CAvoid")->isChecked());
        QVERIFY(!w->findChild<QCheckBox *>("CRotate")->isChecked());
        QVERIFY(w->engine().PendingLink1().startsWith("[")); // drawn after the options were read
        // The preview shows the keywords as listed, not as the mark-up escapes them.
        const QString preview = w->findChild<QLabel *>("Label5")->text();
        QVERIFY2(preview == "①绿[茶]  ②红茶" || preview == "①红茶  ②绿[茶]", qPrintable(preview));
        QVERIFY(
            (w->engine().PendingLink1() + w->engine().PendingLink2()).contains("[绿\\[茶\\]](http://g.example/a%20b)"));

        tab->setCurrentIndex(0);
        auto *editor = w->findChild<ArticleEditor *>("Text1");
        const QString article = ("<p class=\"lead\">" + QString(40, QChar(0x6587)) + "</p>\r\n").repeated(60);
        editor->replaceArticle(article);
        const QString l1 = w->engine().PendingLink1(), l2 = w->engine().PendingLink2();
        w->Command1_Click();
        const QString result = editor->articleText();
        QCOMPARE(result, InsertPairAt(article, PointsOutsideMarkup(article, InsertionPointsIn(article)), l1, l2));
        QCOMPARE(result.count("<p class=\"lead\">"), 60);
        const QList<QTextEdit::ExtraSelection> marks = editor->extraSelections();
        QCOMPARE(marks.size(), 2);
        QCOMPARE(marks[0].cursor.selectedText(), l1);
        QCOMPARE(marks[1].cursor.selectedText(), l2);
        QCOMPARE(editor->textCursor().position(), marks[0].cursor.selectionStart());
        QTRY_VERIFY(editor->viewport()->rect().contains(editor->cursorRect())); // scrolled to the first
        QTest::keyClick(editor, Qt::Key_X);
        QVERIFY(editor->extraSelections().isEmpty());

        w->findChild<QRadioButton *>("Option1")->click(); // back to HTML: a new pair in HTML
        QVERIFY(w->engine().PendingLink1().startsWith("<a href="));
        w->close();
        QCOMPARE(Gbk::decode(readFile(dir.filePath("Setting.ini"))),
                 "[Setting]\r\n链接格式=0\r\n避开标签=1\r\n粗体=0\r\n斜体=0\r\n新窗口打开=0\r\n生成后复制=0\r\n");

        // All off: a settings file without the new keys gets exactly the four it always got.
        QFile::remove(dir.filePath("Setting.ini"));
        w = std::make_unique<Form1>(dir.path());
        QVERIFY(w->Form_Load());
        w->close();
        QCOMPARE(Gbk::decode(readFile(dir.filePath("Setting.ini"))),
                 "[Setting]\r\n粗体=0\r\n斜体=0\r\n新窗口打开=0\r\n生成后复制=0\r\n");
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"

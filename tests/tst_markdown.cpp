// Where a Markdown link may go: at every place allowed in a document the link is put in, and md4c's
// own HTML renderer must show the document as before plus that one link.
#include "Linker.h"
#include "Markup.h"
#include "Placement.h"
#include "TestUtil.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>
#include <md4c-html.h>

#include <QTest>

using namespace Placement;

class tst_markdown : public QObject
{
    Q_OBJECT
    static void append(const MD_CHAR *text, MD_SIZE size, void *out)
    {
        static_cast<QByteArray *>(out)->append(text, size);
    }
    // As GitHub shows it, with GitHub's own parser, or as a plain CommonMark site does.
    static QByteArray html(const QString &markdown, bool github)
    {
        QByteArray bytes = markdown.toUtf8(), out;
        if (!github) {
            md_html(bytes.constData(), MD_SIZE(bytes.size()), append, &out, MD_DIALECT_COMMONMARK, 0);
            return out;
        }
        cmark_parser *parser = cmark_parser_new(CMARK_OPT_UNSAFE);
        for (const char *name : {"table", "strikethrough", "autolink", "tasklist"})
            cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
        cmark_parser_feed(parser, bytes.constData(), bytes.size());
        cmark_node *document = cmark_parser_finish(parser);
        char *rendered = cmark_render_html(document, CMARK_OPT_UNSAFE, cmark_parser_get_syntax_extensions(parser));
        out = rendered;
        free(rendered);
        cmark_node_free(document);
        cmark_parser_free(parser);
        return out;
    }

private Q_SLOTS:
    void initTestCase() { cmark_gfm_core_extensions_ensure_registered(); }

    void places_data()
    {
        QTest::addColumn<QString>("article"); // "\n" stands for CR LF; "^" marks where the first link lands
        QTest::addColumn<int>("style");       // 1 bold, 2 italic, 3 both
        QTest::addColumn<qsizetype>("count"); // the allowed places
        const auto row = [](const char *name, int a, const char *x, int b, int style, qsizetype count,
                            const char *end = "") {
            QTest::newRow(name) << QString(a, u'中') + QString::fromUtf8(x) + QString(b, u'文') + QString::fromUtf8(end)
                                << style << count;
        };
        row("plain text", 40, "^", 80, 0, 121);
        row("fenced code", 18, "\n\n```\n# 代码注释说明\n```\n\n^", 56, 1, 76);
        row("code span", 24, "`安装命令`^", 52, 2, 78);
        row("linked image", 10, "\n\n[![构建](http://img.example/b.svg)](http://ci.example/)\n\n^", 68, 3, 80);
        row("setext heading", 20, "\n\n标题\n===\n\n^", 58, 0, 80);
        row("paragraph break", 25, "。\n\n^", 55, 1, 83);
        row("list item", 25, "\n\n- ^列表项\n\n", 52, 2, 83);
        row("full reference", 42, "[参考资料][r]文^", 54, 3, 98, "\n\n[r]: http://ref.example/\n");
        row("shortcut reference", 30, "[Python Package Index][PyPI]文^", 39, 0, 71, "\n\n[PyPI]: https://pypi.org/\n");
        row("HTML link", 10, "<a href=\"http://x.example/\">网页链接</a>^", 70, 1, 82);
        row("after !", 26, "!文^", 53, 2, 81);
        row("after \\", 26, "\\文^", 53, 3, 81);
        row("emphasis", 24, "**加粗**文^", 53, 0, 79);
        const auto file = [](const char *name, int style, qsizetype count) {
            QTest::newRow(name) << QString::fromUtf8(readFile(testData("markdown/" + QString::fromUtf8(name)))) << style
                                << count;
        };
        file("constructs.md", 0, 171);
        file("libcbor-README.md", 1, 504);
        file("underscore-README.md", 2, 173);
        file("zstd-README.md", 3, 1174);
    }

    void places()
    {
        QFETCH(QString, article);
        QFETCH(int, style);
        QFETCH(qsizetype, count);
        article.replace(u'\n', QStringLiteral("\r\n"));
        const qsizetype landing = article.indexOf(u'^');
        article.remove(u'^');
        const Options options{.bold = bool(style & 1), .italic = bool(style & 2), .format = LinkFormat::Markdown};
        const QString markup =
            BuildMarkup(QStringLiteral("乌龙[茶]"), QStringLiteral("http://tea.example/乌龙 (茶)"), options);
        const Ranges places = AllowedPlaces(article, LinkFormat::Markdown);
        qsizetype allowed = 0;
        for (const bool dialect : {true, false}) {
            const QByteArray link = html(markup, dialect).sliced(3).chopped(5); // without "<p>" and "</p>\n"
            const QByteArray before = html(article, dialect);
            allowed = 0;
            for (const Range &range : places) {
                for (qsizetype p = range.first; p <= range.last; ++p, ++allowed) {
                    QByteArray after = html(article.first(p) + markup + article.sliced(p), dialect);
                    const qsizetype at = after.indexOf(link);
                    if (at < 0 || after.remove(at, link.size()) != before)
                        QFAIL(qPrintable(u"%1: …%2|%3…"_qs.arg(p).arg(article.mid(p - 20, 20), article.mid(p, 20))));
                }
            }
        }
        if (landing >= 0)
            QCOMPARE(Nearest(places, Linker::PointsFor(article.size(), 2).first()), landing);
        QCOMPARE(allowed, count);
    }
};

QTEST_GUILESS_MAIN(tst_markdown)
#include "tst_markdown.moc"

// Where a link goes in an HTML article. Each document is tried with the link at every allowed
// position, and gumbo, an HTML5 parser, must read the result as the document plus that one link,
// in the text where it was put.
#include "Markup.h"
#include "Placement.h"
#include "TestUtil.h"

#include <gumbo.h>

using namespace Placement;

namespace {

const GumboNode *child(const GumboVector &nodes, size_t k)
{
    return k < nodes.length ? static_cast<const GumboNode *>(nodes.data[k]) : nullptr;
}

// The tree as text: elements with their namespace and attributes, comments, and text without
// white space, which collapses when shown. The element whose tag starts at `skip`, the new link's
// outermost, is left out and kept in `link`.
void read(const GumboNode *node, unsigned skip, QByteArray &tree, const GumboNode *&link)
{
    const GumboVector *children = &node->v.document.children;
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
        const GumboElement &e = node->v.element;
        if (e.start_pos.offset == skip && e.original_tag.length > 0) {
            tree += link ? "<second link>" : "";
            link = node;
            return;
        }
        tree += '<' + QByteArray(e.original_tag.data, e.tag == GUMBO_TAG_UNKNOWN ? e.original_tag.length : 0) +
                gumbo_normalized_tagname(e.tag) + char('0' + e.tag_namespace);
        for (unsigned k = 0; k < e.attributes.length; ++k) {
            const auto *a = static_cast<const GumboAttribute *>(e.attributes.data[k]);
            tree += ' ' + QByteArray(a->name) + "=\"" + a->value + '"';
        }
        tree += '>';
        children = &e.children;
    } else if (node->type != GUMBO_NODE_DOCUMENT) {
        const QByteArray text = QByteArray(node->v.text.text).simplified().replace(' ', "");
        tree += node->type == GUMBO_NODE_COMMENT ? "<!--" + text + "-->" : text;
        return;
    }
    for (size_t k = 0; const GumboNode *c = child(*children, k); ++k)
        read(c, skip, tree, link);
    tree += "</>";
}

// The document as gumbo reads it: its tree, then the link whose outermost tag starts at `skip`,
// marked when it is not in the text it was put in: beside a text that ends where it starts or
// starts where it ends, and in a line, beside visible text or between inline elements that hold
// something.
QByteArray read(const QByteArray &html, unsigned skip)
{
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, html.constData(), html.size());
    QByteArray tree;
    const GumboNode *link = nullptr, *none = nullptr;
    read(output->document, skip, tree, link);
    tree += '|';
    if (link) {
        read(link, UINT_MAX, tree, none);
        const GumboVector &siblings = link->parent->v.element.children;
        const size_t at = link->index_within_parent;
        const unsigned end = link->v.element.end_pos.offset + link->v.element.original_end_tag.length;
        const QList<GumboTag> inlines{GUMBO_TAG_A,    GUMBO_TAG_B,    GUMBO_TAG_I,     GUMBO_TAG_U,
                                      GUMBO_TAG_EM,   GUMBO_TAG_SPAN, GUMBO_TAG_CODE,  GUMBO_TAG_LABEL,
                                      GUMBO_TAG_FONT, GUMBO_TAG_NOBR, GUMBO_TAG_STRONG};
        bool beside = false, visible = false;
        int between = 0;
        for (size_t k : {at - 1, at + 1}) {
            const GumboNode *n = child(siblings, k);
            if (n && (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE)) {
                const unsigned from = n->v.text.start_pos.offset, to = from + n->v.text.original_text.length;
                const bool touches = k < at ? to == skip : from == end || (from == end + 1 && html[end] == '\r');
                beside |= touches;
                visible |= touches && n->type == GUMBO_NODE_TEXT;
                n = n->type == GUMBO_NODE_WHITESPACE ? child(siblings, k < at ? k - 1 : k + 1) : n;
            }
            between += n && n->type == GUMBO_NODE_ELEMENT && inlines.contains(n->v.element.tag) &&
                       n->v.element.children.length > 0;
        }
        tree += beside && (visible || between == 2) ? "" : " misplaced";
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return tree;
}

QString fixture(const QString &name)
{
    return QString::fromUtf8(readFile(testData("html/" + name))).replace("\n", "\r\n");
}

} // namespace

class TestHtml : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "‸" marks where the first link of a generate (a third into the article) must land.
    void places_data()
    {
        QTest::addColumn<QString>("marked");
        QTest::addColumn<int>("style"); // 1 bold, 2 italic
        auto repro = [](int a, const QString &x, int b) { return QString(a, u'中') + x + QString(b, u'文'); };
        QTest::newRow("script") << repro(17, "<script>var s = \"脚本\";</script>‸", 61) << 0;
        QTest::newRow("table cells") << repro(18, "<table><tr><td>甲</td>\r\n<td>‸乙</td></tr></table>", 60) << 1;
        QTest::newRow("comment holding a tag") << repro(22, "<!-- <p>注释</p> -->‸", 56) << 2;
        QTest::newRow("title") << repro(20, "<title>标题文字</title>‸", 50) << 0;
        QTest::newRow("textarea") << repro(20, "<textarea>文本内容</textarea>‸\r\n", 50) << 3;
        QTest::newRow("option") << repro(20, "<select><option>选项一</option><option>选项二</option></select>‸", 50)
                                << 0;
        QTest::newRow("plaintext") << repro(20, "‸<plaintext>纯文本", 30) << 0;
        QTest::newRow("head") << "<html><head><meta charset=\"utf-8\">\r\n<meta name=\"keywords\" content=\"绿茶\">\r\n"
                                 "<title>茶</title>\r\n</head>\r\n<body>\r\n<p>‸" +
                                     repro(0, "", 30) + "</p>\r\n</body></html>"
                              << 0;
        QTest::newRow("plain text") << "\r\n" + repro(24, "‸", 0) + repro(6, "\r\n与 AT&amp;T\r\n", 30) + "\r\n" << 3;
        // Text in 禁 is where a link must not go.
        QString closed;
        for (const char *tag :
             {"h1",       "h2",       "h3",       "h4",      "h5",       "h6",       "pre",      "listing", "xmp",
              "code",     "kbd",      "samp",     "button",  "noscript", "template", "iframe",   "object",  "applet",
              "video",    "audio",    "canvas",   "noembed", "noframes", "style",    "textarea", "select",  "option",
              "optgroup", "datalist", "progress", "meter",   "summary",  "rt",       "rp"})
            closed += QString("<%1>禁</%1>").arg(tag);
        const QStringList lines{
            "<!DOCTYPE html>",
            "<p>段落&nbsp;一 AT&amp;T 与&copy 茶</p>",
            "<ul>\r\n<li>列表 <b>粗</b> <i>斜</i></li>\r\n</ul>",
            "<p>用 " + closed + " 与</p>",
            "<a href=\"http://x.example/\">禁 <b>禁</b></a> 正文 <a name=\"n\">禁</a>",
            "<svg><text>禁</text></svg><math><mi>禁</mi></math><ruby>汉<rt>禁</rt></ruby>",
            "<div hidden>禁</div><div><b></b> <i></i></div>",
            "<details>禁<summary>禁</summary></details><details open>开<summary>禁</summary></details>",
            "<table>禁<tr><td>格</td></tr><caption>表题</caption></table>",
            "<p>错<b>粗<i>斜</b>体</i>字</p></font>后文<body class=\"x>y\">尾字</body>",
            "<!--注释-->后<!DOCTYPE html",
        };
        QTest::newRow("everything else") << lines.join("\r\n") << 3;
        QTest::newRow("libffi manual") << fixture("libffi-memory-usage.html") << 0;
        QTest::newRow("libxslt page") << fixture("libxslt-api.html") << 1;
        QTest::newRow("Python policy") << fixture("python-policy.html") << 2;
    }

    void places()
    {
        QFETCH(QString, marked);
        QFETCH(int, style);
        const qsizetype landing = marked.indexOf(u'‸');
        const QString article = QString(marked).remove(u'‸');
        const Ranges places = AllowedPlaces(article, LinkFormat::Html);
        if (landing >= 0)
            QCOMPARE(Nearest(places, article.size() / 3), landing);
        if (!article.contains(u'<'))
            QCOMPARE(places, TextPlaces(article));

        Options options;
        options.bold = style & 1;
        options.italic = style & 2;
        const QString markup = BuildMarkup("绿茶", "http://k.example/", options);
        QByteArray link = "<a0 href=\"http://k.example/\" alt=\"绿茶\">绿茶</>";
        link = options.bold ? "<b0>" + link + "</>" : link;
        const QByteArray expected = read(article.toUtf8(), UINT_MAX) + (options.italic ? "<i0>" + link + "</>" : link);
        // Every position the reader allows, not only those the text leaves: the reader alone keeps
        // character references and tags whole. Inside a word only its ends are tried.
        auto word = [&](qsizetype p) {
            return p >= 0 && p < article.size() && article[p].unicode() < 0x80 && article[p].isLetterOrNumber();
        };
        for (const Range &r : HtmlPlaces(article)) {
            for (qsizetype p = r.first; p <= r.last; ++p) {
                if (word(p - 1) && word(p))
                    continue;
                const QString at = article.left(p);
                if (article.mid(p - 1, 2).contains(u'禁') ||
                    read((at + markup + article.mid(p)).toUtf8(), at.toUtf8().size()) != expected)
                    QFAIL(qPrintable(QString("at %1: …%2‸%3…").arg(p).arg(at.right(30), article.mid(p, 30))));
            }
        }
    }

    // A link holds everything up to its end tag, however far, or to the end of an article without one.
    void longLink()
    {
        const QString link = QString(10000, u'中') + "<a href=\"http://x.example/\">" + QString(100000, u'文');
        for (const QString &rest : {"</a>" + QString(10000, u'中'), QString()}) {
            const QString article = link + rest;
            const qsizetype after = rest.isEmpty() ? 10000 : article.size() - 10000;
            const Ranges places = AllowedPlaces(article, LinkFormat::Html);
            QCOMPARE(places, (rest.isEmpty() ? Ranges{{0, 10000}} : Ranges{{0, 10000}, {after, article.size()}}));
            QCOMPARE(Nearest(places, article.size() / 3), after);
        }
    }
};

QTEST_GUILESS_MAIN(TestHtml)
#include "tst_html.moc"

// Where a UBB (BBCode) article takes a link, checked against a forum's rendering written apart from the
// reader: the rendering with the link inserted is the article's own plus one link.
#include "Linker.h"
#include "Markup.h"
#include "Placement.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QChar Marker(0xE000);

// Tags are replaced by HTML-like ones: the elements kept whole in one pass from the left (addresses
// and code escaped), then paired tags until none is left, then list items.
QString rendered(QString s)
{
    const auto options = QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;
    static const QRegularExpression whole(R"(\[code\](.*?)\[/code\]|\[(img|url|email)\]([^\[\]]*)\[/\2\]|)"
                                          R"(\[(url|email)=([^\]\r\n]*)\](.*?)\[/\4\])",
                                          options),
        paired(R"(\[(b|i|u|s|color|size|font|align|quote|list|table|tr|td|th)(=[^\]\[<\r\n]*)?\](.*?)\[/\1\])",
               options);
    auto literal = [](QString t) { return t.replace('[', "&#91;").replace(']', "&#93;"); };
    s.replace('&', "&amp;").replace('<', "&lt;");
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : whole.globalMatch(s)) {
        out += s.sliced(from, m.capturedStart() - from);
        if (m.capturedStart(1) >= 0)
            out += "<pre>" + literal(m.captured(1)) + "</pre>";
        else if (m.capturedStart(3) >= 0)
            out += '<' + m.captured(2) + '>' + literal(m.captured(3)) + "</>";
        else
            out += "<a href=\"" + literal(m.captured(5)) + "\">" + m.captured(6) + "</a>";
        from = m.capturedEnd();
    }
    s = out + s.sliced(from);
    for (QString was; was != s;) {
        was = s;
        s.replace(paired, "<\\1\\2>\\3</\\1>");
    }
    return s.replace("[*]", "<li>", Qt::CaseInsensitive);
}

// The article with "|" at each allowed position.
QString shown(const QString &text, const Placement::Ranges &allowed)
{
    QString out;
    for (qsizetype p = 0; p <= text.size(); ++p)
        out += (Placement::Nearest(allowed, p) == p ? "|" : "") + text.sliced(p, p < text.size() ? 1 : 0);
    return out;
}
} // namespace

class TestUbb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void places_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("places");           // "|" at each allowed position, when short
        QTest::addColumn<QList<qsizetype>>("landing"); // where the two links go, when given
        const QChar zh = u'中', wen = u'文';
        auto row = [](const char *name, const QString &article, const QString &places, QList<qsizetype> landing = {}) {
            QTest::newRow(name) << article << places << landing;
        };
        row("style tags", "中[b]粗[/b]文", "|中|[b]|粗|[/b]|文|");
        row("not tags, a forum's own tag", "[1]与[参考][b ]甲[/b][hide]乙[/hide]",
            "|[|1|]|与|[|参|考|]|[|b| |]|甲|[/b]|[hide]|乙|[/hide]|");
        row("kept whole, any case",
            "甲[url=http://a.example/]链接[/url]乙[img]http://b.example/图.png[/IMG]丙[email]c@d.example[/email]丁"
            "[CODE]代[b]码[/code][attach]12[/attach]",
            "|甲|[url=http://a.example/]链接[/url]|乙|[img]http://b.example/图.png[/IMG]|丙|[email]c@d.example[/email]|"
            "丁|[CODE]代[b]码[/code]|[attach]12[/attach]|");
        row("quote and color hold text", "[quote=小明]引[color=red]用[/color][/quote]",
            "|[quote=小明]|引|[color=red]|用|[/color]|[/quote]|");
        row("nested links", "[url]甲[url]乙[/url]丙[/url]丁", "|[url]甲[url]乙[/url]丙[/url]|丁|");
        row("unclosed link", "甲[url=http://a.example/]乙[b]丙[/b]", "|甲|[url=http://a.example/]乙[b]丙[/b]");
        row("unclosed bold", "甲[i]乙[/i][b]丙[b]丁[/b]", "|甲|[i]|乙|[/i]|[b]丙[b]丁[/b]");
        row("unfinished tag", "甲[url=乙\r\n丙[i=x", "|甲|[url=乙\r\n|丙|[i=x");
        row("cells, closed by the table", "前[table][tr][td]甲[/td]\r\n[th]乙[/table]后[/td]",
            "|前|[table][tr][td]|甲|[/td]\r\n[th]|乙|[/table]|后|[/td]|");
        row("list", "[list][*]甲[*]乙[/list]", "|[list]|[*]|甲|[*]|乙|[/list]|");
        row("code", QString(23, zh) + "[code]代码注释[/code]" + QString(53, wen), {}, {40, 72});
        row("image address", QString(20, zh) + "[img]http://img.example/图片名称.png[/img]" + QString(60, wen), {},
            {58, 91});
        row("e-mail address", QString(20, zh) + "[email]编辑部@tea.example[/email]" + QString(60, wen), {}, {50, 85});
        row("link far away",
            QString(3000, zh) + "[url=http://x.example/]" + QString(6000, wen) + "[/url]" + QString(3000, zh), {},
            {9029, 9355});
        row("forum reply",
            "[quote=茶友小王]请问[b]安吉白茶[/b]怎么冲泡？[/quote]\r\n回复：水温八十度左右，[color=#008000]玻璃杯["
            "/color]最好。\r\n[img]http://img.example/baicha/冲泡.jpg[/img]\r\n步骤见[url=http://tea.example/"
            "guide?id=12&lang=zh]冲泡[i]指南[/i][/url]，或写信到[email]tea@tea.example[/email]。\r\n[list]\r\n[*]"
            "投茶三克\r\n[*]注水七分满\r\n[/list]\r\n[size=2]本帖最后由 小李 于 2023-5-1 编辑[/size]",
            {});
        row("forum question",
            "[b]问题[/b]：脚本报错 [1]，代码如下：\r\n[code]for i in range(3):\r\n    print(\"[b]第%d行[/b]\" % i)\r\n["
            "/code]\r\n[table][tr][td]版本[/td][td]结果[/td][/tr]\r\n[tr][td]3.11[/td][td][u]正常[/u][/td][/tr][/"
            "table]\r\n[参考] 官方文档：[URL]http://docs.example/py[/URL]\r\n[align=center][s]谢谢各位！[/s][/align]",
            {});
    }
    void places()
    {
        QFETCH(QString, article);
        QFETCH(QString, places);
        QFETCH(QList<qsizetype>, landing);
        const Placement::Ranges allowed = Placement::AllowedPlaces(article, LinkFormat::Ubb);
        if (!places.isEmpty())
            QCOMPARE(shown(article, allowed), places);
        QList<qsizetype> points = Linker::PointsFor(article.size(), 2);
        for (qsizetype &p : points)
            p = Placement::Nearest(allowed, p);
        if (!landing.isEmpty())
            QCOMPARE(points, landing);
        if (article.size() < 2000) {
            points.clear();
            for (const Placement::Range &r : allowed)
                for (qsizetype p = r.first; p <= r.last; ++p)
                    points.append(p);
        }
        const QString original = rendered(article);
        QCOMPARE(rendered("[url=http://a.example/]甲[/url]"), "<a href=\"http://a.example/\">甲</a>");
        for (bool styled : {false, true}) {
            const QString link =
                BuildMarkup("链接", "http://链.example/", {styled, styled, false, false, LinkFormat::Ubb});
            for (qsizetype p : points) {
                const QString marked = rendered(article.first(p) + Marker + article.sliced(p));
                QCOMPARE(QString(marked).remove(Marker), original);
                QCOMPARE(rendered(article.first(p) + link + article.sliced(p)),
                         QString(marked).replace(Marker, rendered(link)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestUbb)
#include "tst_ubb.moc"

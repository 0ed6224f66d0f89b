// Where a UBB (BBCode) article takes a link, checked against a forum's rendering written apart from the
// reader: the rendering with the link inserted is the article's own plus one link.
#include "Linker.h"
#include "Markup.h"
#include "Placement.h"
#include "TestUtil.h"

#include <QDir>
#include <QRegularExpression>

namespace {
// Elements kept whole in one pass from the left, their addresses and code made inert; then paired
// tags until none is left. A tag's value holds no "<": it cannot hold a rendered link.
QString rendered(QString s)
{
    const auto options = QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;
    static const QRegularExpression whole(R"(\[(code)\](.*?)\[/code\]|\[(img|url|email|attach)\]([^\[\]]*)\[/\3\]|)"
                                          R"(\[(url|email)=([^\]\r\n]*)\](.*?)\[/\5\])",
                                          options),
        paired(R"(\[(b|i|u|s|color|size|font|align|quote|list|table|tr|td|th)(=[^\]\[<\r\n]*)?\](.*?)\[/\1\])",
               options);
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : whole.globalMatch(s)) {
        const int n = m.capturedStart(1) >= 0 ? 1 : m.capturedStart(3) >= 0 ? 3 : 5;
        const QString inert = m.captured(n + 1).replace('[', "&#91;");
        out += s.sliced(from, m.capturedStart() - from) + '<' + m.captured(n) +
               (n == 5 ? '=' + inert + '>' + m.captured(7) : '>' + inert) + "</>";
        from = m.capturedEnd();
    }
    s = out + s.sliced(from);
    for (QString was; was != s;) {
        was = s;
        s.replace(paired, "<\\1\\2>\\3</\\1>");
    }
    return s;
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
        for (const char *places : {
                 "|中|[b]|粗|[/b]|文|",
                 "|[|1|]|与|[|参|考|]|[|b| |]|甲|[/b]|[hide]|乙|[/hide]|",
                 "|甲|[url=http://a.example/]链接[/url]|乙|[img]http://b.example/图.png[/IMG]|丙|[email]c@d.example[/"
                 "email]|丁|[CODE]代[b]码[/code]|[attach]12[/attach]|",
                 "|[quote=小明]|引|[color=red]|用|[/color]|[/quote]|[list]|[*]|甲|[*]|乙|[/list]|",
                 "|[url]甲[url]乙[/url]丙[/url]|丁|",
                 "|甲|[url=http://a.example/]乙[b]丙[/b]",
                 "|甲|[i]|乙|[/i]|[b]丙[b]丁[/b]",
                 "|甲|[url=乙\r\n|丙|[i=x",
                 "|前|[table][tr][td]|甲|[/td]\r\n[th]|乙|[/table]|后|[/td]|",
             })
            QTest::newRow(qPrintable(QString(places).replace("\r\n", "\\r\\n")))
                << QString(places).remove('|') << QString(places) << QList<qsizetype>();
        const QString zh(3000, u'中'), wen(6000, u'文');
        QTest::newRow("code") << zh.first(23) + "[code]代码注释[/code]" + wen.first(53) << ""
                              << QList<qsizetype>{40, 72};
        QTest::newRow("image, e-mail") << zh.first(20) + "[img]http://img.example/图片名称.png[/img]" + wen.first(20) +
                                              "[email]编辑部@tea.example[/email]" + wen.first(10)
                                       << "" << QList<qsizetype>{58, 108};
        QTest::newRow("far") << zh + "[url=http://x.example/]" + wen + "[/url]" + zh << ""
                             << QList<qsizetype>{9029, 9355};
        for (const QString &name : QDir(testData("ubb")).entryList({"*.txt"}))
            QTest::newRow(qPrintable(name)) << QString(readFile(testData("ubb/" + name))) << "" << QList<qsizetype>();
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
        for (qsizetype p = 0; p <= article.size() && article.size() < 2000; ++p) {
            if (Placement::Nearest(allowed, p) == p)
                points.append(p);
        }
        QCOMPARE(rendered("[URL=L]甲[/url][b]乙[/b]"), "<URL=L>甲</><b>乙</b>");
        const QString original = rendered(article), marker(QChar(0xE000));
        for (bool styled : {false, true}) {
            const QString link =
                BuildMarkup("链接", "http://链.example/", {styled, styled, false, false, LinkFormat::Ubb});
            for (qsizetype p : points) {
                const QString marked = rendered(article.first(p) + marker + article.sliced(p));
                QCOMPARE(QString(marked).remove(marker), original);
                QCOMPARE(rendered(article.first(p) + link + article.sliced(p)),
                         QString(marked).replace(marker, rendered(link)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestUbb)
#include "tst_ubb.moc"

// The keyword matcher against a table of cases, and against the plainest reading of its rules.
#include "KeywordMatcher.h"
#include "KeywordTable.h"
#include "Placement.h"

#include <QRandomGenerator>
#include <QTest>

#include <ranges>
#include <set>

namespace {
using Allowed = KeywordMatcher::Allowed;
using Found = QList<std::pair<qsizetype, qsizetype>>; // start, length

// The text with each occurrence, given in text order, in brackets: "学[SEO]优化".
QString marked(QString text, const Found &found)
{
    for (const auto &[start, length] : found | std::views::reverse)
        text.insert(start + length, u']').insert(start, u'[');
    return text;
}

// Ends in "?" when the records of a keyword found are not the positions that hold it.
QString viaMatcher(const QStringList &keywords, const QString &text, const Allowed &allowed)
{
    KeywordTable table;
    for (const QString &k : keywords)
        table.append(k, {});
    const KeywordMatcher matcher(table);
    Found found;
    bool wrong = false;
    for (const auto &[start, length, keyword] : matcher.find(text, allowed)) {
        found.append({start, length});
        QList<qsizetype> records;
        for (qsizetype i = 0; i < keywords.size(); ++i)
            if (keywords[i] == text.sliced(start, length))
                records << i + 1;
        wrong |= matcher.records(keyword) != records;
    }
    return marked(text, found) + (wrong ? "?" : "");
}

// Every occurrence of every keyword by indexOf, the rules checked one by one, then the longest taken first.
QString viaReference(const QStringList &keywords, const QString &text, const Allowed &allowed)
{
    const qsizetype n = text.size();
    auto word = [&](qsizetype p) { return p >= 0 && p < n && text[p] < u'\x80' && text[p].isLetterOrNumber(); };
    auto splits = [&](qsizetype p) { return p > 0 && p < n && Placement::SplitsPair(text[p - 1], text[p]); };
    std::set<std::pair<qsizetype, qsizetype>> all; // (-length, start): the longest, then the first
    for (const QString &k : keywords)
        for (qsizetype s = k.isEmpty() ? -1 : text.indexOf(k), e = s + k.size(); s >= 0;
             s = text.indexOf(k, s + 1), e = s + k.size())
            if (!(word(s - 1) && word(s)) && !(word(e - 1) && word(e)) && !splits(s) && !splits(e) &&
                (!allowed || allowed(s, k.size())))
                all.insert({-k.size(), s});
    QList<bool> used(n);
    std::map<qsizetype, qsizetype> taken;
    for (const auto &[minus, s] : all)
        if (!used.mid(s, -minus).contains(true))
            std::fill_n(used.begin() + s, taken[s] = -minus, true);
    return marked(text, Found(taken.begin(), taken.end()));
}
} // namespace

class TestMatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find()
    {
        // The keywords ("|" between them), the text, a length that `allowed` refuses, the text marked.
        const std::tuple<QString, QString, int, QString> table[] = {
            {"SEO|优化SEO|SEO优", "SEOer xSEO 学SEO 1SEO -SEO- x优化SEO SEO优化", 0,
             "SEOer xSEO 学[SEO] 1SEO -[SEO]- x[优化SEO] [SEO优]化"},
            {"绿茶|绿茶叶|叶|茶叶|叶蛋糕", "绿茶绿茶叶叶 茶叶蛋糕", 0, "[绿茶][绿茶叶][叶] 茶[叶蛋糕]"},
            {"叶茶|茶叶|一二三四五|四五六七|六七", "茶叶茶 一二三四五六七", 0, "[茶叶]茶 [一二三四五][六七]"},
            {"绿茶叶|茶|茶叶|叶蛋糕", "绿茶叶 茶叶蛋糕", 3, "绿[茶叶] [茶叶]蛋糕"}, // 3: refused
            {"茶||茶|叶|", "茶叶", 0, "[茶][叶]"},
            {u"😀|\xDE00x|a\xD83D"_qs, "a😀x😀", 0, "a[😀]x[😀]"},
            {"\n中|中\r|\r\n", "中\r\n中", 0, "中[\r\n]中"},
        };
        for (const auto &[keywords, text, refused, expected] : table) {
            const Allowed allowed = [&](qsizetype, qsizetype length) { return length != refused; };
            QCOMPARE(viaMatcher(keywords.split('|'), text, refused ? allowed : Allowed()), expected);
            QVERIFY(KeywordMatcher().find(text).isEmpty());
        }
    }

    // Small random texts and lists over a few characters, half the keywords pieces of the text; then long
    // texts of two characters, where the occurrences overlap from end to end.
    void againstReference()
    {
        QRandomGenerator random(19);
        auto draw = [&](int most, QStringView alphabet) {
            QString s;
            for (int n = random.bounded(most + 1); n > 0; --n)
                s += alphabet[random.bounded(alphabet.size())];
            return s;
        };
        for (int round = 0; round < 610; ++round) {
            const QStringView alphabet = round < 600 ? u"abS1 茶叶\r\n\xD83D\xDE00" : u"茶叶";
            const QString text = draw(round < 600 ? 24 : 30000, alphabet);
            QStringList keywords;
            for (int n = random.bounded(1, 9); n > 0; --n)
                keywords << (n % 2 ? draw(4, alphabet)
                                   : text.mid(random.bounded(text.size() + 1), random.bounded(1, 6)));
            const Allowed allowed = [&](qsizetype s, qsizetype l) { return (s * 7 + l + round) % 3; };
            QCOMPARE(viaMatcher(keywords, text, round % 2 ? allowed : Allowed()),
                     viaReference(keywords, text, round % 2 ? allowed : Allowed()));
        }
        // Ever longer occurrences, each overlapping the one before, the last deciding the first (哈一), which
        // ends just before the first occurrences are settled for good.
        const QString chain = QString(KeywordMatcher::Gather - 3, u'哈') + "一二三四五六七八九十甲乙丙丁戊";
        const QStringList links = QString("哈哈|哈一|一二三|三四五六|六七八九十|十甲乙丙丁戊").split('|');
        QCOMPARE(viaMatcher(links, chain, {}), viaReference(links, chain, {}));
    }
};

QTEST_GUILESS_MAIN(TestMatcher)
#include "tst_matcher.moc"

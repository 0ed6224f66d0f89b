// Statistics, table, draw and keyword-matching costs. The ratio counters compare two measurements
// taken in the same iterations, so they hold whatever else the machine is doing.
#include "BenchRatio.h"
#include "Gbk.h"
#include "KeywordMatcher.h"
#include "KeywordTable.h"
#include "Linker.h"
#include "Statistics.h"

#include <QStringEncoder>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

namespace {

// Mostly Chinese, with ASCII, full-width punctuation and CR LF as a pasted article has.
QString article(qsizetype bytes)
{
    const QString paragraph = QStringLiteral("绿茶是中国的主要茶类之一，采用茶树的新叶或芽，未经发酵，"
                                             "经杀青、整形、烘干等工艺而制作的饮品。Green tea 2024.\r\n");
    QString out;
    out.reserve(bytes / 2 + paragraph.size());
    while (Gbk::count(out).bytes < bytes)
        out += paragraph.repeated(1000);
    return out;
}

void BM_TongjiVsGbkEncode(benchmark::State &state)
{
    const QString text = article(state.range(0) * 1024 * 1024);
    QStringEncoder encoder("GBK");
    ratio(
        state, "stats_ms",
        [&] {
            const QString caption = StatisticsText(CountArticle(text));
            benchmark::DoNotOptimize(caption.data());
        },
        "encode_ms",
        [&] {
            const QByteArray bytes = encoder.encode(text);
            benchmark::DoNotOptimize(bytes.data());
        }); // goal: ratio <= 0.25
}
BENCHMARK(BM_TongjiVsGbkEncode)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_TableAppend100k(benchmark::State &state)
{
    for (auto _ : state) {
        KeywordTable table;
        for (int i = 0; i < 100'000; ++i)
            table.append(QStringLiteral("关键字%1").arg(i), QStringLiteral("http://www.example.com/%1").arg(i));
        benchmark::DoNotOptimize(table.count());
    }
}
BENCHMARK(BM_TableAppend100k)->Unit(benchmark::kMillisecond);

void BM_Keywords100kDraws(benchmark::State &state)
{
    KeywordTable table;
    QList<KeywordTable::Record> records;
    for (int i = 0; i < 100'000; ++i)
        records.append({QStringLiteral("关键字%1").arg(i), QStringLiteral("http://www.example.com/%1").arg(i)});
    table.append(records);
    ClockStirredRandom random;
    KeywordRotation rotation;
    const Options options{true, true, true};
    for (auto _ : state) {
        for (int i = 0; i < 100'000; ++i)
            benchmark::DoNotOptimize(Linker::Draw(table, 1, options, random, rotation));
    }
}
BENCHMARK(BM_Keywords100kDraws)->Unit(benchmark::kMillisecond);

// An article pasted from a web page: tags, attributes, links, entities and English on every line.
QString taggedArticle(qsizetype bytes)
{
    const QString paragraph = QStringLiteral(
        "<p class=\"content\" style=\"text-indent:2em\">绿茶是中国的主要茶类之一，<a href=\"http://www.example.com/"
        "tea/green.html\" target=\"_blank\">绿茶</a>采用茶树的新叶或芽，<strong>未经发酵</strong>，经杀青&nbsp;整形、"
        "烘干等工艺而制作的饮品。Green tea 2024.</p>\r\n<div><img src=\"/img/tea.jpg\" alt=\"tea\"></div>\r\n");
    QString out;
    while (Gbk::count(out).bytes < bytes)
        out += paragraph.repeated(100);
    return out;
}

// The insertion that keeps mark-up whole against the plain one, in the same iterations.
void BM_SafeVsPlainInsertion(benchmark::State &state)
{
    const QString text = state.range(0) ? taggedArticle(1024 * 1024) : article(1024 * 1024);
    const QString link1 = QStringLiteral("<a href=\"http://www.example.com/\" alt=\"绿茶\">绿茶</a>"), link2 = link1;
    Options avoid;
    avoid.avoidMarkup = true;
    ratio(
        state, "safe_ms",
        [&] {
            const QString safe = Linker::InsertAt(text, Linker::PointsIn(text, 2, avoid), {link1, link2}).text;
            benchmark::DoNotOptimize(safe.data());
        },
        "plain_ms",
        [&] {
            const QString plain = Linker::InsertAt(text, Linker::PointsIn(text, 2, {}), {link1, link2}).text;
            benchmark::DoNotOptimize(plain.data());
        }); // goal: ratio <= 2 on the tagged article
}
BENCHMARK(BM_SafeVsPlainInsertion)->ArgName("tagged")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// `count` records of 2 to 6 common Chinese characters, every tenth an ASCII word, from a fixed seed.
void randomKeywords(KeywordTable &table, int count)
{
    const QString common =
        QStringLiteral("的一是不了人我在有他这中大来上个国到说们为子和你地出道也时年得就那要下以生会自着去之过家学"
                       "对可里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面"
                       "公同三已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情"
                       "部正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使教西再平真听世气信北");
    std::mt19937 random(2024);
    QList<KeywordTable::Record> records;
    for (int i = 0; i < count; ++i) {
        QString keyWord = i % 10 == 9 ? QStringLiteral("word%1").arg(i) : QString();
        for (int n = keyWord.isEmpty() ? 2 + int(random() % 5) : 0; n > 0; --n)
            keyWord += common[random() % common.size()];
        records.append({keyWord, QStringLiteral("http://www.example.com/%1").arg(i)});
    }
    table.append(records);
}

void BM_BuildMatcher100k(benchmark::State &state)
{
    KeywordTable table;
    randomKeywords(table, 100'000);
    for (auto _ : state) {
        const KeywordMatcher matcher(table);
        benchmark::DoNotOptimize(matcher.keywords().size()); // goal: < 200 ms
    }
}
BENCHMARK(BM_BuildMatcher100k)->Unit(benchmark::kMillisecond);

// 10,000 keywords, a few of them the article's own words, found in the article vs. a GBK encode of it.
void BM_FindKeywords1MB(benchmark::State &state)
{
    const QString text = article(1024 * 1024);
    KeywordTable table;
    randomKeywords(table, 10'000 - 6);
    for (const char16_t *word : {u"绿茶", u"茶树", u"发酵", u"工艺", u"Green", u"tea"})
        table.append(QString::fromUtf16(word), QStringLiteral("http://www.example.com/"));
    const KeywordMatcher matcher(table);
    QStringEncoder encoder("GBK");
    qsizetype found = 0;
    ratio(
        state, "find_ms", [&] { found = matcher.find(text).size(); }, "encode_ms",
        [&] {
            const QByteArray bytes = encoder.encode(text);
            benchmark::DoNotOptimize(bytes.data());
        }); // goal: ratio <= 6
    state.counters["found"] = double(found);
}
BENCHMARK(BM_FindKeywords1MB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

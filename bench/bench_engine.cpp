// Statistics, table and draw costs. The ratio counters compare two measurements taken in the
// same iterations, so they hold whatever else the machine is doing.
#include "BenchRatio.h"
#include "Gbk.h"
#include "KeywordTable.h"
#include "Linker.h"
#include "Statistics.h"

#include <QStringEncoder>

#include <benchmark/benchmark.h>

#include <chrono>

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

} // namespace

BENCHMARK_MAIN();

// A batch of 2,000 articles of 5 KB with a list of 1,000 keywords, every option off: against the
// least any batch must do with the same files (read, decode, encode and write each one in one step,
// with no links), and on one thread against two.
#include "ArticleFile.h"
#include "Batch.h"
#include "BenchRatio.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Articles = 2000;
constexpr int Keywords = 1000;

struct Folder
{
    QTemporaryDir dir;
    QList<KeywordTable::Record> records;
    Batch::Settings settings;
    Batch::Collected collected;

    Folder()
    {
        const QString in = dir.filePath(QStringLiteral("in"));
        QDir().mkpath(in);
        // 5 KB of GBK: lines of 40 Chinese characters and a full stop.
        QString text;
        for (int i = 0; text.size() * 2 < 5000; ++i)
            text += QChar(0x4e00 + (i * 131) % 8000) + QString(i % 40 == 39 ? QStringLiteral("。\r\n") : QString());
        const ArticleFile::Article article{text, StoredFile::Encoding::Gbk, ArticleFile::LineEnds::CrLf, {}};
        for (int i = 0; i < Articles; ++i)
            ArticleFile::write(QStringLiteral("%1/%2.txt").arg(in).arg(i), article, text);
        for (int i = 0; i < Keywords; ++i)
            records.append(
                {QStringLiteral("关键字%1").arg(i), QStringLiteral("http://www.example.com/%1.html").arg(i)});
        settings.inputs = {in};
        settings.outputFolder = dir.filePath(QStringLiteral("out"));
        settings.overwrite = true;
        settings.seed = 1;
        collected = Batch::Collect(settings);
    }

    void run(benchmark::State &state, int jobs)
    {
        settings.jobs = jobs;
        const Batch::Report report = Batch::Run(settings, collected, records);
        if (report.files.size() != Articles || report.files.back().status != Batch::Status::Linked)
            state.SkipWithError("not linked");
    }
};

void BM_BatchVsIoFloor(benchmark::State &state)
{
    Folder folder;
    const QString floor = folder.dir.filePath(QStringLiteral("floor"));
    QDir().mkpath(floor);
    ratio(
        state, "batch_ms", [&] { folder.run(state, 1); }, "io_floor_ms",
        [&] {
            for (const Batch::Input &file : std::as_const(folder.collected.files)) {
                const ArticleFile::Read read = ArticleFile::read(file.path);
                ArticleFile::write(floor + u'/' + file.path.section(u'/', -1), read.article, read.article.text);
            }
        }); // goal: ratio <= 1.5
}
BENCHMARK(BM_BatchVsIoFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BatchJobs1Vs2(benchmark::State &state)
{
    Folder folder;
    double one = 0, two = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        folder.run(state, 1);
        const auto t1 = std::chrono::steady_clock::now();
        folder.run(state, 2);
        one += seconds(t1 - t0);
        two += seconds(std::chrono::steady_clock::now() - t1);
    }
    state.counters["jobs1_ms"] = one * 1000 / double(state.iterations());
    state.counters["jobs2_ms"] = two * 1000 / double(state.iterations());
    state.counters["speedup"] = one / two; // goal: >= 1.6 on 2 cores
}
BENCHMARK(BM_BatchJobs1Vs2)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();

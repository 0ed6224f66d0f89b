// Loading and saving a 100,000-record keyword list, and reading a large settings file. The load is also set against a
// bare read and GBK decode of the same bytes, measured in the same iterations, so the ratio shows what the line
// splitting and the table cost on top of what any reader must do.
#include "BenchRatio.h"
#include "Gbk.h"
#include "KeywordFile.h"
#include "KeywordTable.h"
#include "Settings.h"
#include "StoredFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int Records = 100'000;

// Keywords of two to eight Chinese characters with a number, ASCII links, as a real list has.
void fill(KeywordTable &table)
{
    const QString words = QStringLiteral("绿茶红茶普洱乌龙铁观音龙井碧螺春白茶黄茶花茶");
    QList<KeywordTable::Record> records;
    records.reserve(Records);
    for (int i = 0; i < Records; ++i) {
        const QString keyWord = words.mid(i % 16, 2 + i % 7) + QString::number(i);
        records.append({keyWord, QStringLiteral("http://www.example.com/tea/%1.html").arg(i)});
    }
    table.append(records);
}

// A bare read and GBK decode of a file: what any reader of it must do.
void readDecode(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QString text = Gbk::decode(file.readAll());
    benchmark::DoNotOptimize(text.data());
}

void BM_Load100kVsReadDecode(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.txt"));
    {
        KeywordTable table;
        fill(table);
        SaveTXT(table, path);
    }
    ratio(
        state, "load_ms",
        [&] {
            KeywordTable table;
            JiaTXT(table, path);
            if (table.count() != Records)
                state.SkipWithError("records lost");
        },
        "read_decode_ms", [&] { readDecode(path); }); // goal: ratio <= 3
}
BENCHMARK(BM_Load100kVsReadDecode)->Unit(benchmark::kMillisecond);

void BM_Save100k(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.txt"));
    KeywordTable table;
    fill(table);
    for (auto _ : state)
        SaveTXT(table, path);
    state.counters["bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_Save100k)->Unit(benchmark::kMillisecond);

// Deciding the encoding of a 50 MB list without a byte-order mark and decoding it, against a bare decode of the same
// bytes in the encoding it turns out to be, in the same iterations. Argument 0: the list in GBK; 1: in UTF-8, where
// both readings are weighed.
void BM_Decode50MBVsBareDecode(benchmark::State &state)
{
    const auto encoding = state.range(0) ? StoredFile::Encoding::Utf8 : StoredFile::Encoding::Gbk;
    KeywordTable table;
    fill(table);
    const QByteArray list = KeywordFileBytes(table, encoding);
    const QByteArray bytes = list.repeated((50 << 20) / list.size());
    ratio(
        state, "decode_ms",
        [&] {
            if (StoredFile::decode(bytes).encoding != encoding)
                state.SkipWithError("misread");
        },
        "bare_decode_ms",
        [&] {
            const QString text = state.range(0) ? QString::fromUtf8(bytes) : Gbk::decode(bytes);
            benchmark::DoNotOptimize(text.data());
        });
    state.counters["MB"] = double(bytes.size()) / (1 << 20);
}
BENCHMARK(BM_Decode50MBVsBareDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The four options from a 10 MB settings file of short lines (the section at its end), against a
// bare read and decode of the same bytes, in the same iterations.
void BM_LoadSet10MBVsReadDecode(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Setting.ini"));
    {
        QByteArray bytes = Gbk::encode(u"[其他]\r\n");
        while (bytes.size() < 10 << 20)
            bytes += Gbk::encode(QStringLiteral("键%1=值\r\n").arg(bytes.size()));
        bytes += Gbk::encode(u"[Setting]\r\n粗体=1\r\n斜体=1\r\n新窗口打开=1\r\n生成后复制=1\r\n");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    ratio(
        state, "loadset_ms",
        [&] {
            StoredOptions stored;
            LoadSet(stored, path);
            if (!stored.options.copyAfterGenerate)
                state.SkipWithError("option not read");
        },
        "read_decode_ms", [&] { readDecode(path); }); // goal: ratio <= 3
}
BENCHMARK(BM_LoadSet10MBVsReadDecode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

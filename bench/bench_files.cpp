// Loading and saving a 100,000-record keyword list and a 100,000-pair link ledger, an article file read and written
// back, and reading a large settings file. The list's load is also set against a bare read and GBK decode of the same
// bytes, measured in the same iterations, so the ratio shows what the line splitting and the table cost on top of what
// any reader must do.
#include "ArticleFile.h"
#include "BenchRatio.h"
#include "Gbk.h"
#include "KeywordFile.h"
#include "KeywordTable.h"
#include "LinkLedger.h"
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

// A link ledger with 100,000 pairs of fill()'s kind.
LinkLedger filledLedger()
{
    KeywordTable table;
    fill(table);
    LinkLedger ledger;
    for (qsizetype i = 1; i <= table.count(); ++i)
        ledger.add(table.keyWord(i), table.link(i), 1 + i % 97);
    return ledger;
}

// The ledger's load against a bare read and UTF-8 decode of the same bytes, in the same iterations, and its save.
void BM_Ledger100kLoadVsReadDecode(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ledger.txt"));
    filledLedger().save(path);
    ratio(
        state, "load_ms",
        [&] {
            if (LinkLedger::load(path).size() != Records)
                state.SkipWithError("pairs lost");
        },
        "read_decode_ms",
        [&] {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            const QString text = QString::fromUtf8(file.readAll());
            benchmark::DoNotOptimize(text.data());
        }); // goal: load < 100 ms
    state.counters["bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_Ledger100kLoadVsReadDecode)->Unit(benchmark::kMillisecond);

void BM_Ledger100kSave(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ledger.txt"));
    const LinkLedger ledger = filledLedger();
    for (auto _ : state)
        ledger.save(path); // goal: < 100 ms
}
BENCHMARK(BM_Ledger100kSave)->Unit(benchmark::kMillisecond);

// Reading a 10 MB article file for linking and writing it back with one link, against a bare read and decode of it
// and a bare write of its bytes, in the same iterations. Argument 0: GBK with LF breaks, which become CR LF and back;
// 1: UTF-16LE with a byte-order mark and CR LF breaks.
void BM_Article10MBVsReadDecode(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("article.txt"));
    QString text;
    while (text.size() < 5 << 20)
        text += QStringLiteral("绿茶是中国的主要茶类之一，历史悠久。Green tea, %1 年。\n").arg(text.size());
    const bool utf16 = state.range(0) == 1;
    const QByteArray bytes =
        utf16
            ? QByteArray(StoredFile::byteOrderMark(StoredFile::Encoding::Utf16Le).toByteArray() +
                         StoredFile::encode(text.replace(u'\n', QStringLiteral("\r\n")), StoredFile::Encoding::Utf16Le))
            : Gbk::encode(text);
    StoredFile::write(path, bytes);
    const QString out = dir.filePath(QStringLiteral("linked.txt"));
    ratio(
        state, "read_write_ms",
        [&] {
            const ArticleFile::Read r = ArticleFile::read(path);
            if (r.skip != ArticleFile::Skip::None)
                state.SkipWithError("skipped");
            ArticleFile::write(out, r.article, QString(r.article.text).insert(1000, QStringLiteral("<a>绿茶</a>")));
        },
        "read_decode_write_ms",
        [&] {
            const StoredFile::Text decoded = StoredFile::decode(*StoredFile::read(path));
            benchmark::DoNotOptimize(decoded.text.data());
            StoredFile::write(out, bytes);
        });
    state.counters["MB"] = double(bytes.size()) / (1 << 20);
}
BENCHMARK(BM_Article10MBVsReadDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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

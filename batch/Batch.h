#pragma once

#include "KeywordTable.h"
#include "LinkLedger.h"
#include "Linker.h"
#include "Options.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

// Many articles linked in one go, with no window behind it: the batch window and velomar-batch run
// these. Each article is linked by the same linker as the window's 生成 (Linker::Lay, then
// Linker::Assign in file order, so the draws and the rotation do not depend on how many threads
// read and write the files).
namespace Batch {

const QStringList DefaultPatterns = {QStringLiteral("*.txt"), QStringLiteral("*.htm"), QStringLiteral("*.html"),
                                     QStringLiteral("*.md")};

struct Settings
{
    QStringList inputs;     // files and folders
    bool recursive = false; // 包括子文件夹: folders with their subfolders
    QStringList patterns =
        DefaultPatterns;         // the files of a folder that are taken (a file named itself is always taken)
    QString outputFolder;        // the linked files, in the input's folder structure
    bool overwrite = false;      // an existing output file may be replaced
    Options options;             // the window's options at the start of the batch
    std::optional<quint64> seed; // the same seed and inputs give the same output, byte for byte
    int jobs = 0;                // threads reading and writing files; 0: one per core
};

// One article of the batch: where it is read from and where its linked copy goes.
struct Input
{
    QString path;
    QString output;
};

// The articles of a batch, in the order they are linked (sorted by their output path), or why the
// batch cannot start (no input, an output folder that is an input folder or inside one, ...).
struct Collected
{
    QList<Input> files;
    QStringList existing; // outputs that already exist: replaced only with `overwrite`
    QString error;        // in words for the user; empty when the batch can start
};
Collected Collect(const Settings &settings);

enum class Status { Linked, Skipped, Failed };

struct FileResult
{
    QString path;
    QString output;
    qint64 chinese = 0;
    Status status = Status::Skipped;
    QString reason;       // skipped: the refusal's text or why the file was not read; failed: the error
    QStringList keywords; // linked: the keywords of its links, in the order of the article
};

struct Report
{
    QList<FileResult> files;         // in the order of Collected::files
    QList<LinkLedger::Entry> counts; // the links this batch made per record, most first
    bool cancelled = false;
};

// Called from the batch's own thread: `done` of `total` files, and the one being linked.
using Progress = std::function<void(qsizetype done, qsizetype total, const QString &current)>;

// Links the collected files with the records (a copy taken when the batch starts). `ledger`, when
// given, orders the rotation's new cycles (least linked first) and learns the batch's links.
// `cancel` is looked at between files: the files written so far stay, each complete.
Report Run(const Settings &settings, const Collected &collected, const QList<KeywordTable::Record> &records,
           LinkLedger *ledger = nullptr, const Progress &progress = {}, const std::atomic_bool *cancel = nullptr);

// The report as report.csv: UTF-8 with a byte-order mark, a header row, one row per file, then the
// counts per record.
QByteArray ReportCsv(const Report &report);

} // namespace Batch

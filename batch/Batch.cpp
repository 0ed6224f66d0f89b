#include "Batch.h"

#include "ArticleFile.h"
#include "KeywordMatcher.h"
#include "KeywordRotation.h"
#include "RandomSource.h"
#include "Statistics.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace Batch {

namespace {

// A chunk of files is read, linked and written before the next is read, so that a batch of many
// large files holds only a few of them at once. Its size does not depend on the number of threads:
// the draws happen in file order either way.
constexpr qsizetype ChunkFiles = 32;
constexpr qint64 ChunkBytes = 64LL * 1024 * 1024;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The absolute path with every part that exists resolved (symbolic links, "..") and the rest as
// given, so that an output folder not made yet still compares with the input folders.
QString resolved(const QString &path)
{
    QString head = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(head)) {
        const qsizetype cut = head.lastIndexOf(u'/');
        if (cut <= 0)
            break;
        rest.prepend(head.mid(cut));
        head.truncate(cut);
    }
    const QString canonical = QFileInfo(head).canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? head : canonical) + rest);
}

bool inside(const QString &path, const QString &folder)
{
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

std::array<quint64, 4> seedState(quint64 seed)
{
    std::array<quint64, 4> state{};
    for (quint64 &word : state) {
        // splitmix64, the generator xoshiro's authors give for seeding it
        quint64 x = (seed += 0x9e3779b97f4a7c15ULL);
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        word = x ^ (x >> 31);
    }
    return state;
}

// work(0) … work(n - 1) on up to `jobs` threads, this one among them.
void forEach(qsizetype n, int jobs, const std::function<void(qsizetype)> &work)
{
    const auto threads = int(std::min<qsizetype>(jobs, n));
    if (threads <= 1) {
        for (qsizetype i = 0; i < n; ++i)
            work(i);
        return;
    }
    std::atomic<qsizetype> next{0};
    const auto worker = [&] {
        for (qsizetype i; (i = next++) < n;)
            work(i);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread &thread : pool)
        thread.join();
}

// One file on its way through a chunk: read and laid out, then given its links, then written.
struct Work
{
    FileResult result;
    bool pending = false;   // read and accepted; linked unless the write fails
    bool unwritten = false; // cancelled before its turn to be written
    ArticleFile::Article article;
    Linker::Layout layout;
    QList<Linker::Edit> edits;
};

bool cancelled(const std::atomic_bool *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

Collected Collect(const Settings &settings)
{
    Collected collected;
    const auto refuse = [](QString error) {
        Collected refused;
        refused.error = std::move(error);
        return refused;
    };
    if (settings.inputs.isEmpty())
        return refuse(QStringLiteral("没有要链接的文件或文件夹。"));
    if (settings.outputFolder.isEmpty())
        return refuse(QStringLiteral("没有选择输出文件夹。"));
    const QString out = resolved(settings.outputFolder);
    if (QFileInfo(out).exists() && !QFileInfo(out).isDir())
        return refuse(QStringLiteral("输出文件夹不是文件夹：%1").arg(shown(settings.outputFolder)));

    QHash<QString, QString> sourceOf; // output → input
    QSet<QString> inputFiles;         // every input, resolved
    QString clash;
    const auto take = [&](const QString &path, const QString &relative) {
        const QString output = QDir::cleanPath(out + u'/' + relative);
        const auto known = sourceOf.constFind(output);
        if (known == sourceOf.cend()) {
            sourceOf.insert(output, path);
            collected.files.append({path, output});
        } else if (resolved(*known) != resolved(path) && clash.isEmpty()) {
            clash = QStringLiteral("两个输入文件会写到同一个输出文件：%1 和 %2").arg(shown(*known), shown(path));
        }
        inputFiles.insert(resolved(path));
    };
    for (const QString &input : settings.inputs) {
        const QFileInfo info(input);
        if (input.isEmpty() || !info.exists())
            return refuse(QStringLiteral("找不到输入：%1").arg(shown(input)));
        if (!info.isDir()) {
            take(info.absoluteFilePath(), info.fileName());
            continue;
        }
        const QString folder = resolved(input);
        if (out == folder)
            return refuse(QStringLiteral("输出文件夹不能是输入文件夹：%1").arg(shown(input)));
        if (settings.recursive && inside(out, folder))
            return refuse(QStringLiteral("包括子文件夹时，输出文件夹不能在输入文件夹之内：%1").arg(shown(input)));
        const QDir dir(folder);
        QDirIterator it(folder, settings.patterns, QDir::Files,
                        settings.recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        while (it.hasNext()) {
            const QString path = it.next();
            take(path, dir.relativeFilePath(path));
        }
    }
    if (!clash.isEmpty())
        return refuse(clash);
    for (const Input &file : std::as_const(collected.files)) {
        if (inputFiles.contains(resolved(file.output)))
            return refuse(QStringLiteral("输出文件会覆盖输入文件：%1").arg(shown(file.output)));
        if (QFileInfo::exists(file.output))
            collected.existing.append(file.output);
    }
    std::sort(collected.files.begin(), collected.files.end(),
              [](const Input &a, const Input &b) { return a.output < b.output; });
    std::sort(collected.existing.begin(), collected.existing.end());
    return collected;
}

Report Run(const Settings &settings, const Collected &collected, const QList<KeywordTable::Record> &records,
           LinkLedger *ledger, const Progress &progress, const std::atomic_bool *cancel)
{
    Report report;
    const Options &options = settings.options;
    const int jobs = settings.jobs > 0 ? settings.jobs : std::max(1, QThread::idealThreadCount());
    KeywordTable table;
    table.append(records);
    const std::unique_ptr<const KeywordMatcher> matcher =
        options.inPlace ? std::make_unique<const KeywordMatcher>(table) : nullptr;
    KeywordRotation rotation;
    const auto random = settings.seed
                            ? std::make_unique<ClockStirredRandom>(seedState(*settings.seed), [] { return quint64(0); })
                            : std::make_unique<ClockStirredRandom>();
    std::optional<Linker::Words> words; // with 文中匹配, as the window's generate has them
    if (matcher)
        words.emplace(Linker::Words{table, *matcher, options.rotateKeywords ? &rotation : nullptr});

    // New cycles start with the records linked least: as the ledger had them at the start, and
    // with the links this batch drew since. Links drawn for a file whose write then fails count
    // too, so that the order depends on the files and the seed only.
    const LinkLedger before = ledger ? *ledger : LinkLedger();
    LinkLedger drawnSoFar;
    if (ledger) {
        rotation.setLinked([&](qsizetype position) {
            return before.count(table.keyWord(position), table.link(position)) +
                   drawnSoFar.count(table.keyWord(position), table.link(position));
        });
    }
    LinkLedger made;
    const auto count = [&](LinkLedger &counts, const QList<Linker::Edit> &edits) {
        for (const Linker::Edit &edit : edits) {
            if (edit.link.record >= 1 && edit.link.record <= table.count())
                counts.add(table.keyWord(edit.link.record), table.link(edit.link.record));
        }
    };

    const QList<Input> &files = collected.files;
    const qsizetype total = files.size();
    for (qsizetype first = 0; first < total && !report.cancelled;) {
        qsizetype end = first;
        for (qint64 bytes = 0; end < total && end - first < ChunkFiles && (end == first || bytes < ChunkBytes); ++end)
            bytes += QFileInfo(files[end].path).size();
        std::vector<Work> chunk(size_t(end - first));

        forEach(qsizetype(chunk.size()), jobs, [&](qsizetype i) {
            Work &work = chunk[size_t(i)];
            const Input &input = files[first + i];
            work.result.path = input.path;
            work.result.output = input.output;
            if (cancelled(cancel))
                return;
            if (!settings.overwrite && QFileInfo::exists(input.output)) {
                work.result.reason = QStringLiteral("输出文件已存在");
                return;
            }
            ArticleFile::Read read = ArticleFile::read(input.path);
            if (read.skip != ArticleFile::Skip::None) {
                work.result.reason = read.reason;
                return;
            }
            work.result.chinese = CountArticle(read.article.text).chinese;
            const Linker::Refusal refusal = Linker::Check({}, table.count(), work.result.chinese);
            if (refusal != Linker::Refusal::None) {
                work.result.reason = Linker::RefusalText(refusal);
                return;
            }
            work.article = std::move(read.article);
            work.layout = Linker::Lay(work.article.text, options.linkCount, options, matcher.get());
            work.pending = true;
        });

        // In file order, so that the draws and the rotation are the same with any number of threads.
        qsizetype taken = 0;
        for (; taken < qsizetype(chunk.size()); ++taken) {
            if (cancelled(cancel)) {
                report.cancelled = true;
                break;
            }
            Work &work = chunk[size_t(taken)];
            if (progress)
                progress(first + taken, total, work.result.path);
            if (!work.pending)
                continue;
            const QList<Linker::Link> drawn = Linker::Draw(table, options.linkCount, options, *random, rotation);
            work.edits = Linker::Assign(work.layout, drawn, options, words ? &*words : nullptr);
            Linker::Commit(work.edits, drawn, options, rotation);
            count(drawnSoFar, work.edits);
        }
        chunk.resize(size_t(taken));

        forEach(qsizetype(chunk.size()), jobs, [&](qsizetype i) {
            Work &work = chunk[size_t(i)];
            if (!work.pending)
                return;
            if (cancelled(cancel)) { // a cancel takes effect at the next file, not the chunk's end
                work.unwritten = true;
                return;
            }
            QString whyNot;
            const QString folder = QFileInfo(work.result.output).absolutePath();
            if (!QDir().mkpath(folder)) {
                whyNot = QStringLiteral("无法创建文件夹：%1").arg(shown(folder));
            } else {
                const Linker::Result linked = Linker::Apply(work.article.text, work.edits);
                if (ArticleFile::write(work.result.output, work.article, linked.text, &whyNot)) {
                    work.result.status = Status::Linked;
                    for (const Linker::Edit &edit : std::as_const(work.edits))
                        work.result.keywords.append(edit.link.keyWord);
                }
            }
            if (work.result.status != Status::Linked) {
                work.result.status = Status::Failed;
                work.result.reason = whyNot;
            }
            work.article = {};
            work.layout = {};
        });

        for (Work &work : chunk) {
            if (work.unwritten) {
                report.cancelled = true;
                continue; // not handled: left out of the report
            }
            if (work.result.status == Status::Linked) {
                count(made, work.edits);
                if (ledger)
                    count(*ledger, work.edits);
            }
            report.files.append(std::move(work.result));
        }
        first = end;
    }
    if (progress)
        progress(report.files.size(), total, {});
    report.counts = made.entries();
    return report;
}

namespace {

// A CSV field as RFC 4180 has it: in quotes, its quotes doubled, when it holds a comma, a quote or
// a line break.
QString field(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString statusText(Status status)
{
    switch (status) {
    case Status::Linked:
        return QStringLiteral("已链接");
    case Status::Skipped:
        return QStringLiteral("已跳过");
    case Status::Failed:
        return QStringLiteral("失败");
    }
    return {};
}

} // namespace

QByteArray ReportCsv(const Report &report)
{
    QString text = QStringLiteral("文件,输出,汉字,结果,说明\r\n");
    for (const FileResult &file : report.files) {
        const QString why = file.status == Status::Linked ? file.keywords.join(u"、") : file.reason;
        text += field(shown(file.path)) + u',' + field(shown(file.output)) + u',' + QString::number(file.chinese) +
                u',' + statusText(file.status) + u',' + field(why) + QStringLiteral("\r\n");
    }
    text += u"\r\n";
    // The counts in the ledger's own form: its header and its order.
    LinkLedger counts;
    for (const LinkLedger::Entry &entry : report.counts)
        counts.add(entry.keyWord, entry.link, entry.count);
    QByteArray csv = "\xEF\xBB\xBF" + text.toUtf8();
    csv += counts.csv().mid(3); // without its byte-order mark
    return csv;
}

} // namespace Batch

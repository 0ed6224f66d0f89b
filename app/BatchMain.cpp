// velomar-batch: the batch from the command line, with no display. Exit status 0 when every file
// was linked, 1 when any was skipped or failed (or the batch was interrupted), 2 when the batch did
// not start.
#include "Batch.h"
#include "KeywordFile.h"
#include "LinkLedger.h"
#include "ProgramFiles.h"
#include "Settings.h"
#include "StoredFile.h"
#include "VelomarConfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int Usage = 2;

const char HelpText[] = R"(用法 Usage: velomar-batch [选项 OPTIONS] -o 输出文件夹 OUTDIR 输入 INPUT...

为文件夹中的每篇文章插入关键字链接，链接后的文章写入输出文件夹，原文件不变。
Links every article of the given files and folders and writes the linked copies to OUTDIR; the
inputs are never written.

  -o, --output DIR     输出文件夹 the folder the linked files go to (required)
  --format FORMAT      链接格式 html, ubb or markdown
  --bold               粗体 bold links
  --italic             斜体 italic links
  --new-window         新窗口打开 links open in a new window (HTML)
  --keep-markup        避开标签 never insert inside the article's mark-up
  --rotate             轮换关键字 rotate the keywords across the whole batch
  --in-place           文中匹配 link the keywords where the article already has them
  --sentence-end       句末插入 insert links at the nearest clause end
  --links N            链接数量 links per article, 1 to 10
  --keywords FILE      关键字列表 the keyword list (default: the window's Data.txt)
  --settings FILE      the options file (default: the window's Setting.ini); the options above
                       are switched on over it
  -r, --recursive      包括子文件夹 take the files of subfolders too
  --include GLOB       the files of a folder to take (repeatable; default *.txt *.htm *.html *.md)
  --report FILE        the report (default OUTDIR/report.csv)
  --seed N             the same seed and inputs give the same output, byte for byte
  --jobs N             threads reading and writing files (default: one per core)
  --overwrite          replace output files that already exist
  -h, --help           this help
  -v, --version        the version

退出状态 Exit status: 0 every file linked; 1 a file skipped or failed, or interrupted; 2 nothing done
(a usage error, outputs that exist without --overwrite, fewer than two keywords).
)";

std::atomic_bool interrupted{false};

void interrupt(int)
{
    interrupted.store(true);
}

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int fail(const QString &text)
{
    print(stderr, QStringLiteral("velomar-batch: ") + text);
    return Usage;
}

std::optional<qint64> number(const QString &text, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n >= low && n <= high ? std::optional<qint64>(n) : std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    std::signal(SIGXFSZ, SIG_IGN); // a write past the file size limit fails like any other
    QCoreApplication app(argc, argv);
    // The window's name, so that both find the same per-user folder (its files, the ledger).
    QCoreApplication::setApplicationName(QStringLiteral("Velomar"));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto flag = [&](const QStringList &names) {
        parser.addOption(QCommandLineOption(names));
        return names.first();
    };
    const auto valued = [&](const QStringList &names) {
        parser.addOption(QCommandLineOption(names, {}, QStringLiteral("value")));
        return names.first();
    };
    const QString output = valued({QStringLiteral("o"), QStringLiteral("output")});
    const QString format = valued({QStringLiteral("format")});
    const QString bold = flag({QStringLiteral("bold")});
    const QString italic = flag({QStringLiteral("italic")});
    const QString newWindow = flag({QStringLiteral("new-window")});
    const QString keepMarkup = flag({QStringLiteral("keep-markup")});
    const QString rotate = flag({QStringLiteral("rotate")});
    const QString inPlace = flag({QStringLiteral("in-place")});
    const QString sentenceEnd = flag({QStringLiteral("sentence-end")});
    const QString links = valued({QStringLiteral("links")});
    const QString keywords = valued({QStringLiteral("keywords")});
    const QString settingsFile = valued({QStringLiteral("settings")});
    const QString recursive = flag({QStringLiteral("r"), QStringLiteral("recursive")});
    const QString include = valued({QStringLiteral("include")});
    const QString reportFile = valued({QStringLiteral("report")});
    const QString seed = valued({QStringLiteral("seed")});
    const QString jobs = valued({QStringLiteral("jobs")});
    const QString overwrite = flag({QStringLiteral("overwrite")});
    const QString help = flag({QStringLiteral("h"), QStringLiteral("help")});
    const QString version = flag({QStringLiteral("v"), QStringLiteral("version")});
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText() + QStringLiteral("\n(velomar-batch --help)"));
    if (parser.isSet(help)) {
        std::fputs(HelpText, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("velomar-batch %s\n", Velomar::Config::Version);
        return 0;
    }

    Batch::Settings settings;
    settings.inputs = parser.positionalArguments();
    settings.outputFolder = parser.value(output);
    if (settings.outputFolder.isEmpty() || settings.inputs.isEmpty())
        return fail(
            QStringLiteral("需要输出文件夹 (-o) 和至少一个输入 / an output folder (-o) and an input are needed"));
    const ProgramFiles files = ProgramFiles::locate();

    StoredOptions stored;
    const QString ini = parser.isSet(settingsFile) ? parser.value(settingsFile) : files.readPath(SettingFileName);
    if (parser.isSet(settingsFile) && !QFileInfo::exists(ini))
        return fail(QStringLiteral("找不到设置文件：%1").arg(ini));
    LoadSet(stored, ini);
    Options &options = settings.options = stored.options;
    options.bold |= parser.isSet(bold);
    options.italic |= parser.isSet(italic);
    options.newWindow |= parser.isSet(newWindow);
    options.avoidMarkup |= parser.isSet(keepMarkup);
    options.rotateKeywords |= parser.isSet(rotate);
    options.inPlace |= parser.isSet(inPlace);
    options.sentenceEnd |= parser.isSet(sentenceEnd);
    if (parser.isSet(format)) {
        const QString name = parser.value(format).toLower();
        if (name == u"html")
            options.format = LinkFormat::Html;
        else if (name == u"ubb")
            options.format = LinkFormat::Ubb;
        else if (name == u"markdown")
            options.format = LinkFormat::Markdown;
        else
            return fail(QStringLiteral("--format: html, ubb 或 markdown"));
    }
    if (parser.isSet(links)) {
        const auto n = number(parser.value(links), 1, Options::MaxLinkCount);
        if (!n)
            return fail(QStringLiteral("--links: 1–10"));
        options.linkCount = int(*n);
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        settings.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed: 一个非负整数 / a whole number"));
    }
    if (parser.isSet(jobs)) {
        const auto n = number(parser.value(jobs), 0, 1024);
        if (!n)
            return fail(QStringLiteral("--jobs: 0–1024"));
        settings.jobs = int(*n);
    }
    settings.recursive = parser.isSet(recursive);
    settings.overwrite = parser.isSet(overwrite);
    if (parser.isSet(include))
        settings.patterns = parser.values(include);

    KeywordTable table;
    const QString list = parser.isSet(keywords) ? parser.value(keywords) : files.readPath(DataFileName);
    if (JiaTXT(table, list) != ListRead::Read && parser.isSet(keywords))
        return fail(QStringLiteral("无法读取关键字列表：%1").arg(list));
    if (table.count() < Linker::MinimumRecords)
        return fail(QStringLiteral("%1(%2)").arg(Linker::RefusalText(Linker::Refusal::TooFewRecords),
                                                 QDir::toNativeSeparators(list)));
    const QList<KeywordTable::Record> records = table.records();

    const Batch::Collected collected = Batch::Collect(settings);
    if (!collected.error.isEmpty())
        return fail(collected.error);
    if (!collected.existing.isEmpty() && !settings.overwrite) {
        return fail(QStringLiteral("%1 个输出文件已存在（--overwrite 替换）/ outputs exist: %2")
                        .arg(collected.existing.size())
                        .arg(QDir::toNativeSeparators(collected.existing.first())));
    }
    const QString report = QFileInfo(parser.isSet(reportFile) ? parser.value(reportFile)
                                                              : settings.outputFolder + QStringLiteral("/report.csv"))
                               .absoluteFilePath();
    for (const Batch::Input &file : collected.files) {
        if (QFileInfo(file.path).absoluteFilePath() == report || QFileInfo(file.output).absoluteFilePath() == report)
            return fail(QStringLiteral("报告会覆盖一个文件：%1").arg(QDir::toNativeSeparators(report)));
    }

    const QString ledgerPath = LinkLedger::defaultPath();
    LinkLedger ledger = LinkLedger::load(ledgerPath);
    if (!ledger.setAside().isEmpty())
        print(stderr, QStringLiteral("velomar-batch: 链接记录已损坏，已另存为 %1").arg(ledger.setAside()));

    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);
    const bool terminal = isatty(2);
    const Batch::Report result = Batch::Run(
        settings, collected, records, &ledger,
        [terminal](qsizetype done, qsizetype total, const QString &current) {
            if (terminal) {
                std::fprintf(stderr, "\r\033[K[%lld/%lld] %s", qlonglong(done), qlonglong(total),
                             QDir::toNativeSeparators(current).toLocal8Bit().constData());
                if (done == total)
                    std::fputc('\n', stderr);
            }
        },
        &interrupted);

    bool complete = !result.cancelled && result.files.size() == collected.files.size();
    qsizetype linked = 0;
    for (const Batch::FileResult &file : result.files) {
        if (file.status == Batch::Status::Linked) {
            ++linked;
            continue;
        }
        complete = false;
        print(stderr, QDir::toNativeSeparators(file.path) + QStringLiteral(": ") + file.reason);
    }
    QString whyNot;
    if (!ledgerPath.isEmpty() && !ledger.save(ledgerPath, &whyNot)) {
        complete = false;
        print(stderr, QStringLiteral("velomar-batch: 链接记录未保存：%1").arg(whyNot));
    }
    QDir().mkpath(QFileInfo(report).absolutePath());
    if (!StoredFile::write(report, Batch::ReportCsv(result), &whyNot)) {
        complete = false;
        print(stderr, QStringLiteral("velomar-batch: 报告未保存：%1").arg(whyNot));
    }
    print(stdout, QStringLiteral("已链接 %1 / %2%3，报告 report: %4")
                      .arg(linked)
                      .arg(collected.files.size())
                      .arg(result.cancelled ? QStringLiteral("（已中断 interrupted）") : QString())
                      .arg(QDir::toNativeSeparators(report)));
    return complete ? 0 : 1;
}

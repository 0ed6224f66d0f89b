#include "BatchDialog.h"

#include "Controls.h"
#include "Messages.h"
#include "Qirvan.h"
#include "StoredFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace {
template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QTableWidgetItem *cell(const QString &text, const QString &tip = {})
{
    auto *item = new QTableWidgetItem(text);
    item->setToolTip(tip.isEmpty() ? text : tip);
    return item;
}

// report.csv, unless a file of the batch has that name: then report-2.csv and so on.
QString reportPath(const QString &folder, const QList<Batch::Input> &files)
{
    QStringList outputs;
    for (const Batch::Input &file : files)
        outputs.append(QDir::cleanPath(QFileInfo(file.output).absoluteFilePath()));
    for (int n = 1;; ++n) {
        const QString path = QDir::cleanPath(QDir(folder).absoluteFilePath(
            n == 1 ? QStringLiteral("report.csv") : QStringLiteral("report-%1.csv").arg(n)));
        if (!outputs.contains(path))
            return path;
    }
}
} // namespace

BatchDialog::BatchDialog(Window window, QWidget *parent) : QDialog(parent), m_window(std::move(window))
{
    setObjectName(QStringLiteral("BatchDialog"));
    setWindowTitle(QStringLiteral("批量处理"));
    auto *layout = new QVBoxLayout(this);

    layout->addWidget(new QLabel(QStringLiteral("要加链接的文件和文件夹：")));
    auto *inputRow = new QHBoxLayout;
    Inputs = named(new QListWidget, "Inputs");
    Inputs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Inputs->setTextElideMode(Qt::ElideMiddle);
    inputRow->addWidget(Inputs, 1);
    auto *inputButtons = new QVBoxLayout;
    AddFiles = named(new QPushButton(QStringLiteral("添加文件…")), "AddFiles");
    AddFolder = named(new QPushButton(QStringLiteral("添加文件夹…")), "AddFolder");
    Remove = named(new QPushButton(QStringLiteral("移除")), "Remove");
    for (QPushButton *b : {AddFiles, AddFolder, Remove})
        inputButtons->addWidget(b);
    inputButtons->addStretch();
    inputRow->addLayout(inputButtons);
    layout->addLayout(inputRow, 2);

    auto *typeRow = new QHBoxLayout;
    Recursive = named(new QCheckBox(QStringLiteral("包括子文件夹")), "Recursive");
    typeRow->addWidget(Recursive);
    typeRow->addSpacing(16);
    auto *typeLabel = new QLabel(QStringLiteral("文件类型："));
    typeRow->addWidget(typeLabel);
    Patterns = named(new QLineEdit(Batch::DefaultPatterns.join(u' ')), "Patterns");
    Patterns->setToolTip(QStringLiteral("<p>文件夹里要处理的文件，用空格隔开；单独添加的文件总会处理。</p>"));
    typeLabel->setBuddy(Patterns);
    typeRow->addWidget(Patterns, 1);
    layout->addLayout(typeRow);

    auto *outputRow = new QHBoxLayout;
    auto *outputLabel = new QLabel(QStringLiteral("输出文件夹："));
    outputRow->addWidget(outputLabel);
    Output = named(new QLineEdit, "Output");
    Output->setToolTip(QStringLiteral("<p>加好链接的文章按原来的文件夹结构存到这里，另有报告 report.csv。</p>"));
    outputLabel->setBuddy(Output);
    outputRow->addWidget(Output, 1);
    Browse = named(new QPushButton(QStringLiteral("浏览…")), "Browse");
    outputRow->addWidget(Browse);
    layout->addLayout(outputRow);

    Progress = named(new QProgressBar, "Progress");
    Progress->setFormat(QStringLiteral("%v / %m"));
    Progress->setTextVisible(false); // until there are files to count
    layout->addWidget(Progress);
    Status = named(new QLabel, "Status");
    Status->setTextFormat(Qt::PlainText);
    Status->setMinimumWidth(1); // a long file name is cut to the label, not the dialog widened to it
    layout->addWidget(Status);

    Report = named(new QTableWidget(0, 4), "Report");
    Report->setHorizontalHeaderLabels(
        {QStringLiteral("文件"), QStringLiteral("汉字"), QStringLiteral("结果"), QStringLiteral("说明")});
    Report->setItemDelegate(new PlainTextTips(Report));
    Report->verticalHeader()->hide();
    Report->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Report->verticalHeader()->setDefaultSectionSize(Report->fontMetrics().height() + 4);
    Report->horizontalHeader()->setHighlightSections(false);
    Report->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    Report->setColumnWidth(0, 200);
    Report->setColumnWidth(1, 56);
    Report->setColumnWidth(2, 56);
    Report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Report->setSelectionBehavior(QAbstractItemView::SelectRows);
    Report->setWordWrap(false);
    Report->setShowGrid(false);
    layout->addWidget(Report, 3);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    Start = named(new QPushButton(QStringLiteral("开始")), "Start");
    Cancel = named(new QPushButton(QStringLiteral("取消")), "Cancel");
    Close = named(new QPushButton(QStringLiteral("关闭")), "Close");
    for (QPushButton *b : {Start, Cancel, Close})
        buttons->addWidget(b);
    // Return in a text box must not press a button: in a dialog every button would take it.
    for (QPushButton *b : {AddFiles, AddFolder, Remove, Browse, Start, Cancel, Close})
        b->setAutoDefault(false);
    layout->addLayout(buttons);
    resize(640, 560);

    connect(AddFiles, &QPushButton::clicked, this, &BatchDialog::AddFiles_Click);
    connect(AddFolder, &QPushButton::clicked, this, &BatchDialog::AddFolder_Click);
    connect(Remove, &QPushButton::clicked, this, &BatchDialog::Remove_Click);
    connect(Browse, &QPushButton::clicked, this, &BatchDialog::Browse_Click);
    connect(Start, &QPushButton::clicked, this, &BatchDialog::Start_Click);
    connect(Cancel, &QPushButton::clicked, this, &BatchDialog::Cancel_Click);
    connect(Close, &QPushButton::clicked, this, &QDialog::close);
    m_progressTimer.setInterval(ProgressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &BatchDialog::showProgress);
    setRunning(false);
}

BatchDialog::~BatchDialog()
{
    m_cancel = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void BatchDialog::closeEvent(QCloseEvent *event)
{
    if (!running())
        return QDialog::closeEvent(event);
    Cancel_Click();
    event->ignore();
}

void BatchDialog::reject()
{
    if (running())
        Cancel_Click();
    else
        QDialog::reject();
}

void BatchDialog::addInputs(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString clean = QDir::cleanPath(path);
        bool known = false;
        for (int i = 0; i < Inputs->count() && !known; ++i)
            known = Inputs->item(i)->data(Qt::UserRole).toString() == clean;
        if (known || clean.isEmpty())
            continue;
        auto *item = new QListWidgetItem(native(clean), Inputs);
        item->setData(Qt::UserRole, clean);
    }
}

void BatchDialog::AddFiles_Click()
{
    addInputs(Qirvan::FilesDialog(QStringLiteral("添加文件"), this,
                                  QStringLiteral("文章|*.txt;*.htm;*.html;*.md|所有文件|*|")));
}

void BatchDialog::AddFolder_Click()
{
    addInputs({Qirvan::FolderDialog(QStringLiteral("添加文件夹"), this)});
}

void BatchDialog::Remove_Click()
{
    qDeleteAll(Inputs->selectedItems());
}

void BatchDialog::Browse_Click()
{
    const QString folder = Qirvan::FolderDialog(QStringLiteral("输出文件夹"), this);
    if (!folder.isEmpty())
        Output->setText(native(folder));
}

void BatchDialog::setRunning(bool running)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Inputs, AddFiles, AddFolder, Remove, Recursive, Patterns, Output,
                                                       Browse, Start, Close})
        w->setEnabled(!running);
    Cancel->setEnabled(running);
}

void BatchDialog::offThread(std::function<void()> work, void (BatchDialog::*then)())
{
    m_thread = QThread::create(std::move(work));
    connect(m_thread, &QThread::finished, this, [this, then] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        (this->*then)();
    });
    m_thread->start();
}

void BatchDialog::Start_Click()
{
    m_settings = {};
    for (int i = 0; i < Inputs->count(); ++i)
        m_settings.inputs.append(Inputs->item(i)->data(Qt::UserRole).toString());
    m_settings.recursive = Recursive->isChecked();
    m_settings.patterns =
        Patterns->text().split(QRegularExpression(QStringLiteral("[\\s;,，；]+")), Qt::SkipEmptyParts);
    if (m_settings.patterns.isEmpty()) {
        m_settings.patterns = Batch::DefaultPatterns;
        Patterns->setText(m_settings.patterns.join(u' '));
    }
    const QString output = Output->text().trimmed();
    m_settings.outputFolder = output.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(output));
    m_settings.options = m_window.options();
    m_cancel = false;
    Report->setRowCount(0);
    Progress->setRange(0, 0); // busy until the files are counted
    Progress->setTextVisible(true);
    showStatus(QStringLiteral("正在查找文件…"));
    setRunning(true);
    // A deep folder takes a while to walk: that too is done off the window's thread.
    offThread([this, settings = m_settings] { m_collected = Batch::Collect(settings); }, &BatchDialog::collected);
}

void BatchDialog::collected()
{
    const auto stop = [this](const QString &status) {
        setRunning(false);
        Progress->setRange(0, 1);
        Progress->setValue(0);
        Progress->setTextVisible(false);
        showStatus(status);
    };
    if (m_cancel)
        return stop(QStringLiteral("已取消"));
    if (!m_collected.error.isEmpty()) {
        stop(QString());
        return Messages::Show(this, QMessageBox::Information, m_collected.error);
    }
    if (m_collected.files.isEmpty())
        return stop(QStringLiteral("没有要处理的文件：输入的文件夹里没有这些类型的文件。"));
    if (!m_collected.existing.isEmpty()) {
        const int answer = Messages::Ask(this,
                                         QStringLiteral("输出文件夹里已有 %1 个同名的文件，例如：\n%2\n"
                                                        "替换这些文件，还是跳过它们？")
                                             .arg(m_collected.existing.size())
                                             .arg(native(m_collected.existing.constFirst())),
                                         {QStringLiteral("替换"), QStringLiteral("跳过"), QStringLiteral("取消")});
        if (answer != 0 && answer != 1)
            return stop(QString());
        m_settings.overwrite = answer == 0;
    }
    // The list and the counts as they are now; the window may change them while the batch runs.
    QList<KeywordTable::Record> records = m_window.records();
    LinkLedger ledger = m_window.ledger();
    m_done = 0;
    m_total = m_collected.files.size();
    m_current.clear();
    Progress->setRange(0, int(std::min<qsizetype>(m_total, INT_MAX)));
    Progress->setValue(0);
    m_progressTimer.start();
    offThread(
        [this, records = std::move(records), ledger = std::move(ledger)]() mutable {
            m_report = Batch::Run(
                m_settings, m_collected, records, &ledger,
                [this](qsizetype done, qsizetype total, const QString &current) {
                    const std::lock_guard lock(m_progressLock);
                    m_done = done;
                    m_total = total;
                    m_current = current;
                },
                &m_cancel);
        },
        &BatchDialog::finished);
}

void BatchDialog::showProgress()
{
    qsizetype done;
    QString current;
    {
        const std::lock_guard lock(m_progressLock);
        done = m_done;
        current = m_current;
    }
    Progress->setValue(int(std::min<qsizetype>(done, INT_MAX)));
    if (m_cancel || current.isEmpty())
        return;
    showStatus(QStringLiteral("正在处理：") + native(current));
}

void BatchDialog::showStatus(const QString &text)
{
    // A long path is cut in its middle, where its folders are, and is whole in the tip.
    const QString shown = Status->fontMetrics().elidedText(text, Qt::ElideMiddle, Status->width());
    Status->setText(shown);
    Status->setToolTip(shown == text ? QString()
                                     : QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>"));
}

void BatchDialog::Cancel_Click()
{
    m_cancel = true;
    Cancel->setEnabled(false);
    showStatus(QStringLiteral("已取消"));
}

void BatchDialog::finished()
{
    m_progressTimer.stop();
    showProgress();
    qsizetype linked = 0, skipped = 0, failed = 0;
    const QDir output(m_settings.outputFolder);
    Report->setRowCount(int(m_report.files.size()));
    for (int row = 0; row < m_report.files.size(); ++row) {
        const Batch::FileResult &file = m_report.files.at(row);
        QString result, why = file.reason;
        switch (file.status) {
        case Batch::Status::Linked:
            ++linked;
            result = QStringLiteral("已链接");
            why.clear();
            for (const QString &keyWord : file.keywords)
                why += (why.isEmpty() ? QString() : QStringLiteral("、")) + KeywordTable::shown(keyWord);
            break;
        case Batch::Status::Skipped:
            ++skipped;
            result = QStringLiteral("已跳过");
            break;
        case Batch::Status::Failed:
            ++failed;
            result = QStringLiteral("失败");
            break;
        }
        Report->setItem(row, 0,
                        cell(native(output.relativeFilePath(file.output)),
                             native(file.path) + QStringLiteral(" → ") + native(file.output)));
        QTableWidgetItem *chinese = cell(QString::number(file.chinese));
        chinese->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Report->setItem(row, 1, chinese);
        Report->setItem(row, 2, cell(result));
        Report->setItem(row, 3, cell(why));
    }

    const QString path = reportPath(m_settings.outputFolder, m_collected.files);
    QString whyNot;
    const bool written =
        QDir().mkpath(m_settings.outputFolder) && StoredFile::write(path, Batch::ReportCsv(m_report), &whyNot);
    m_window.counted(m_report.counts);
    setRunning(false);
    showStatus((m_report.cancelled ? QStringLiteral("已取消。") : QStringLiteral("完成。")) +
               QStringLiteral("已链接 %1 篇，跳过 %2 篇，失败 %3 篇。").arg(linked).arg(skipped).arg(failed) +
               (written ? QStringLiteral("报告：") + native(path)
                        : QStringLiteral("报告无法写入：") + (whyNot.isEmpty() ? native(path) : whyNot)));
}

#pragma once

#include "Batch.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <functional>
#include <mutex>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;

// 批量处理: links the articles of files and folders into an output folder with the window's
// options and keyword list, on a thread of its own, so that the window stays usable. It shows the
// progress, can be cancelled between files, and ends with a report, report.csv in the output
// folder and the links counted in the ledger.
class BatchDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchDialog)

public:
    // What a batch takes from the window when it starts, and what it gives back at its end.
    struct Window
    {
        std::function<Options()> options;
        std::function<QList<KeywordTable::Record>()> records;
        std::function<LinkLedger()> ledger; // orders the rotation's new cycles
        std::function<void(const QList<LinkLedger::Entry> &links)> counted;
    };

    BatchDialog(Window window, QWidget *parent);
    // A batch still running is cancelled and waited for: it stops after the file in hand.
    ~BatchDialog() override;

    bool running() const { return m_thread != nullptr; }
    // How often the progress is shown while a batch runs.
    static constexpr int ProgressInterval = 50;

protected:
    // Closing while a batch runs cancels it; the dialog stays to show what was done.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void AddFiles_Click();
    void AddFolder_Click();
    void Remove_Click();
    void Browse_Click();
    void Start_Click();
    void Cancel_Click();
    void addInputs(const QStringList &paths);
    // The work on a thread of its own; `then` back on this one once it is over.
    void offThread(std::function<void()> work, void (BatchDialog::*then)());
    void collected();
    void showProgress();
    void showStatus(const QString &text);
    void finished();
    void setRunning(bool running);

    Window m_window;
    QListWidget *Inputs;
    QPushButton *AddFiles;
    QPushButton *AddFolder;
    QPushButton *Remove;
    QCheckBox *Recursive;
    QLineEdit *Patterns;
    QLineEdit *Output;
    QPushButton *Browse;
    QProgressBar *Progress;
    QLabel *Status;
    QTableWidget *Report;
    QPushButton *Start;
    QPushButton *Cancel;
    QPushButton *Close;

    QThread *m_thread = nullptr;
    QTimer m_progressTimer;
    std::atomic_bool m_cancel{false};
    Batch::Settings m_settings;
    Batch::Collected m_collected;
    Batch::Report m_report;
    // Where the batch is, written by its thread and shown by the timer.
    std::mutex m_progressLock;
    qsizetype m_done = 0;
    qsizetype m_total = 0;
    QString m_current;
};

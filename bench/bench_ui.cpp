// The main window under load: a keystroke in a large article, and start-up with a large keyword
// list. Runs on the offscreen platform; ratios compare measurements from the same iterations.
#include "ArticleEditor.h"
#include "Form1.h"
#include "Gbk.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

QString article(qsizetype bytes)
{
    const QString paragraph = QStringLiteral("绿茶是中国的主要茶类之一，采用茶树的新叶或芽，未经发酵，"
                                             "经杀青、整形、烘干等工艺而制作的饮品。Green tea 2024.\r\n");
    return paragraph.repeated(int(bytes / Gbk::count(paragraph).bytes) + 1);
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// One typed character: the editor's change, the statistics, the caption and the notice start,
// against the editor handing out its text once.
void BM_KeystrokeVsToPlainText(benchmark::State &state)
{
    QTemporaryDir dir;
    Form1 window(dir.path());
    window.Form_Load();
    window.show();
    auto *editor = window.findChild<ArticleEditor *>(QStringLiteral("Text1"));
    editor->setPlainText(ArticleEditor::toEditorText(article(state.range(0) * 1024 * 1024)));
    editor->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    double keyTime = 0, handlerTime = 0, plainTime = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        QTest::keyClick(editor, Qt::Key_X);
        auto t1 = std::chrono::steady_clock::now();
        window.Text1_Change();
        auto t2 = std::chrono::steady_clock::now();
        const QString text = editor->toPlainText();
        auto t3 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(text.size());
        keyTime += seconds(t1 - t0);
        handlerTime += seconds(t2 - t1);
        plainTime += seconds(t3 - t2);
    }
    const double n = double(state.iterations());
    state.counters["keystroke_ms"] = keyTime * 1000 / n;
    state.counters["change_ms"] = handlerTime * 1000 / n;
    state.counters["toPlainText_ms"] = plainTime * 1000 / n;
    state.counters["ratio"] = handlerTime / plainTime; // goal <= 2
}
BENCHMARK(BM_KeystrokeVsToPlainText)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// From nothing to the shown window: 100,000 keywords in the list file and the version host out
// of reach (a closed port on this machine).
void BM_StartUp100kKeywords(benchmark::State &state)
{
    QTemporaryDir dir;
    QByteArray data;
    for (int i = 0; i < 100'000; ++i)
        data += Gbk::encode(QStringLiteral("关键字%1|http://www.example.com/page/%1.html\r\n").arg(i));
    QFile file(QDir(dir.path()).filePath(QStringLiteral("Data.txt")));
    file.open(QIODevice::WriteOnly);
    file.write(data);
    file.close();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        Form1 window(dir.path(), [](Form1 &w) { return w.checkVersionAt(QStringLiteral("127.0.0.1:9")); });
        window.Form_Load();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            state.SkipWithError("window not shown");
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        benchmark::DoNotOptimize(window.table().count());
    }
}
BENCHMARK(BM_StartUp100kKeywords)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "ArticleEditor.h"
#include "Form1.h"
#include "Statistics.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

// The caption's running statistics against a full count of the article, after every edit of a
// long random sequence made on the real window's editor.
class TestParagraphCounts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runningTotalsStayExact_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QStringList>("pieces");
        const QString high(QChar(0xD83D)), low(QChar(0xDE00));
        const QStringList breaks = {"\r\n", "\n", "\r", QString(QChar::LineSeparator),
                                    QString(QChar::ParagraphSeparator)};
        // ASCII, Chinese, full-width, the one-byte euro sign, characters GBK lacks (Hangul, the
        // soft hyphen ICU would drop), a pair outside the BMP and its halves alone.
        QTest::newRow("everything") << 1u
                                    << QStringList{"a", " x", "中", "文字", "，", "€", "한", "\u00AD", "😀", high, low} +
                                           breaks;
        QTest::newRow("pairs split and joined across breaks") << 2u << QStringList{"😀", high, low, "中"} + breaks;
        QTest::newRow("long paragraphs") << 3u << QStringList{"绿茶是中国的主要茶类之一，Green tea 2024.", "😀", "\r\n"};
    }
    void runningTotalsStayExact()
    {
        QFETCH(quint32, seed);
        QFETCH(QStringList, pieces);
        QTemporaryDir dir;
        Form1 window(dir.path());
        QVERIFY(window.Form_Load());
        auto *editor = window.findChild<ArticleEditor *>("Text1");
        auto *notice = window.findChild<QLabel *>("Label4");
        QRandomGenerator random(seed);
        auto text = [&](int most) {
            QString t;
            for (int n = random.bounded(most + 1); n > 0; --n)
                t += pieces[random.bounded(pieces.size())];
            return t;
        };
        editor->replaceArticle(text(60)); // the notice shows a count from the first edit on
        auto at = [&] { return random.bounded(editor->document()->characterCount()); }; // mid-pair too
        const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_A};
        for (int edit = 0; edit < 1200; ++edit) {
            // A short selection, often across a break; a long one once the article grows long.
            const int end = editor->document()->characterCount() - 1, start = at();
            QTextCursor cursor(editor->document());
            cursor.setPosition(start);
            cursor.setPosition(qMin(end, start + (end > 2000 ? 1000 : random.bounded(12))), QTextCursor::KeepAnchor);
            editor->setTextCursor(cursor);
            const int kind = random.bounded(20);
            if (kind < 2) {
                editor->undo();
            } else if (kind == 2) {
                editor->redo();
            } else if (kind == 3) {
                QGuiApplication::clipboard()->setText(text(30));
                editor->paste();
            } else if (kind < 6) { // Backspace and Delete take a whole pair; Shift+Return is U+2028
                QTest::keyClick(editor, keys[random.bounded(4)],
                                random.bounded(4) ? Qt::NoModifier : Qt::ShiftModifier);
            } else if (kind == 6) {
                QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, text(1), Qt::NoModifier);
            } else if (kind == 7) { // committed by an input method, as Chinese is typed
                QInputMethodEvent commit;
                commit.setCommitString(text(2));
                QApplication::sendEvent(editor, &commit);
            } else if (kind == 8) { // the generate's replacement, the double click's clear, the start-up text
                if (random.bounded(3))
                    editor->replaceArticle(random.bounded(4) ? text(60) : QString());
                else
                    editor->setInitialText(text(60));
            } else { // typed over the selection or deleted with it, or a range across paragraphs replaced
                if (kind == 9)
                    cursor.setPosition(at(), QTextCursor::KeepAnchor);
                cursor.insertText(text(4));
            }
            const ArticleStatistics counted = CountArticle(editor->articleText());
            QCOMPARE(StatisticsText(editor->statistics()), StatisticsText(counted));
            QCOMPARE(window.windowTitle(), "Velomarv1.0  " + StatisticsText(counted));
            QCOMPARE(notice->text(), QString::number(counted.chinese));
        }
    }
};

QTEST_MAIN(TestParagraphCounts)
#include "tst_paragraphcounts.moc"

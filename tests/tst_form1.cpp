#include "ArticleEditor.h"
#include "Centring.h"
#include "Form1.h"
#include "Gbk.h"
#include "Linker.h"
#include "Messages.h"
#include "Notice.h"
#include "ProgramFiles.h"
#include "Qirvan.h"
#include "QtChinese.h"
#include "SessionEnd.h"
#include "Statistics.h"
#include "TestUtil.h"
#include "Twips.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSessionManager>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

#include <tuple>

#include <unistd.h>

// The modifiers held at the press and at the release of A, whether all is selected, the characters typed.
using KeyA = std::tuple<Qt::KeyboardModifiers, Qt::KeyboardModifiers, bool, int>;
// How text reaches an entry box; the box, its text before, how, the text, the box's text after.
enum How { CtrlV, ShiftInsert, Menu, Drop, Typed, InputMethod };
using Entry = std::tuple<QString, QString, How, QString, QString>;
using Shown = std::tuple<QString, QString, QString>;
// The fault, Data.txt beside the program at the end, "stand-in" when the list went there instead, what each message at
// shut-down holds (empty: none).
using WindowFiles = std::tuple<QString, QByteArray, QString, QString>;

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_w;
    QStringList m_shown; // "icon|caption|text" of every message box, and what each dialog answer() answers shows
    QStringList m_names; // typed into the file dialogs in turn
    QTemporaryDir m_home;

    static QString chinese(int n) { return QString(n, QChar(0x6587)); }
    template <typename T = QWidget> T *child(const char *name) { return m_w->findChild<T *>(name); }
    ArticleEditor *Text1() { return child<ArticleEditor>("Text1"); }
    QString label(const char *name) { return child<QLabel>(name)->text(); }
    // The preview's whole text: the label's, or, when it does not fit, its tip's (the label then shows the start).
    QString preview()
    {
        const QString tip = child<QLabel>("Label5")->toolTip(), shown = label("Label5");
        if (!tip.contains('\n'))
            return shown;
        const QString whole = tip.section('\n', 0, -2);
        return shown.endsWith("…") && whole.startsWith(shown.chopped(1)) ? whole : "not its start: " + shown;
    }
    void click(const char *name) { QTest::mouseClick(child(name), Qt::LeftButton); }
    void menuPaste(QWidget *box)
    {
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(box, &menuEvent);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions())
            if (action->text().startsWith("粘贴"))
                action->trigger();
        menu->close();
    }
    // Answers the next modal dialog as soon as it is up: a file dialog shows its filters and takes the next name, the
    // choice of reading its texts and takes the second, a real message box its button too.
    void answer()
    {
        QTimer::singleShot(0, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *files = qobject_cast<QFileDialog *>(modal)) {
                m_shown << files->nameFilters().join(";;");
                files->selectFile(m_dir->filePath(m_names.takeFirst()));
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                m_shown << QString("%1|%2|%3").arg(box->icon()).arg(box->windowTitle(), box->text());
                for (QAbstractButton *button : box->buttons())
                    m_shown.last() += '|' + button->text();
            } else if (modal && modal->objectName() == "ReadingChoice") {
                QStringList texts;
                for (auto *w : modal->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                    if (auto *b = qobject_cast<QAbstractButton *>(w); b || qobject_cast<QLabel *>(w))
                        texts << (b ? b->text() : static_cast<QLabel *>(w)->text());
                m_shown << texts.join(" / ");
                modal->findChildren<QRadioButton *>()[1]->setChecked(true);
            } else {
                return answer();
            }
            QMetaObject::invokeMethod(modal, "accept");
        });
    }
    void activate(QWidget *window) // shown, if it was not, and made the active window
    {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void open()
    {
        m_w = std::make_unique<Form1>(m_dir->path());
        QVERIFY(m_w->Form_Load());
        activate(m_w.get());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(LoadQtChinese());
        qputenv("HOME", m_home.path().toLocal8Bit()); // the per-user folder of whoever runs the tests
        QStandardPaths::setTestModeEnabled(true);
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_shown.clear();
        Messages::SetHook([this](QMessageBox::Icon icon, const QString &caption, const QString &text) {
            m_shown << QString("%1|%2|%3").arg(icon).arg(caption, text);
        });
        open();
    }
    void cleanup() { m_w.reset(); }

    void startUp()
    {
        QCOMPARE(Text1()->articleText(), Form1::UsageText());
        QVERIFY(Form1::UsageText().endsWith("将做为改进软件的参。\r\n\r\n"));
        QCOMPARE(m_w->windowTitle(),
                 "Velomarv" VELOMAR_PROJECT_VERSION "  " + StatisticsText(CountArticle(Form1::UsageText())));
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 0);
        QVERIFY(!child("P1")->isVisible()); // the usage text is no edit
        QCOMPARE(m_w->size(), QSize(558, 408));

        // Centred by the outer frame, half twips to the even neighbour: 558×408 in a frame of 1, 20,
        // 1, 1 on 1024×768 goes to (232, 169), not 170. On screen once the window system reports it.
        QCOMPARE(Centring::framePosition({0, 0, 1024, 768}, QSize(558, 408).grownBy({1, 20, 1, 1})), QPoint(232, 169));
        QCOMPARE(Centring::framePosition({1024, 0, 800, 600}, {900, 700}), QPoint(974, -50));
        QVERIFY(m_w->frameGeometry().size() != m_w->size());
        QTRY_COMPARE(m_w->frameGeometry().topLeft(),
                     Centring::framePosition(m_w->screen()->geometry(), m_w->frameGeometry().size()));

        // Controls placed in twips from the tab control's corner, whatever the page's own offset.
        auto *tab = child<QTabWidget>("SSTab1");
        for (const auto &[name, twips] :
             {std::pair("Text1", QRect(120, 1200, 8055, 4275)), std::pair("ListView1", QRect(120, 420, 8055, 4455)),
              std::pair("Command4", QRect(6960, 5460, 1095, 375)), std::pair("Frame3", QRect(120, 360, 8055, 735)),
              std::pair("Frame4", QRect(120, 1200, 8055, 1455))}) {
            tab->setCurrentWidget(child(name)->parentWidget());
            QCOMPARE(QRect(child(name)->mapTo(tab, QPoint()), child(name)->size()),
                     Twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
        }

        // Tab goes round the controls of the page shown and never onto another page.
        for (const auto &[page, start, last] : {std::tuple(0, "Command1", "Cnew"), std::tuple(1, "ListView1", "Del")}) {
            tab->setCurrentIndex(page);
            child(start)->setFocus();
            QStringList seen;
            for (int i = 0; i < 16; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QWidget *f = QApplication::focusWidget();
                seen << f->objectName();
                QVERIFY2(tab->widget(page)->isAncestorOf(f) || f == tab->tabBar(), qPrintable(seen.join(',')));
            }
            QVERIFY(seen.contains(last));
        }

        // Chinese renders as characters, not as the empty boxes of a missing font.
        for (QWidget *w : {child("Label4"), child("Label5"), static_cast<QWidget *>(Text1())}) {
            QTextLayout layout("关键字插入：（全文共）", w->font());
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun &run : layout.glyphRuns())
                QVERIFY2(!run.glyphIndexes().contains(0), qPrintable(run.rawFont().familyName()));
        }

        QTest::mouseDClick(Text1()->viewport(), Qt::LeftButton); // clears, as one step back
        QCOMPARE(Text1()->articleText() + label("Label4"), "0");
        Text1()->undo();
        QCOMPARE(Text1()->articleText(), Form1::UsageText());

        m_w->setWindowState(Qt::WindowMaximized); // refused; minimising is not
        QCOMPARE(m_w->windowState(), Qt::WindowNoState);
        m_w->setWindowState(Qt::WindowMinimized);
        QVERIFY(m_w->windowState() & Qt::WindowMinimized);
    }

    // Adding with the placeholders, and the placeholders themselves: a click into a box clears it, leaving it empty
    // puts it back; Enter in the link box adds. Deleting takes the selected row, by the button or the Delete key.
    void addAndDelete()
    {
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        for (int i = 0; i < 3; ++i)
            click("Command2");
        QCOMPARE(m_w->table().keyWord(1) + m_w->table().link(1), "关键字" + Form1::DefaultLink());
        QCOMPARE(label("Label4"), "填加成功");
        QVERIFY(child("P1")->isVisible() && label("Label5").startsWith("①关键字  ②关键字"));
        auto *list = child<QTableView>("ListView1");
        // A click in the Link column, wider than the list, leaves ID and keyword in sight.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(list->viewport()->width() - 5, 5));
        QCOMPARE(list->currentIndex().column(), int(KeywordTable::ColumnLink));
        list->scrollTo(list->currentIndex()); // what the list does once the click is over
        QCOMPARE(list->horizontalScrollBar()->value(), 0);
        list->selectRow(0);
        click("Del");
        QCOMPARE(m_w->table().index(0, KeywordTable::ColumnId).data().toInt(), 2); // the selected row went
        list->selectRow(1); // the Delete key works whatever modifiers are held
        const QString pending = m_w->engine().PendingLink1();
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(m_w->table().count(), 1);
        // One record: a notice instead of a pair, the pair drawn before stays, and generate is refused.
        QCOMPARE(label("Label5") + m_w->engine().PendingLink1(), "关键字少于2个" + pending);
        click("Command1");
        QCOMPARE(m_shown, QStringList{QString("%1|提示|关键字少于两个？多加点吧！").arg(QMessageBox::Warning)});

        auto *twords = child<QLineEdit>("Twords"), *tlink = child<QLineEdit>("Tlink");
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), QString());
        QTest::mouseClick(tlink, Qt::LeftButton);
        QCOMPARE(twords->text() + '|' + tlink->text(), "关键字|");
        QTest::keyClick(tlink, Qt::Key_Return);                    // adds with the empty link; the box stays empty
        QTest::keyClick(tlink, Qt::Key_Enter, Qt::KeypadModifier); // so does Enter on the keypad
        QCOMPARE(m_w->table().count(), 3);
        QVERIFY(m_w->table().link(3).isEmpty() && tlink->hasFocus() && tlink->text().isEmpty());

        // Its own context menu (in Chinese) and the window losing activation take the focus
        // without moving it to another control: the box stays empty, Paste gives the clipboard.
        QGuiApplication::clipboard()->setText("http://mine.example/");
        menuPaste(tlink);
        QCOMPARE(tlink->text(), "http://mine.example/");
        activate(m_w.get()); // offscreen, the closed menu leaves no window active
        QTest::mouseClick(twords, Qt::LeftButton);
        QWidget other;
        activate(&other);
        QCOMPARE(twords->text(), QString());
        activate(m_w.get());

        twords->setText("关键字 "); // not the placeholder: left alone
        QTest::mouseClick(tlink, Qt::LeftButton);
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), "关键字 ");
        twords->clear(); // the placeholder is back before the add button reads the box
        click("Command2");
        QCOMPARE(m_w->table().keyWord(4), "关键字");
        list->clearSelection(); // nothing selected: nothing removed, the preview still refreshes
        child<QLabel>("Label5")->clear();
        click("Del");
        QCOMPARE(m_w->table().count(), 4);
        QVERIFY(label("Label5").startsWith("①"));
    }

    // Keywords that look like mark-up show as typed, in the preview and the list's tooltips, and
    // nothing they name is loaded (a picture named /dev/zero or a FIFO would never end loading).
    // A long one shows its first 200 characters in the preview, the cell and its tip, never half a pair.
    void shownAsTyped_data()
    {
        QTest::addColumn<Shown>("row"); // the keyword; in its cell and tooltip; in the preview
        const QString img = "<img src=\"/nonexistent/none.png\">";
        QTest::newRow("mark-up") << Shown{img, img, img.chopped(2)};
        QTest::newRow("200 whole") << Shown{chinese(200), chinese(200), chinese(200)};
        QTest::newRow("5 MB") << Shown{chinese(5 << 20), chinese(200) + "…", chinese(200) + "…"};
        QTest::newRow("pair at 200") << Shown{chinese(199) + "😀", chinese(199) + "…", chinese(199) + "…"};
    }
    void shownAsTyped()
    {
        QFETCH(Shown, row);
        const auto &[keyWord, cell, preview] = row;
        QStringList loaded;
        QTextDocument::setDefaultResourceProvider([&loaded](const QUrl &url) {
            loaded << url.toString();
            return QVariant(QImage(1, 1, QImage::Format_RGB32));
        });
        const QString link = "<b>x</b>  y";
        m_w->table().append(QList<KeywordTable::Record>(2, {keyWord, link}));
        click("Label5");
        QCOMPARE(this->preview(), "①" + preview + "  ②" + preview);
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        auto *list = child<QTableView>("ListView1");
        for (int column : {KeywordTable::ColumnKeyWord, KeywordTable::ColumnLink}) {
            const QPoint at = list->visualRect(m_w->table().index(0, column)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &help);
            QVERIFY(QToolTip::isVisible());
            const QString tip = QToolTip::text(); // read as the tooltip's label reads it
            const QString shown = column == KeywordTable::ColumnKeyWord ? cell : link;
            QString plain = Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
            QCOMPARE(plain.remove('\n'), shown); // in lines that fit on the screen
            for (QWidget *w : QApplication::topLevelWidgets())
                QVERIFY(!w->inherits("QTipLabel") || list->screen()->availableGeometry().contains(w->geometry()));
            QCOMPARE(m_w->table().index(0, column).data().toString(), shown);
        }
        QTextDocument::setDefaultResourceProvider({});
        QCOMPARE(loaded, QStringList());
    }

    // What is pasted or dropped goes in whole, or is refused with one message when it does not fit
    // over what it replaces; typed or committed text that does not fit is refused without one. A
    // "|" becomes "｜" in a keyword and "%7C" in a link, and the add stores what the box shows.
    void entryBoxes_data()
    {
        QTest::addColumn<Entry>("row");
        const QString eleven = "小户型厨房装修注意事项", l97 = "http://c.example/" + QString(80, 'a');
        QTest::newRow("11 over 1") << Entry{"Twords", "^新", CtrlV, eleven, ""};
        QTest::newRow("8 over 2 of 4") << Entry{"Twords", "装修^注意", Menu, eleven.left(8), "装修小户型厨房装修注"};
        QTest::newRow("10 dropped on 1") << Entry{"Twords", "新^", Drop, eleven.left(10), ""};
        QTest::newRow("bar dropped") << Entry{"Twords", "新^", Drop, "A|B", "新A｜B"};
        QTest::newRow("bar typed") << Entry{"Twords", "A^x", Typed, "|B", "A｜B"};
        QTest::newRow("bar pasted") << Entry{"Twords", "A^", ShiftInsert, "|B|", "A｜B｜"};
        QTest::newRow("line breaks pasted") << Entry{"Tlink", "A^", CtrlV, "B\r\nC\rD\nE", "AB C D E"};
        QTest::newRow("bar committed") << Entry{"Twords", "A^", InputMethod, "|", "A｜"};
        QTest::newRow("128 escaped") << Entry{"Tlink", "h^", CtrlV,
                                              "http://c.example/?q=" + QString("%E5%B0%8F").repeated(12), ""};
        QTest::newRow("bar to 102") << Entry{"Tlink", l97 + "^", Menu, "a|b", ""};
        QTest::newRow("bar to 100") << Entry{"Tlink", l97 + "^", CtrlV, "|", l97 + "%7C"};
        QTest::newRow("bar typed to 101") << Entry{"Tlink", l97 + "b^", Typed, "|", ""};
        QTest::newRow("bar typed") << Entry{"Tlink", "http://c.example/?a^", Typed, "|b", "http://c.example/?a%7Cb"};
        QTest::newRow("committed to 101") << Entry{"Tlink", l97 + "bc^", InputMethod, "de", ""};
    }
    void entryBoxes()
    {
        QFETCH(Entry, row);
        const auto &[box, before, how, input, after] = row;
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        auto *edit = child<QLineEdit>(qPrintable(box));
        edit->setFocus();
        const QString start = QString(before).remove('^');
        edit->setText(start);
        edit->setSelection(before.indexOf('^'), start.size() - before.indexOf('^'));
        QGuiApplication::clipboard()->setText(input);
        QMimeData dragged;
        dragged.setText(input);
        QDragEnterEvent enter(QPoint(edit->width() - 2, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QDropEvent drop(enter.position(), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QInputMethodEvent preedit("|", {}), commit;
        commit.setCommitString(input);
        if (how == CtrlV || how == ShiftInsert)
            QTest::keyClick(edit, how == CtrlV ? Qt::Key_V : Qt::Key_Insert,
                            how == CtrlV ? Qt::ControlModifier : Qt::ShiftModifier);
        else if (how == Menu)
            menuPaste(edit);
        else if (how == Typed)
            QTest::keyClicks(edit, input);
        else if (how == Drop)
            QApplication::sendEvent(edit, &enter), QApplication::sendEvent(edit, &drop);
        else
            QApplication::sendEvent(edit, &preedit), QApplication::sendEvent(edit, &commit);
        const QString shown = after.isEmpty() ? start : after;
        QCOMPARE(edit->text(), shown);
        const QString told = QString("%1|提示|粘贴的内容太长：").arg(QMessageBox::Information) +
                             (box == "Twords" ? "关键字最多10个字。" : "链接最多100个字符。");
        QTRY_COMPARE(m_shown, after.isEmpty() && how <= Drop ? QStringList{told} : QStringList());
        click("Command2");
        QCOMPARE(box == "Twords" ? m_w->table().keyWord(1) : m_w->table().link(1), shown);
    }

    // Selected on the press of Ctrl+A and on the release of A with Ctrl alone held; the keys that
    // select nothing may type an "a" (Ctrl+Alt is AltGr).
    void ctrlA_data()
    {
        QTest::addColumn<KeyA>("row");
        const Qt::KeyboardModifiers none, ctrl(Qt::ControlModifier), shift(Qt::ShiftModifier), alt(Qt::AltModifier);
        QTest::newRow("Ctrl") << KeyA{ctrl, ctrl, true, 0};
        QTest::newRow("Ctrl let go first") << KeyA{ctrl, none, true, 0};
        QTest::newRow("Ctrl pressed after A") << KeyA{none, ctrl, true, 1};
        QTest::newRow("Ctrl+Shift") << KeyA{ctrl | shift, ctrl | shift, false, 0};
        QTest::newRow("Ctrl+Alt") << KeyA{ctrl | alt, ctrl | alt, false, 1};
        QTest::newRow("A alone") << KeyA{none, none, false, 1};
    }
    void ctrlA()
    {
        QFETCH(KeyA, row);
        const auto &[atPress, atRelease, selects, typed] = row;
        QTest::keyPress(Text1(), Qt::Key_A, atPress);
        QTest::keyRelease(Text1(), Qt::Key_A, atRelease);
        QCOMPARE(Text1()->textCursor().selectedText().size() == Text1()->toPlainText().size(), selects);
        QCOMPARE(Text1()->articleText().size(), Form1::UsageText().size() + typed);
    }

    // From rest: 51 rise ticks. A restart after 30 puts the panel back, but the count goes on:
    // 21 ticks to the end, the panel 31 + ... + 50 twips up. The fade never passes white.
    void notice()
    {
        Notice &n = m_w->notice();
        for (const auto &[restartAfter, topBeforeEnd, ticksToEnd] :
             {std::tuple(-1, 2760.0f - 1275, 51), std::tuple(30, 2760.0f - 810, 21)}) {
            n.Xianshi();
            for (int i = 0; i < restartAfter; ++i)
                n.Timer1_Timer(), n.Timer2_Timer();
            if (restartAfter >= 0) {
                n.Xianshi();
                QVERIFY(n.panelTopTwips() == 2760.0f && n.FadeLevel() == 0);
            }
            for (int i = 1; i < ticksToEnd; ++i)
                n.Timer1_Timer();
            QCOMPARE(n.panelTopTwips(), topBeforeEnd);
            QVERIFY(child("P1")->isVisible() && child("P1")->y() == qRound(topBeforeEnd / 15));
            for (int i = 0; i < 60; ++i)
                n.Timer2_Timer();
            QCOMPARE(child("Label4")->palette().color(QPalette::WindowText), QColor(Qt::white));
            n.Timer1_Timer();
            QVERIFY(!child("P1")->isVisible() && !n.Timer1().isActive() && !n.Timer2().isActive());
            QCOMPARE(n.RiseStep() + n.FadeLevel(), 0);
        }
    }

    // The real box: one OK (in Chinese), the caption, CR-separated lines shown as lines.
    void messageBox()
    {
        answer();
        Messages::SetHook({});
        Messages::Show(m_w.get(), QMessageBox::Information, "一\r二\r\nQQ:1");
        QCOMPARE(m_shown, QStringList{QString("%1|提示|一\n二\nQQ:1|确定").arg(QMessageBox::Information)});
        QCOMPARE(Qirvan::QtFilter("Text|*.txt;*.log|All|*.*|"), "Text (*.txt *.log);;All (*.*)");
    }

    void promotionLabel()
    {
        auto colour = [this] { return child("Label1")->palette().color(QPalette::WindowText).name(); };
        QVERIFY(child("Label1")->font().underline());
        QStringList colours{colour()};
        // The pointer passing over, sent straight to the widgets: a real pointer move arrives late
        // under a window system.
        for (QWidget *w : {child("Label1"), child<QTabWidget>("SSTab1")->widget(0)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &move), colours << colour();
        }
        QCOMPARE(colours.join(' '), "#0000ff #ff0000 #0000ff");

        // One dialog at a time. A closed port: the picture fails at once, the dialog still opens.
        m_w->setSubscriptionService({"127.0.0.1:9", "h0", "0"});
        click("Label1");
        QPointer<QWidget> first = m_w->subscriptionDialog();
        QVERIFY(first && first->isVisible());
        click("Label1");
        QCOMPARE(m_w->subscriptionDialog(), first.data());
        // Above its owner and nothing else; a close button only, so that the caption fits.
        const auto kept =
            Qt::WindowType_Mask | Qt::WindowStaysOnTopHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
        QCOMPARE(first->windowFlags() & kept, Qt::Dialog | Qt::WindowCloseButtonHint);
        QCOMPARE(first->windowHandle()->transientParent(), m_w->windowHandle());
        QCOMPARE(first->windowModality(), Qt::NonModal); // the main window stays usable
        first->showMinimized();                          // the label brings a minimised dialog back
        click("Label1");
        QVERIFY(!first->isMinimized());
        QTest::keyClick(first->focusWidget(), Qt::Key_Escape); // closes it as its close button does
        QTRY_VERIFY(first.isNull());

        // Closing the main window leaves an open dialog as a window of its own, which keeps the
        // program running.
        click("Label1");
        QPointer<QWidget> second = m_w->subscriptionDialog();
        m_w->close();
        QVERIFY(second->isVisible() && !second->parentWidget() && second->windowType() == Qt::Window);
        second->close();
        QTRY_VERIFY(second.isNull());
    }

    // Export through the real dialog: a name typed without an ending gets ".txt", and a file that cannot be written is
    // named in a box with the reason. Import offers every file too.
    void exportAndImport()
    {
        m_names = {"list", "missing/list", "路.txt"};
        m_w->table().append("绿茶", "http://a/");
        for (int i = 0; i < 2; ++i)
            answer(), click("Command4");
        QVERIFY(QFile::exists(m_dir->filePath("list.txt")));
        // 路 in GBK is · in UTF-8: the user is shown both and takes the second.
        writeFile(m_dir->filePath("路.txt"), "\xC2\xB7|x\r\n");
        answer();
        answer(); // the choice of reading, after the file
        click("Command3");
        QCOMPARE(m_w->table().keyWord(1), "·");
        const QString save = "文本文件 (*.txt)";
        QCOMPARE(m_shown, (QStringList{save, save,
                                       QString("%1|提示|关键字列表无法导出到：\r\n%2\r\n文件夹不存在。")
                                           .arg(QMessageBox::Information)
                                           .arg(m_dir->filePath("missing/list.txt")),
                                       save + ";;所有文件 (*)",
                                       "这个文件可以按两种编码读取，请选择关键字显示正确的一种： / "
                                       "GBK（简体中文 Windows 的文本） / 路 | x / UTF-8 / · | x"}));
    }

    // A newer version ends the start-up at once, writing nothing. Otherwise the options come from the settings file
    // (2 is half-checked, anything else off), the advanced page's too: the pair is drawn in the format read, generate
    // avoids the mark-up, and the options go back to the file at shut-down. A generate refused is a warning box and
    // changes nothing; one done is copied, one step back, and the links are marked until the next edit.
    void optionsAndGenerate()
    {
        m_w = std::make_unique<Form1>(m_dir->path(), [](Form1 &) { return true; });
        QVERIFY(!m_w->Form_Load());
        QVERIFY(QDir(m_dir->path()).isEmpty());
        const QString ini = m_dir->filePath("Setting.ini");
        writeFile(ini, gbk("[Setting]\r\n粗体=1\r\n斜体=2\r\n新窗口打开=x\r\n链接格式=2\r\n避开标签=1\r\n"));
        writeFile(m_dir->filePath("Data.txt"), gbk("绿[茶]|http://g.example/a b\r\n红茶|http://r.example/\r\n"));
        open();
        auto state = [this](const char *name) { return int(child<QCheckBox>(name)->checkState()); };
        QCOMPARE(QList<int>({state("CB"), state("CI"), state("Cnew")}),
                 (QList<int>{Qt::Checked, Qt::PartiallyChecked, 0}));
        // Drawn in the format read; the preview shows the keywords as listed, not escaped.
        QVERIFY((m_w->engine().PendingLink1() + m_w->engine().PendingLink2())
                    .contains("[**绿\\[茶\\]**](http://g.example/a%20b)"));
        QVERIFY2(label("Label5") == "①绿[茶]  ②红茶" || label("Label5") == "①红茶  ②绿[茶]",
                 qPrintable(label("Label5")));

        click("CCopy");
        QGuiApplication::clipboard()->setText("sentinel");
        const QString tooShort = chinese(79) + "\r\nEnd";
        Text1()->replaceArticle(tooShort);
        click("Command1");
        QCOMPARE(m_shown, QStringList{QString("%1|提示|文章字数不能少于80个字，多写点吧！").arg(QMessageBox::Warning)});
        QCOMPARE(Text1()->articleText() + QGuiApplication::clipboard()->text(), tooShort + "sentinel");
        const QString article = // the first point falls inside a closing tag
            chinese(6) + ("<p class=\"lead\">" + chinese(40) + "</p>\r\n").repeated(60);
        Text1()->replaceArticle(article);
        const QString l1 = m_w->engine().PendingLink1(), l2 = m_w->engine().PendingLink2();
        click("Command1");
        const QString built = Linker::InsertAt(article, Linker::PointsIn(article, 2, m_w->options()), {l1, l2}).text;
        QCOMPARE(Text1()->articleText() + QGuiApplication::clipboard()->text(), built + built);
        const QList<QTextEdit::ExtraSelection> marks = Text1()->extraSelections();
        QCOMPARE(marks.size(), 2);
        QCOMPARE(marks[0].cursor.selectedText() + marks[1].cursor.selectedText(), l1 + l2);
        QCOMPARE(Text1()->textCursor().position(), marks[0].cursor.selectionStart());
        QTRY_VERIFY(Text1()->viewport()->rect().contains(Text1()->cursorRect())); // scrolled to the first
        QTest::keyClick(Text1(), Qt::Key_X);
        QVERIFY(Text1()->extraSelections().isEmpty());
        for (const QString &before : {built, article, tooShort}) { // one step each
            Text1()->undo();
            QCOMPARE(Text1()->articleText(), before);
        }
        QCOMPARE(child<QTabWidget>("SSTab1")->tabText(2), "高级设置");
        child<QRadioButton>("Option1")->click(); // back to HTML: a new pair in HTML
        QVERIFY(m_w->engine().PendingLink1().startsWith("<B><a href="));
        m_w->close();
        QCOMPARE(Gbk::decode(readFile(ini)),
                 "[Setting]\r\n粗体=1\r\n斜体=2\r\n新窗口打开=0\r\n链接格式=0\r\n避开标签=1\r\n生成后复制=1\r\n");
    }

    // 文中匹配 and a number of links from the file: the preview tells, shortly after an edit, which keywords go on
    // the article's own words (not in its heading) and which are inserted; generate is one step back.
    void inPlaceGenerate()
    {
        writeFile(m_dir->filePath("Setting.ini"), gbk("[Setting]\r\n文中匹配=1\r\n链接数量=3\r\n"));
        writeFile(m_dir->filePath("Data.txt"), gbk("关键词|http://k.example/\r\n死链接|http://d.example/\r\n"
                                                   "内链|http://n.example/\r\n"));
        open();
        QCOMPARE(child<QSpinBox>("LinkCount")->value(), 3);
        const QString article =
            "三、关键词布局要自然\r\n" + chinese(40) + "死链接" + chinese(40) + "内链" + chinese(40);
        Text1()->replaceArticle(article);
        QVERIFY(!preview().contains("（文中）"));
        QTRY_COMPARE(preview().count("（文中）"), 2);
        QVERIFY(preview().startsWith("①死链接（文中）  ②内链（文中）  ③关键词（插入）"));
        Text1()->replaceArticle(QString(article).replace("死链接", chinese(3)));
        QTRY_COMPARE(preview().count("（文中）"), 1);
        Text1()->undo();
        QTRY_COMPARE(preview().count("（文中）"), 2);
        click("Command1");
        QString linked = Text1()->articleText();
        QVERIFY(linked.contains("alt=\"死链接\">死链接</a>") && linked.contains("alt=\"内链\">内链</a>"));
        QVERIFY(linked.startsWith("三、关键词布局要自然\r\n"));
        QCOMPARE(linked.remove(QRegularExpression("<a [^>]*>|</a>")).size(), article.size() + 3); // one inserted
        Text1()->undo();
        QCOMPARE(Text1()->articleText(), article);
        // Off, the article is not read whole: its length and the characters around the points (leaving CR LF whole).
        child<QCheckBox>("CInPlace")->click();
        child<QSpinBox>("LinkCount")->setValue(2);
        const QString pairs = "\r\n\r\n" + chinese(23) + "ab\r\n" + chinese(60);
        Text1()->replaceArticle(pairs);
        const QList<Linker::Link> pending = m_w->engine().pending();
        QCOMPARE(pending.size(), 2);
        click("Command1");
        QCOMPARE(Text1()->articleText(), Linker::LinkArticle(pairs, pending, m_w->options(), 3).text);
        QCOMPARE(Text1()->articleText().indexOf(pending[1].markup), 70 + pending[0].markup.size());
    }

    // The main window's start-up and shut-down, twice in a row, with the program folder and the
    // per-user folder in different states: each session adds a keyword and flips 斜体, and nothing
    // of either session is lost. Cases that need file permissions run in the unprivileged run.
    void windowFiles_data()
    {
        QTest::addColumn<WindowFiles>("row");
        const QByteArray fixture = readFile(testData("Data.txt"));
        const QByteArray added = fixture.chopped(2) + gbk("白茶|\r\n乌龙|\r\n\r\n");
        const QString moved = "已改为保存到", nowhere = "以下位置都无法写入";
        const auto row = [](const char *name, const char *fault, const QByteArray &list, const char *movedTo = "",
                            const QString &box = {}) {
            QTest::newRow(name) << WindowFiles{fault, list, movedTo, box};
        };
        row("GBK list that is valid UTF-8", "", added);
        row("UTF-8 list with its mark stays so", "utf-8", {});
        row("no read permission: left alone", "unreadable", fixture);
        row("read-only program folder", "read-only folder", fixture, "stand-in");
        row("read-only list", "read-only list", fixture, "stand-in", moved);
        row("a folder in place of the list", "folder list", {});
        row("read-only settings", "read-only settings", added);
        row("write-only settings", "write-only settings", added);
        row("program folder removed", "removed", {}, "stand-in", moved);
        row("and the session ends first", "removed, session ends", {}, "stand-in", moved);
        row("and no per-user folder", "removed, no user folder", {}, "", nowhere);
    }
    void windowFiles()
    {
        QFETCH(WindowFiles, row);
        auto [fault, list, movedTo, box] = row;
        if ((fault.contains("-only") || fault.startsWith("un")) && geteuid() == 0)
            QSKIP("root reads and writes every file: the unprivileged run of this test covers this case");
        QTemporaryDir program;
        const QString data = program.filePath("Data.txt"), ini = program.filePath("Setting.ini");
        const QByteArray settings = gbk("[Setting]\r\n粗体=1\r\n斜体=0\r\n新窗口打开=0\r\n生成后复制=0\r\n");
        const QByteArray utf8 = "\xEF\xBB\xBF" + u"绿茶|\r\n红茶|\r\n"_qs.toUtf8();
        if (fault == "folder list")
            QVERIFY(QDir(program.path()).mkpath("Data.txt/x"));
        else
            writeFile(data, fault == "utf-8" ? utf8 : readFile(testData("Data.txt")));
        if (fault == "utf-8")
            list = utf8 + u"白茶|\r\n乌龙|\r\n\r\n"_qs.toUtf8();
        writeFile(ini, settings);
        QVERIFY(QDir(m_home.filePath(".qttest")).removeRecursively()); // the per-user folder and all above it
        if (fault.contains("no user folder"))
            writeFile(m_home.filePath(".qttest"), "a file in the way");
        const auto set = [](const QString &file, QFileDevice::Permissions p) { QFile::setPermissions(file, p); };
        if (fault == "unreadable" || fault == "read-only list")
            set(data, fault == "unreadable" ? QFileDevice::Permissions() : QFileDevice::ReadOwner);
        if (fault.endsWith("settings"))
            set(ini, fault.startsWith("read") ? QFileDevice::ReadOwner : QFileDevice::WriteOwner);
        if (fault == "read-only folder")
            set(program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        const int sessions = fault.startsWith("removed") ? 1 : 2,
                  shown = fault == "unreadable" || fault == "folder list" ? 0 : 2;
        for (int session = 0; session < sessions; ++session) {
            Form1 window(ProgramFiles::locate(program.path()));
            QVERIFY(window.Form_Load());
            QCOMPARE(window.table().count(), shown ? shown + session : 0);
            auto *bold = window.findChild<QCheckBox *>("CB"), *italic = window.findChild<QCheckBox *>("CI");
            QCOMPARE(bold->checkState(), fault == "write-only settings" ? Qt::CheckState(session * 2) : Qt::Checked);
            QCOMPARE(italic->checkState(), session ? Qt::Checked : Qt::Unchecked);
            bold->setChecked(true);
            italic->click();
            if (shown)
                window.table().append(session ? "乌龙" : "白茶", QString());
            if (fault.startsWith("removed"))
                QVERIFY(QDir(program.path()).removeRecursively());
            if (fault.endsWith("session ends")) { // saved as at a close, with no box to hold the logout up
                SessionEnd sessionEnd(window);
                Q_EMIT qApp->commitDataRequest(*qApp->findChild<QSessionManager *>());
                QVERIFY(QFile::exists(ProgramFilePath(StandInFolder(program.path()), DataFileName)));
                QVERIFY(m_shown.isEmpty());
            }
            window.close();
        }
        set(program.path(), QFile::permissions(m_home.path()));
        if (fault != "folder list")
            set(data, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        set(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(m_home.filePath(".qttest"));
        QCOMPARE(readFile(data), list);
        if (!movedTo.isEmpty())
            QCOMPARE(readFile(ProgramFilePath(StandInFolder(program.path()), DataFileName)),
                     readFile(testData("Data.txt")).chopped(2) +
                         gbk(sessions == 1 ? "白茶|\r\n\r\n" : "白茶|\r\n乌龙|\r\n\r\n"));
        QCOMPARE(m_shown.size(), box.isEmpty() ? 0 : sessions);
        for (const QString &text : std::as_const(m_shown))
            QVERIFY2(text.startsWith(QString("%1|提示|").arg(QMessageBox::Information)) && text.contains(box) &&
                         text.contains(QDir::toNativeSeparators(data)),
                     qPrintable(text));
        // The options of the last session are read at the next start, wherever they went; a file
        // that could not be read is never replaced.
        if (fault.startsWith("write-only") || fault.startsWith("read-only"))
            QCOMPARE(readFile(ini), settings);
        Form1 next(ProgramFiles::locate(program.path()));
        QVERIFY(next.Form_Load());
        const auto state = [&](const char *name) { return next.findChild<QCheckBox *>(name)->checkState(); };
        if (!fault.contains("no user folder"))
            QCOMPARE(QList({state("CB"), state("CI")}), QList({Qt::Checked, Qt::CheckState(sessions % 2 * 2)}));
    }

    // The caption's running statistics against a full count of the article, after every edit of a
    // long random sequence.
    void runningTotalsStayExact_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QStringList>("pieces");
        const QString high(QChar(0xD83D)), low(QChar(0xDE00));
        const QStringList breaks = {"\r\n", "\n", "\r", "\u2028", "\u2029"}; // line and paragraph separators
        // ASCII, Chinese, full-width, the one-byte euro sign, characters GBK lacks (Hangul, the
        // soft hyphen ICU would drop), a pair outside the BMP and its halves alone.
        const QStringList everything = {"a", " x", "中", "文字", "，", "€", "한", "\u00AD", "😀", high, low};
        QTest::newRow("everything") << 1u << everything + breaks;
        QTest::newRow("pairs split and joined across breaks") << 2u << QStringList{"😀", high, low, "中"} + breaks;
        QTest::newRow("long paragraphs") << 3u << QStringList{"绿茶是中国的主要茶类之一，Green tea 2024.", "😀", "\r\n"};
    }
    void runningTotalsStayExact()
    {
        QFETCH(quint32, seed);
        QFETCH(QStringList, pieces);
        ArticleEditor *editor = Text1();
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
                random.bounded(3) ? editor->replaceArticle(random.bounded(4) ? text(60) : QString())
                                  : editor->setInitialText(text(60));
            } else { // typed over the selection or deleted with it, or a range across paragraphs replaced
                if (kind == 9)
                    cursor.setPosition(at(), QTextCursor::KeepAnchor);
                cursor.insertText(text(4));
            }
            const ArticleStatistics counted = CountArticle(editor->articleText());
            QCOMPARE(m_w->windowTitle(), "Velomarv" VELOMAR_PROJECT_VERSION "  " + StatisticsText(counted));
            QCOMPARE(label("Label4"), QString::number(counted.chinese));
        }
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"

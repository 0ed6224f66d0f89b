#include "Form1.h"

#include "ArticleEditor.h"
#include "BatchDialog.h"
#include "Centring.h"
#include "Controls.h"
#include "Messages.h"
#include "Notice.h"
#include "ProgramFiles.h"
#include "Skin.h"
#include "VelomarConfig.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <cmath>

namespace {
const QString CaptionPrefix =
    QStringLiteral("Velomar") + QLatin1String(Velomar::Config::Version) + QStringLiteral("  ");
const QString TwordsPlaceholder = QStringLiteral("关键字");
} // namespace

static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

Form1::Form1(const ProgramFiles &files, VersionCheck versionCheck, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_files(files), m_versionCheck(std::move(versionCheck))
{
    initResources();
    buildControls();
    m_ledgerPath = LinkLedger::defaultPath();
    m_engine.emplace(
        m_table, m_random,
        LinkInserter::View{this, Text1, Label5, [this] { return options(); },
                           [this](const QList<Linker::Link> &links) {
                               QList<LinkLedger::Entry> entries;
                               for (const Linker::Link &link : links)
                                   entries.append({m_table.keyWord(link.record), m_table.link(link.record), 1});
                               countLinks(entries);
                           }});
    // New cycles of the rotation start with the records linked least, in the window and in batches.
    m_engine->setLinked([this](qsizetype p) { return m_ledger.count(m_table.keyWord(p), m_table.link(p)); });
    Text1->setInitialText(UsageText());

    connect(Text1, &QPlainTextEdit::textChanged, this, &Form1::Text1_Change);
    connect(Text1, &ArticleEditor::keyUp, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        if (ArticleEditor::isSelectAll(key, modifiers))
            Text1->selectAll();
    });
    connect(Text1, &ArticleEditor::doubleClicked, this, [this] { Text1->replaceArticle(QString()); });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Del, &QPushButton::clicked, this, &Form1::Del_Click);
    connect(Label5, &ClickLabel::clicked, this, &Form1::Label5_Click);
    connect(Label5, &ClickLabel::doubleClicked, this, &Form1::Label5_Click);
    for (OptionBox *box : {CB, CI, Cnew})
        connect(box, &QCheckBox::clicked, this, &Form1::Label5_Click);
    connect(Label1, &ClickLabel::clicked, this, &Form1::Label1_Click);
    connect(Label1, &ClickLabel::pointerMoved, this, [this] { setLabel1Colour(QColor(0xFF, 0x00, 0x00)); });
    connect(Twords, &EntryBox::pasteRefused, this, [this] {
        Messages::Show(this, QMessageBox::Information,
                       QStringLiteral("粘贴的内容太长：关键字最多%1个字。").arg(Twords->maxLength()));
    });
    connect(Tlink, &EntryBox::pasteRefused, this, [this] {
        Messages::Show(this, QMessageBox::Information,
                       QStringLiteral("粘贴的内容太长：链接最多%1个字符。").arg(Tlink->maxLength()));
    });
}

Form1::~Form1()
{
    delete m_batch; // a batch still running stops after its file in hand, before the list it reports to goes
}

bool Form1::Form_Load()
{
    SSTab1->setGeometry(rect());
    Pifu(QCoreApplication::applicationDirPath());

    const int outerWidth = frameGeometry().width();
    QHeaderView *header = ListView1->horizontalHeader();
    header->resizeSection(KeywordTable::ColumnId, int(std::lround(outerWidth / 15.0)));
    header->resizeSection(KeywordTable::ColumnKeyWord, int(std::lround(outerWidth / 5.0)));
    header->resizeSection(KeywordTable::ColumnLink, outerWidth);

    LoadSet();
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);

    QFont underlined = Label1->font();
    underlined.setUnderline(true);
    Label1->setFont(underlined);
    setLabel1Colour(QColor(0x00, 0x00, 0xFF));

    JiaTXT(m_files.readPath(DataFileName));
    loadLedger();
    // velomar-batch may have counted links since: the page shows the file as it is.
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int page) {
        if (SSTab1->widget(page) == m_page2)
            loadLedger();
    });

    Centring::centreOnScreen(this);

    setWindowTitle(CaptionPrefix + m_engine->Tongji());

    if (m_versionCheck && m_versionCheck(*this))
        return false;

    m_engine->Getkey1();
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    releaseSubscriptionDialog();
    event->accept(); // closing is never refused
}

void Form1::Form_Unload(bool unattended)
{
    const Messages::Unattended noBoxes(unattended);
    SaveTXT();
    SaveSet();
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Form_Resize: the window can be minimised and restored, but never stays maximised.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized) &&
        windowState() != Qt::WindowNoState)
        setWindowState(Qt::WindowNoState);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == SSTab1 || watched == m_page0 || watched == m_page1 || watched == m_page2 ||
            watched == SSTab1->tabBar())
            setLabel1Colour(QColor(0x00, 0x00, 0xFF));
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Only the focus moving between the window's controls counts, not the box's own context
        // menu opening or closing, nor the window losing or regaining activation: Paste from
        // that menu must find the box as the user left it.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        QLineEdit *box = watched == Twords ? Twords : watched == Tlink ? Tlink : nullptr;
        const QString placeholder = box == Twords ? TwordsPlaceholder : DefaultLink();
        if (box && event->type() == QEvent::FocusIn && box->text() == placeholder)
            box->clear();
        else if (box && event->type() == QEvent::FocusOut && box->text().isEmpty())
            box->setText(placeholder);
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == Tlink && (key == Qt::Key_Return || key == Qt::Key_Enter))
            Command2_Click(); // and the key goes on to the box
        else if (watched == ListView1 && key == Qt::Key_Delete) {
            Del_Click();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setLabel1Colour(const QColor &colour)
{
    QPalette palette = Label1->palette();
    if (palette.color(QPalette::WindowText) == colour)
        return; // every pointer move over the page lands here
    palette.setColor(QPalette::WindowText, colour);
    Label1->setPalette(palette);
}

void Form1::Text1_Change()
{
    m_engine->articleChanged();
    const QString stats = m_engine->Tongji();
    Label4->setText(QString::number(m_engine->HanziCount()));
    m_notice->Xianshi();
    setWindowTitle(CaptionPrefix + stats);
}

void Form1::Command1_Click()
{
    m_engine->Generate();
}

void Form1::Command2_Click()
{
    m_table.append(Twords->text(), Tlink->text());
    Label4->setText(QStringLiteral("填加成功"));
    m_notice->Xianshi();
    Label5_Click();
}

void Form1::Del_Click()
{
    const QModelIndex current = ListView1->currentIndex();
    if (current.isValid() && ListView1->selectionModel()->isRowSelected(current.row())) {
        m_table.remove(current.row() + 1);
        QCoreApplication::processEvents(); // let the list repaint before the new preview
    }
    Label5_Click();
}

void Form1::Label5_Click()
{
    m_engine->Getkey1();
}

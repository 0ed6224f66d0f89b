// The third page: link format and insertion options, the link counts, the batch.
#include "ArticleEditor.h"
#include "Controls.h"
#include "Form1.h"
#include "Twips.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

namespace {
template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

namespace {
// The phrase with a word joiner between its characters: a line never breaks inside it.
QString whole(QStringView phrase)
{
    QString out;
    for (qsizetype i = 0; i < phrase.size(); ++i) {
        if (i > 0 && !phrase[i].isLowSurrogate())
            out += QChar(0x2060);
        out += phrase[i];
    }
    return out;
}

// An explanation as a tip: mark-up, so that the tip breaks its lines instead of running across the
// screen; the text is the program's own.
QString tip(const QString &text)
{
    return QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
} // namespace

void Form1::buildAdvancedPage()
{
    m_page2 = new TabPage(SSTab1);
    SSTab1->addTab(m_page2, QStringLiteral("高级设置"));
    m_page2->setMouseTracking(true);
    m_page2->installEventFilter(this);

    Frame3 = named(new QGroupBox(QStringLiteral("链接格式：")), "Frame3");
    m_page2->place(Frame3, 120, 360, 8055, 735);
    Option1 = named(new QRadioButton(QStringLiteral("HTML（网页）"), Frame3), "Option1");
    Option1->setGeometry(Twips::toPixels(120, 360, 2175, 255));
    Option2 = named(new QRadioButton(QStringLiteral("UBB（论坛）"), Frame3), "Option2");
    Option2->setGeometry(Twips::toPixels(2400, 360, 2175, 255));
    Option3 = named(new QRadioButton(QStringLiteral("Markdown"), Frame3), "Option3");
    Option3->setGeometry(Twips::toPixels(4680, 360, 2175, 255));
    m_formatGroup = new QButtonGroup(this);
    m_formatGroup->addButton(Option1, int(LinkFormat::Html));
    m_formatGroup->addButton(Option2, int(LinkFormat::Ubb));
    m_formatGroup->addButton(Option3, int(LinkFormat::Markdown));
    Option1->setChecked(true);

    Frame4 = named(new QGroupBox(QStringLiteral("插入方式：")), "Frame4");
    m_page2->place(Frame4, 120, 1200, 8055, 1455);
    CAvoid = named(new OptionBox(QStringLiteral("避开标签、已有链接和英文单词"), Frame4), "CAvoid");
    CAvoid->setGeometry(Twips::toPixels(120, 360, 4455, 255));
    CRotate = named(new OptionBox(QStringLiteral("轮换关键字"), Frame4), "CRotate");
    CRotate->setGeometry(Twips::toPixels(4680, 360, 3255, 255));
    CInPlace = named(new OptionBox(QStringLiteral("文中匹配"), Frame4), "CInPlace");
    CInPlace->setGeometry(Twips::toPixels(120, 720, 4455, 255));
    CSentenceEnd = named(new OptionBox(QStringLiteral("句末插入"), Frame4), "CSentenceEnd");
    CSentenceEnd->setGeometry(Twips::toPixels(4680, 720, 3255, 255));
    auto *countLabel = named(new QLabel(QStringLiteral("链接数量："), Frame4), "Label7");
    countLabel->setGeometry(Twips::toPixels(120, 1080, 1095, 255));
    LinkCount = named(new QSpinBox(Frame4), "LinkCount");
    LinkCount->setRange(1, Options::MaxLinkCount);
    LinkCount->setValue(Options::DefaultLinkCount);
    LinkCount->setGeometry(Twips::toPixels(1215, 1035, 855, 315));
    countLabel->setBuddy(LinkCount);

    // The explanations are the options' tips, which leaves the page's lower half to the counts.
    const QString formatTip =
        tip(QStringLiteral("HTML 用于网页；UBB 用于论坛，链接写成 ") + whole(u"[url=链接]关键字[/url]") +
            QStringLiteral("；Markdown 写成 ") + whole(u"[关键字](链接)") + QStringLiteral("。UBB 和 Markdown 没有") +
            whole(u"“新窗口打开”") + QStringLiteral("，勾选了也") + whole(u"不起作用。"));
    for (QWidget *w : {static_cast<QWidget *>(Frame3), static_cast<QWidget *>(Option1), static_cast<QWidget *>(Option2),
                       static_cast<QWidget *>(Option3)})
        w->setToolTip(formatTip);
    CAvoid->setToolTip(
        tip(QStringLiteral("按所选的格式读整篇文章，链接只插在正文文字里，不进标签、代码、标题、已有的链接和图片，"
                           "不在表格的格子之间，也不拆开英文单词、数字和网址；插入点不合适时移到后面最近的") +
            whole(u"合适位置") + QStringLiteral("，后面没有时移到") + whole(u"前面。")));
    CRotate->setToolTip(tip(QStringLiteral("列表里的每个关键字都用过一次以后，才开始新的一轮，链接相同的关键字算一个；"
                                           "新的一轮先用下面链接次数最少的。增删或导入关键字后") +
                            whole(u"重新开始。")));
    CInPlace->setToolTip(
        tip(QStringLiteral("文章里已有列表中的关键字时，把链接加在这些字上，不另插关键字；不够时其余的照常") +
            whole(u"插入。")));
    CSentenceEnd->setToolTip(tip(QStringLiteral("插入的链接放在最近的逗号、句号等标点后或段落") + whole(u"末尾。")));
    const QString countTip = tip(QStringLiteral("每次生成插入几个链接。"));
    countLabel->setToolTip(countTip);
    LinkCount->setToolTip(countTip);

    // How many links each keyword and link have had, from 生成 and from batches.
    auto *ledgerLabel = named(new QLabel(QStringLiteral("链接次数：")), "Label8");
    m_page2->place(ledgerLabel, 120, 2790, 1095, 255);
    LedgerNote = named(new QLabel, "LedgerNote");
    LedgerNote->setTextFormat(Qt::PlainText);
    m_page2->place(LedgerNote, 1215, 2790, 6960, 255);
    Ledger = named(new QTableView, "Ledger");
    m_page2->place(Ledger, 120, 3060, 6735, 2820);
    Ledger->setModel(&m_ledgerModel);
    Ledger->setItemDelegate(new PlainTextTips(Ledger));
    Ledger->setToolTip(tip(QStringLiteral("每组关键字和链接插入文章的次数，生成和批量处理都计入，最多的在前。")));
    Ledger->verticalHeader()->hide();
    Ledger->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Ledger->verticalHeader()->setDefaultSectionSize(Ledger->fontMetrics().height() + 4);
    QHeaderView *header = Ledger->horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionResizeMode(LedgerModel::ColumnLink, QHeaderView::Stretch);
    header->resizeSection(LedgerModel::ColumnKeyWord, Twips::toPixels(1950));
    header->resizeSection(LedgerModel::ColumnCount, Twips::toPixels(900));
    Ledger->setSelectionBehavior(QAbstractItemView::SelectRows);
    Ledger->setSelectionMode(QAbstractItemView::SingleSelection);
    Ledger->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Ledger->setShowGrid(false);
    Ledger->setWordWrap(false);
    BatchButton = named(new QPushButton(QStringLiteral("批量处理…")), "BatchButton");
    BatchButton->setToolTip(tip(QStringLiteral("用这里和关键字列表的设置，一次给整个文件夹的文章加链接。")));
    m_page2->place(BatchButton, 6960, 3060, 1215, 375);
    LedgerExport = named(new QPushButton(QStringLiteral("导出")), "LedgerExport");
    LedgerExport->setToolTip(tip(QStringLiteral("把链接次数存为表格文件（CSV）。")));
    m_page2->place(LedgerExport, 6960, 5040, 1215, 375);
    LedgerClear = named(new QPushButton(QStringLiteral("清零")), "LedgerClear");
    LedgerClear->setToolTip(tip(QStringLiteral("清空全部链接次数。")));
    m_page2->place(LedgerClear, 6960, 5505, 1215, 375);
    connect(LedgerExport, &QPushButton::clicked, this, &Form1::LedgerExport_Click);
    connect(LedgerClear, &QPushButton::clicked, this, &Form1::LedgerClear_Click);
    connect(BatchButton, &QPushButton::clicked, this, &Form1::BatchButton_Click);

    // The format is fixed in the mark-up when links are drawn, so a change draws them again; so does
    // switching the rotation, which starts a fresh cycle, or 文中匹配, which the preview tells of, and
    // a new number of links.
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(Option1), static_cast<QAbstractButton *>(Option2),
                               static_cast<QAbstractButton *>(Option3), static_cast<QAbstractButton *>(CRotate),
                               static_cast<QAbstractButton *>(CInPlace)})
        connect(b, &QAbstractButton::clicked, this, &Form1::Label5_Click);
    connect(LinkCount, &QSpinBox::valueChanged, this, &Form1::Label5_Click);
}

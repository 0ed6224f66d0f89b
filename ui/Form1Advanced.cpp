// The third page: link format and insertion options, and how the window shows what a generate did.
#include "ArticleEditor.h"
#include "Controls.h"
#include "Form1.h"
#include "Twips.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

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

    Label6 = named(new QLabel, "Label6");
    Label6->setTextFormat(Qt::PlainText);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Chinese wraps between any two characters: the mark-up examples and the end of each paragraph
    // are held together, so that no example is split and no line holds a lone character.
    Label6->setText(QStringLiteral("链接格式：HTML 用于网页；UBB 用于论坛，链接写成 ") +
                    whole(u"[url=链接]关键字[/url]") + QStringLiteral("；Markdown 写成 ") + whole(u"[关键字](链接)") +
                    QStringLiteral("。UBB 和 Markdown 没有") + whole(u"“新窗口打开”") + QStringLiteral("，勾选了也") +
                    whole(u"不起作用。") +
                    QStringLiteral("\n\n避开标签：按所选的格式读整篇文章，链接只插在正文文字里，不进标签、代码、标题、"
                                   "已有的链接和图片，不在表格的格子之间，也不拆开英文单词、数字和网址；插入点不合适时"
                                   "移到后面最近的") +
                    whole(u"合适位置") + QStringLiteral("，后面没有时移到") + whole(u"前面。") +
                    QStringLiteral("\n\n轮换关键字：列表里的每个关键字都用过一次以后，才开始新的一轮，链接相同的"
                                   "关键字算一个；增删或导入关键字后") +
                    whole(u"重新开始。") +
                    QStringLiteral("\n\n文中匹配：文章里已有列表中的关键字时，把链接加在这些字上，不另插关键字；"
                                   "不够时其余的照常插入。句末插入：插入的链接放在最近的逗号、句号等标点后或段落") +
                    whole(u"末尾。"));
    m_page2->place(Label6, 120, 2760, 8055, 2955);

    // The format is fixed in the mark-up when links are drawn, so a change draws them again; so does
    // switching the rotation, which starts a fresh cycle, or 文中匹配, which the preview tells of, and
    // a new number of links.
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(Option1), static_cast<QAbstractButton *>(Option2),
                               static_cast<QAbstractButton *>(Option3), static_cast<QAbstractButton *>(CRotate),
                               static_cast<QAbstractButton *>(CInPlace)})
        connect(b, &QAbstractButton::clicked, this, &Form1::Label5_Click);
    connect(LinkCount, &QSpinBox::valueChanged, this, &Form1::Label5_Click);
}

// The main window's controls: kinds, containers, texts, positions (twips) and tab order.
#include "ArticleEditor.h"
#include "Controls.h"
#include "Form1.h"
#include "Notice.h"
#include "Twips.h"
#include "VelomarConfig.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

namespace {
constexpr int ClientWidth = 8370;
constexpr int ClientHeight = 6120;
constexpr qint16 NoticeRestingTop = 2760;

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void setTwipsGeometry(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Twips::toPixels(left, top, width, height));
}
} // namespace

QString Form1::DefaultLink()
{
    return QStringLiteral("http://") + QLatin1String(Velomar::Config::PublisherHost);
}

QString Form1::UsageText()
{
    const QStringList lines = {
        QStringLiteral("Velomar使用技巧："),
        QString(),
        QStringLiteral("1、双击可清空这里面的内容。"),
        QStringLiteral("2、粘贴找到的文章，设置好要生成的样式，点击生成即可以插入关键字。"),
        QStringLiteral("3、关键字预览，点击关键字可随机更换下一批关键字。"),
        QStringLiteral("4、本工具也可做为原创文章的编辑框。"),
        QString(),
        QStringLiteral("注意事项：1、关键字设置不能低于2个。"),
        QStringLiteral("          2、文章汉字数不能少于80个。"),
        QString(),
        QStringLiteral("有好的建意可发邮件至") + QLatin1String(Velomar::Config::ContactEmail) +
            QStringLiteral("将做为改进软件的参。"),
        QString(),
    };
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void Form1::buildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velomar"));
    setWindowIcon(QIcon(QStringLiteral(":/velomar/velomar.png")));
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));

    SSTab1 = named(new QTabWidget(this), "SSTab1");
    setTwipsGeometry(SSTab1, 0, 0, 8325, 6015);
    // A low tab bar, so that the pages start above the topmost controls' tops.
    SSTab1->setStyleSheet(QStringLiteral(
        "QTabWidget::pane { border: 1px solid #a8a8a8; top: -1px; }"
        "QTabBar::tab { height: 18px; padding: 0 12px; margin-right: 2px; border: 1px solid #a8a8a8;"
        " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e2e2e2; }"
        "QTabBar::tab:selected { background: palette(window); }"));
    m_page0 = new TabPage(SSTab1);
    m_page1 = new TabPage(SSTab1);
    SSTab1->addTab(m_page0, QStringLiteral("关键字插入"));
    SSTab1->addTab(m_page1, QStringLiteral("关键字设置"));
    for (QWidget *w : {static_cast<QWidget *>(SSTab1), static_cast<QWidget *>(m_page0), static_cast<QWidget *>(m_page1),
                       static_cast<QWidget *>(SSTab1->tabBar())}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }

    // Page 0: keyword insertion.
    Frame1 = named(new QGroupBox(QStringLiteral("关键字预览：")), "Frame1");
    m_page0->place(Frame1, 120, 360, 4815, 735);
    Label5 = named(new ClickLabel(Frame1), "Label5");
    setTwipsGeometry(Label5, 120, 315, 4575, 255);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setToolTip(QStringLiteral("点击更换关键字"));
    Label5->setCursor(Qt::PointingHandCursor);

    Frame2 = named(new QGroupBox(QStringLiteral("参数设置：")), "Frame2");
    m_page0->place(Frame2, 5040, 360, 3135, 735);
    Cnew = named(new OptionBox(QStringLiteral("新窗口打开"), Frame2), "Cnew");
    setTwipsGeometry(Cnew, 120, 360, 1215, 255);
    CB = named(new OptionBox(QStringLiteral("粗体"), Frame2), "CB");
    setTwipsGeometry(CB, 1440, 360, 735, 255);
    CI = named(new OptionBox(QStringLiteral("斜体"), Frame2), "CI");
    setTwipsGeometry(CI, 2280, 360, 735, 255);

    Text1 = named(new ArticleEditor, "Text1");
    m_page0->place(Text1, 120, 1200, 8055, 4275);
    Command1 = named(new QPushButton(QStringLiteral("生成")), "Command1");
    m_page0->place(Command1, 120, 5600, 975, 375);
    CCopy = named(new OptionBox(QStringLiteral("生成后复制到剪切板")), "CCopy");
    m_page0->place(CCopy, 1320, 5640, 1935, 255);
    Label1 = named(new ClickLabel, "Label1");
    Label1->setText(QStringLiteral("获取推广软件：QQ") + QLatin1String(Velomar::Config::ContactNumber));
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setMouseTracking(true);
    m_page0->place(Label1, 5760, 5760, 2415, 255);

    // Page 1: keyword settings.
    ListView1 = named(new KeywordListView, "ListView1");
    m_page1->place(ListView1, 120, 420, 8055, 4455);
    ListView1->setModel(&m_table);
    ListView1->setItemDelegate(new PlainTextTips(ListView1));
    ListView1->verticalHeader()->hide();
    // Fixed row heights keep the list instant with a hundred thousand records.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
    ListView1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setShowGrid(false);
    ListView1->setWordWrap(false);
    ListView1->installEventFilter(this);

    Label2 = named(new QLabel(QStringLiteral("关键字：")), "Label2");
    m_page1->place(Label2, 120, 5100, 735, 255);
    // A "|" would split the record when the list is read back: in a keyword it becomes the
    // full-width bar, in a link its percent escape, the form an address is to carry it in.
    Twords = named(new EntryBox(QStringLiteral("关键字"), 10, QStringLiteral("｜")), "Twords");
    m_page1->place(Twords, 840, 4980, 4695, 375);
    Label3 = named(new QLabel(QStringLiteral("链接：")), "Label3");
    m_page1->place(Label3, 120, 5580, 615, 255);
    Tlink = named(new EntryBox(DefaultLink(), 100, QStringLiteral("%7C")), "Tlink");
    m_page1->place(Tlink, 840, 5460, 4695, 375);
    for (QLineEdit *box : {Twords, Tlink})
        box->installEventFilter(this);
    Del = named(new QPushButton(QStringLiteral("删除")), "Del");
    m_page1->place(Del, 5760, 4980, 1095, 375);
    Command2 = named(new QPushButton(QStringLiteral("填加")), "Command2");
    m_page1->place(Command2, 5760, 5460, 1095, 375);
    Command3 = named(new QPushButton(QStringLiteral("导入")), "Command3");
    m_page1->place(Command3, 6960, 4980, 1095, 375);
    Command4 = named(new QPushButton(QStringLiteral("导出")), "Command4");
    m_page1->place(Command4, 6960, 5460, 1095, 375);

    buildAdvancedPage();

    // The notice floats above the pages, over the editor area.
    P1 = named(new QWidget(this), "P1");
    setTwipsGeometry(P1, 3360, NoticeRestingTop, 1815, 735);
    P1->setAttribute(Qt::WA_TransparentForMouseEvents);
    P1->hide();
    Label4 = named(new QLabel(QStringLiteral("保存成功！"), P1), "Label4");
    setTwipsGeometry(Label4, 0, 120, 1815, 375);
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setTextFormat(Qt::PlainText);
    QFont noticeFont;
    noticeFont.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                            QStringLiteral("WenQuanYi Zen Hei")});
    noticeFont.setPointSizeF(15.75);
    noticeFont.setBold(true);
    Label4->setFont(noticeFont);
    QPalette red = Label4->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    Label4->setPalette(red);
    Label4->hide();
    m_notice = new Notice(P1, Label4, NoticeRestingTop, this);

    for (QLabel *label : {static_cast<QLabel *>(Label5), static_cast<QLabel *>(Label1), Label2, Label3})
        label->setTextFormat(Qt::PlainText);
    setTabOrder();
}

void Form1::setTabOrder()
{
    // Hidden controls of the other page are skipped by the focus chain, so Tab stays on its page.
    const QList<QWidget *> chain = {SSTab1,    Text1,    Command1,    ListView1,    Twords,     Tlink,    Command2,
                                    Command3,  Command4, Del,         CI,           CB,         CCopy,    Cnew,
                                    Option1,   Option2,  Option3,     CAvoid,       CRotate,    CInPlace, CSentenceEnd,
                                    LinkCount, Ledger,   BatchButton, LedgerExport, LedgerClear};
    for (qsizetype i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i), chain.at(i + 1));
}

#pragma once

#include "KeywordTable.h"
#include "LedgerModel.h"
#include "LinkInserter.h"
#include "LinkLedger.h"
#include "Options.h"
#include "ProgramFiles.h"
#include "RandomSource.h"
#include "Settings.h"
#include "StoredFile.h"
#include "Subscription.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ArticleEditor;
class BatchDialog;
class ClickLabel;
class EntryBox;
class Inet;
class Notice;
class OptionBox;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class TabPage;

// The main window: the article editor and the generate button on the first page, the keyword
// list with its entry boxes on the second, the link format and the insertion options on the third.
// It owns the run-time state of the program.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // Asked at start-up whether a newer version has been announced; true ends the program.
    using VersionCheck = std::function<bool(Form1 &window)>;

    explicit Form1(const ProgramFiles &files, VersionCheck versionCheck = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up before the window is shown. False when the program is to end at once.
    bool Form_Load();
    // Shut-down: writes the keyword list, then the options. Closing the window runs it, and so
    // does the end of the session, unattended: a message then goes to stderr, not into a box.
    // Running it again writes the same files again.
    void Form_Unload(bool unattended = false);

    KeywordTable &table() { return m_table; }
    LinkInserter &engine() { return *m_engine; }
    // The options as the controls show them; a grayed box counts as off.
    Options options() const;
    Notice &notice() { return *m_notice; }
    QWidget *subscriptionDialog() const { return m_fmail; }
    // The mailing-list service the subscription dialog talks to; the build's own by default.
    void setSubscriptionService(const Subscription::Service &service) { m_subscriptionService = service; }

    // The start-up version check against the publisher's site; shows the notice and answers
    // true when a newer version is announced.
    static bool checkV(Form1 &window);
    bool checkVersionAt(const QString &publisherHost);

    static QString UsageText();
    static QString DefaultLink();

    // Handlers, named after their control and event.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Del_Click();
    void Label1_Click();
    void Label5_Click();
    void Text1_Change();
    void LedgerClear_Click();
    void LedgerExport_Click();
    void BatchButton_Click();

    // Counts links in the ledger file (read, added to, written back at once, since velomar-batch
    // may write it too) and shows the counts. A failed write is noted on the page, never in a box:
    // the links are in the article all the same.
    void countLinks(const QList<LinkLedger::Entry> &links);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildAdvancedPage();
    void setTabOrder();
    void releaseSubscriptionDialog();
    // The stored files: the keyword list and the options.
    void JiaTXT(const QString &path);
    void SaveTXT();
    StoredOptions storedOptions() const;
    void LoadSet();
    void SaveSet();
    void setLabel1Colour(const QColor &colour);
    // The ledger as its file holds it now, shown on the page; a damaged file is noted once.
    void loadLedger();
    void showLedger(const LinkLedger &ledger);

    ProgramFiles m_files;
    QString m_unreadableList; // the list file that existed at start-up but could not be read
    StoredFile::Encoding m_listEncoding = StoredFile::Encoding::Gbk; // the list is written back as it was read
    VersionCheck m_versionCheck;
    KeywordTable m_table;
    ClockStirredRandom m_random;
    std::optional<LinkInserter> m_engine; // made once the controls it works exist

    QTabWidget *SSTab1 = nullptr;
    TabPage *m_page0 = nullptr;
    TabPage *m_page1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    ClickLabel *Label5 = nullptr;
    QGroupBox *Frame2 = nullptr;
    OptionBox *Cnew = nullptr;
    OptionBox *CB = nullptr;
    OptionBox *CI = nullptr;
    ArticleEditor *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
    OptionBox *CCopy = nullptr;
    ClickLabel *Label1 = nullptr;
    QTableView *ListView1 = nullptr;
    QLabel *Label2 = nullptr;
    EntryBox *Twords = nullptr;
    QLabel *Label3 = nullptr;
    EntryBox *Tlink = nullptr;
    QPushButton *Del = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    TabPage *m_page2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QRadioButton *Option1 = nullptr;       // HTML
    QRadioButton *Option2 = nullptr;       // UBB
    QRadioButton *Option3 = nullptr;       // Markdown
    QButtonGroup *m_formatGroup = nullptr; // ids are the stored link format numbers
    QGroupBox *Frame4 = nullptr;
    OptionBox *CAvoid = nullptr;
    OptionBox *CRotate = nullptr;
    OptionBox *CInPlace = nullptr;
    OptionBox *CSentenceEnd = nullptr;
    QSpinBox *LinkCount = nullptr;
    QTableView *Ledger = nullptr;
    QLabel *LedgerNote = nullptr;
    QPushButton *LedgerExport = nullptr;
    QPushButton *LedgerClear = nullptr;
    QPushButton *BatchButton = nullptr;
    QString m_ledgerPath;
    LinkLedger m_ledger; // the counts the rotation starts its cycles by
    LedgerModel m_ledgerModel;
    QWidget *P1 = nullptr;
    QLabel *Label4 = nullptr;
    Notice *m_notice = nullptr;
    Inet *Inet1 = nullptr;
    Subscription::Service m_subscriptionService = Subscription::Service::configured();
    QPointer<QWidget> m_fmail;
    QPointer<BatchDialog> m_batch;
};

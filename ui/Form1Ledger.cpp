// The main window's link counts: the ledger file, its table on the 高级设置 page, the batch.
#include "BatchDialog.h"
#include "Form1.h"
#include "Messages.h"
#include "Qirvan.h"
#include "StoredFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace {
const QString UnsavedNote = QStringLiteral("链接次数未能保存：");
} // namespace

void Form1::showLedger(const LinkLedger &ledger)
{
    m_ledger = ledger;
    m_ledgerModel.show(m_ledger);
    if (m_ledger.setAside().isEmpty())
        return;
    // Once: the next read finds no damaged file.
    const QString note = QStringLiteral("链接次数的文件已损坏，已改名为 %1 保留，从零重新计数。")
                             .arg(QDir::toNativeSeparators(m_ledger.setAside()));
    LedgerNote->setText(LedgerNote->fontMetrics().elidedText(note, Qt::ElideMiddle, LedgerNote->width()));
    LedgerNote->setToolTip(QStringLiteral("<p>") + note.toHtmlEscaped() + QStringLiteral("</p>"));
}

void Form1::loadLedger()
{
    showLedger(LinkLedger::load(m_ledgerPath));
}

void Form1::countLinks(const QList<LinkLedger::Entry> &links)
{
    if (links.isEmpty())
        return;
    LinkLedger ledger = LinkLedger::load(m_ledgerPath);
    for (const LinkLedger::Entry &link : links)
        ledger.add(link.keyWord, link.link, link.count);
    // A file that could neither be read nor set aside is left as it is, whatever it holds.
    const QFileInfo file(m_ledgerPath);
    const bool unread = file.isFile() && !file.isReadable();
    QString whyNot = unread ? QStringLiteral("文件无法读取") : QStringLiteral("没有用户数据文件夹");
    if (!unread && !m_ledgerPath.isEmpty() && ledger.save(m_ledgerPath, &whyNot)) {
        if (LedgerNote->text().startsWith(UnsavedNote)) {
            LedgerNote->clear();
            LedgerNote->setToolTip(QString());
        }
    } else {
        const QString note = UnsavedNote + whyNot;
        LedgerNote->setText(LedgerNote->fontMetrics().elidedText(note, Qt::ElideRight, LedgerNote->width()));
        LedgerNote->setToolTip(QStringLiteral("<p>") + note.toHtmlEscaped() + QStringLiteral("</p>"));
    }
    showLedger(ledger);
}

void Form1::LedgerClear_Click()
{
    if (Messages::Ask(this, QStringLiteral("把全部链接次数清零吗？"),
                      {QStringLiteral("清零"), QStringLiteral("取消")}) != 0)
        return;
    QString whyNot;
    if (!LinkLedger().save(m_ledgerPath, &whyNot))
        Messages::Show(this, QMessageBox::Information, QStringLiteral("链接次数无法清零：%1。").arg(whyNot));
    loadLedger();
}

void Form1::LedgerExport_Click()
{
    loadLedger(); // with what velomar-batch may have added
    const QString path =
        Qirvan::FileDialog(QStringLiteral("导出链接次数"), this, QStringLiteral("CSV 表格|*.csv|"), false);
    QString whyNot;
    if (!path.isEmpty() && !StoredFile::write(path, m_ledger.csv(), &whyNot))
        Messages::Show(
            this, QMessageBox::Information,
            QStringLiteral("链接次数无法导出到：\r\n%1\r\n%2。").arg(QDir::toNativeSeparators(path), whyNot));
}

void Form1::BatchButton_Click()
{
    if (!m_batch) {
        m_batch = new BatchDialog({[this] { return options(); }, [this] { return m_table.records(); },
                                   [this] {
                                       loadLedger();
                                       return m_ledger;
                                   },
                                   [this](const QList<LinkLedger::Entry> &links) { countLinks(links); }},
                                  this);
    }
    m_batch->show();
    m_batch->raise();
    m_batch->activateWindow();
}

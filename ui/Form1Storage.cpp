// The main window's stored files: the keyword list and the options.
#include "Controls.h"
#include "Form1.h"
#include "KeywordFile.h"
#include "Messages.h"
#include "ProgramFiles.h"
#include "Qirvan.h"
#include "ReadingChoice.h"
#include "Settings.h"

#include <QButtonGroup>
#include <QDir>
#include <QSpinBox>

namespace {
const QString FileDialogTitle = QStringLiteral("请选择您的文件");
const QString FileDialogFilter = QStringLiteral("文本文件|*.txt|");
// Lists saved by other programs may have any name.
const QString ImportFilter = FileDialogFilter + QStringLiteral("所有文件|*|");

} // namespace

void Form1::JiaTXT(const QString &path)
{
    if (::JiaTXT(m_table, path, &m_listEncoding) == ListRead::Unreadable)
        m_unreadableList = path;
}

// A list that could not be read is never replaced. When the list cannot be written where it
// belongs, it goes to the program's stand-in folder, and the user is told where and that it is read
// from there next time: the window closes all the same, and nothing of the session is lost.
void Form1::SaveTXT()
{
    if (!m_unreadableList.isEmpty() && m_table.count() == 0)
        return; // nothing of this session to keep, and an empty list would hide the unread one
    const SavedFile saved = m_files.save(
        DataFileName, [&](const QString &p) { return p != m_unreadableList && ::SaveTXT(m_table, p, m_listEncoding); });
    if (saved.failed.isEmpty())
        return;
    QStringList failed;
    for (const QString &place : saved.failed)
        failed.append(QDir::toNativeSeparators(place));
    Messages::Show(
        this, QMessageBox::Information,
        saved.path.isEmpty()
            ? QStringLiteral("关键字列表无法保存，以下位置都无法写入：\r\n%1").arg(failed.join(u"\r\n"))
            : QStringLiteral("关键字列表无法保存到：\r\n%1\r\n已改为保存到：\r\n%2\r\n下次启动时从这里读取。")
                  .arg(failed.join(u"\r\n"), QDir::toNativeSeparators(saved.path)));
}

Options Form1::options() const
{
    Options options;
    options.bold = CB->isOn();
    options.italic = CI->isOn();
    options.newWindow = Cnew->isOn();
    options.copyAfterGenerate = CCopy->isOn();
    options.format = LinkFormat(m_formatGroup->checkedId());
    options.avoidMarkup = CAvoid->isOn();
    options.rotateKeywords = CRotate->isOn();
    options.inPlace = CInPlace->isOn();
    options.sentenceEnd = CSentenceEnd->isOn();
    options.linkCount = LinkCount->value();
    return options;
}

StoredOptions Form1::storedOptions() const
{
    return {options(), CB->isGrayed(), CI->isGrayed(), Cnew->isGrayed(), CCopy->isGrayed()};
}

// The controls show what the file gives; a change to what the links look like, to their number, to
// the rotation or to 文中匹配 draws the pending links again, as a click on the control would.
void Form1::LoadSet()
{
    StoredOptions stored = storedOptions();
    ::LoadSet(stored, m_files.readPath(SettingFileName));
    const Options &o = stored.options;
    Options before = options();
    before.copyAfterGenerate = o.copyAfterGenerate;
    before.avoidMarkup = o.avoidMarkup;
    before.sentenceEnd = o.sentenceEnd;
    CB->setOption(o.bold, stored.boldGrayed);
    CI->setOption(o.italic, stored.italicGrayed);
    Cnew->setOption(o.newWindow, stored.newWindowGrayed);
    CCopy->setOption(o.copyAfterGenerate, stored.copyGrayed);
    m_formatGroup->button(int(o.format))->setChecked(true);
    CAvoid->setOption(o.avoidMarkup);
    CRotate->setOption(o.rotateKeywords);
    CInPlace->setOption(o.inPlace);
    CSentenceEnd->setOption(o.sentenceEnd);
    const QSignalBlocker quiet(LinkCount); // one draw for all the changes, below
    LinkCount->setValue(o.linkCount);
    if (before != o)
        Label5_Click();
}

void Form1::SaveSet()
{
    const StoredOptions stored = storedOptions();
    m_files.save(SettingFileName, [&](const QString &path) { return ::SaveSet(stored, path); });
}

void Form1::Command3_Click()
{
    ImportKeywords(
        m_table, [this] { return Qirvan::FileDialog(FileDialogTitle, this, ImportFilter, true); },
        [this](const QList<StoredFile::Encoding> &encodings, const QList<QList<KeywordTable::Record>> &readings) {
            return AskWhichReading(this, encodings, readings);
        });
}

void Form1::Command4_Click()
{
    QString path;
    const QString whyNot = ExportKeywords(
        m_table, [&] { return path = Qirvan::FileDialog(FileDialogTitle, this, FileDialogFilter, false); });
    if (!whyNot.isEmpty())
        Messages::Show(
            this, QMessageBox::Information,
            QStringLiteral("关键字列表无法导出到：\r\n%1\r\n%2。").arg(QDir::toNativeSeparators(path), whyNot));
}

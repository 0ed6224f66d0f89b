#include "ReadingChoice.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int PreviewRecords = 5;

QString encodingName(StoredFile::Encoding encoding)
{
    switch (encoding) {
    case StoredFile::Encoding::Gbk:
        return QStringLiteral("GBK（简体中文 Windows 的文本）");
    case StoredFile::Encoding::Utf8:
    case StoredFile::Encoding::Utf8Bom:
        return QStringLiteral("UTF-8");
    case StoredFile::Encoding::Utf16Le:
    case StoredFile::Encoding::Utf16Be:
        break;
    }
    return QStringLiteral("UTF-16");
}

QString preview(const QList<KeywordTable::Record> &records)
{
    QStringList lines;
    for (qsizetype i = 0; i < records.size() && i < PreviewRecords; ++i)
        lines << KeywordTable::shown(records[i].keyWord) + QStringLiteral(" | ") + KeywordTable::shown(records[i].link);
    if (records.size() > PreviewRecords)
        lines << QStringLiteral("……（共%1条）").arg(records.size());
    return lines.join(u'\n');
}
} // namespace

int AskWhichReading(QWidget *parent, const QList<StoredFile::Encoding> &encodings,
                    const QList<QList<KeywordTable::Record>> &readings)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ReadingChoice"));
    dialog.setWindowTitle(QStringLiteral("提示"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *question = new QLabel(QStringLiteral("这个文件可以按两种编码读取，请选择关键字显示正确的一种："));
    layout->addWidget(question);
    auto *group = new QButtonGroup(&dialog);
    for (qsizetype i = 0; i < readings.size(); ++i) {
        auto *choice = new QRadioButton(encodingName(encodings.value(i)));
        choice->setChecked(i == 0);
        group->addButton(choice, int(i));
        auto *records = new QLabel(preview(readings[i]));
        records->setTextFormat(Qt::PlainText); // the file's own text, never mark-up
        records->setIndent(24);
        layout->addWidget(choice);
        layout->addWidget(records);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted ? group->checkedId() : -1;
}

#include "Qirvan.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QStringList>
#include <QTreeView>
#include <QWidget>

namespace Qirvan {

QString QtFilter(const QString &pipeFilter)
{
    QStringList parts = pipeFilter.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {
// The file list's size, type and date columns in Chinese, as the rest of the dialog is, whatever
// language the system is set to: Qt formats them in the system's language and has no Chinese name
// for a folder.
class ChineseFileColumns final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        auto *files = qobject_cast<QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const bool folder = files->isDir(source);
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        switch (index.column()) {
        case 1:
            return folder ? QString() : size(files->size(source));
        case 2:
            return folder ? QStringLiteral("文件夹") : QIdentityProxyModel::data(index, role);
        default:
            return chinese.toString(files->lastModified(source), QStringLiteral("yyyy/M/d H:mm"));
        }
    }
    static QString size(qint64 bytes)
    {
        if (bytes < 1024)
            return QStringLiteral("%1 字节").arg(bytes);
        double value = bytes / 1024.0;
        int unit = 0;
        for (; value >= 1024 && unit < 2; ++unit)
            value /= 1024;
        const char *units[] = {"KB", "MB", "GB"};
        return QString::number(value, 'f', value < 10 ? 1 : 0) + u' ' + QLatin1String(units[unit]);
    }
};

// Qt's own dialog everywhere, so that it is Chinese and looks the same on every desktop.
void makeChinese(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    if (auto *list = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        const QFontMetrics metrics(list->font());
        const int pad = 3 * metrics.averageCharWidth();
        list->header()->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("1023.9 KB")) + pad);
        list->header()->resizeSection(2, metrics.horizontalAdvance(QStringLiteral("纯文本文档")) + pad);
        list->header()->resizeSection(3, metrics.horizontalAdvance(QStringLiteral("2026/12/31 23:59")) + pad);
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch); // the name takes what is left
    }
}
} // namespace

QString FileDialog(const QString &title, QWidget *owner, const QString &pipeFilter, bool open)
{
    QFileDialog dialog(owner, title, QString(), QtFilter(pipeFilter));
    makeChinese(dialog);
    if (open) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // A name typed without an ending gets the first type's, so that the file shows in the open
        // dialog's list again; the overwrite question then asks about the file really written.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QString first = pipeFilter.section(u'|', 1, 1).section(u';', 0, 0);
        if (first.startsWith(QStringLiteral("*.")) && first.indexOf(u'*', 1) < 0)
            dialog.setDefaultSuffix(first.sliced(2));
    }
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst()
                                                                                   : QString();
}

QStringList FilesDialog(const QString &title, QWidget *owner, const QString &pipeFilter)
{
    QFileDialog dialog(owner, title, QString(), QtFilter(pipeFilter));
    makeChinese(dialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString FolderDialog(const QString &title, QWidget *owner)
{
    QFileDialog dialog(owner, title);
    makeChinese(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst()
                                                                                   : QString();
}

void SetWindowFlag(QWidget *window, bool flag)
{
    // Not on top of every window: that would also cover the owner's own message boxes and file
    // dialogs, and every other program.
    if (window)
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | (flag ? Qt::Dialog : Qt::Window));
}

} // namespace Qirvan

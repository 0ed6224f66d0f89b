#include "Qirvan.h"

#include <QFileDialog>
#include <QStringList>
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

QString FileDialog(const QString &title, QWidget *owner, const QString &pipeFilter, bool open)
{
    const QString filter = QtFilter(pipeFilter);
    if (open)
        return QFileDialog::getOpenFileName(owner, title, QString(), filter);
    // A name typed without an ending gets the first type's, so that the file shows in the open
    // dialog's list again; the overwrite question then asks about the file really written.
    QFileDialog dialog(owner, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString first = pipeFilter.section(u'|', 1, 1).section(u';', 0, 0);
    if (first.startsWith(QStringLiteral("*.")) && first.indexOf(u'*', 1) < 0)
        dialog.setDefaultSuffix(first.sliced(2));
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

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
    return open ? QFileDialog::getOpenFileName(owner, title, QString(), filter)
                : QFileDialog::getSaveFileName(owner, title, QString(), filter);
}

void SetWindowFlag(QWidget *window, bool flag)
{
    // Not on top of every window: that would also cover the owner's own message boxes and file
    // dialogs, and every other program.
    if (window)
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | (flag ? Qt::Dialog : Qt::Window));
}

} // namespace Qirvan

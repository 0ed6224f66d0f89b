#include "Messages.h"

#include <cstdio>

namespace Messages {
namespace {
Hook &hook()
{
    static Hook h;
    return h;
}
int unattended = 0; // how many Unattended live
} // namespace

Unattended::Unattended(bool active) : m_active(active)
{
    unattended += m_active;
}

Unattended::~Unattended()
{
    unattended -= m_active;
}

void SetHook(Hook h)
{
    hook() = std::move(h);
}

void Show(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    const QString caption = QStringLiteral("提示");
    // A lone carriage return separates lines in some of the program's texts; a label and a
    // terminal only break lines at line feeds.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (unattended) {
        std::fputs(QString(caption + QStringLiteral(": ") + shown + u'\n').toLocal8Bit().constData(), stderr);
        return;
    }
    if (hook()) {
        hook()(icon, caption, text);
        return;
    }
    QMessageBox box(icon, caption, QString(), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.exec();
}
} // namespace Messages

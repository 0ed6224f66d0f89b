#include "Messages.h"

namespace Messages {
namespace {
Hook &hook()
{
    static Hook h;
    return h;
}
} // namespace

void SetHook(Hook h)
{
    hook() = std::move(h);
}

void Show(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    const QString caption = QStringLiteral("提示");
    if (hook()) {
        hook()(icon, caption, text);
        return;
    }
    QMessageBox box(icon, caption, QString(), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // A lone carriage return separates lines in some of the program's texts; a label only
    // breaks lines at line feeds.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.exec();
}
} // namespace Messages

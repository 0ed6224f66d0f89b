#include "Messages.h"

#include <QPushButton>

#include <cstdio>

namespace Messages {
namespace {
Hook &hook()
{
    static Hook h;
    return h;
}
AnswerHook &answerHook()
{
    static AnswerHook h;
    return h;
}
int unattended = 0; // how many Unattended live

// A lone carriage return separates lines in some of the program's texts; a label and a terminal
// only break lines at line feeds.
QString lineFeeds(const QString &text)
{
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
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
    const QString shown = lineFeeds(text);
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
void SetAnswerHook(AnswerHook h)
{
    answerHook() = std::move(h);
}

int Ask(QWidget *parent, const QString &text, const QStringList &buttons)
{
    if (unattended)
        return -1;
    if (answerHook())
        return answerHook()(text, buttons);
    QMessageBox box(QMessageBox::Question, QStringLiteral("提示"), QString(), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(lineFeeds(text));
    QList<QAbstractButton *> pressable;
    for (const QString &label : buttons)
        pressable.append(box.addButton(label, pressable.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    if (!pressable.isEmpty()) {
        box.setDefaultButton(static_cast<QPushButton *>(pressable.constFirst()));
        box.setEscapeButton(pressable.constLast());
    }
    box.exec();
    return int(pressable.indexOf(box.clickedButton()));
}
} // namespace Messages

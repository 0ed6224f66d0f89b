#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Every message the program shows: modal, caption "提示", one OK button. Tests answer the boxes
// through the hook instead of a person.
namespace Messages {
using Hook = std::function<void(QMessageBox::Icon icon, const QString &caption, const QString &text)>;

void Show(QWidget *parent, QMessageBox::Icon icon, const QString &text);
// While a hook is set, Show() hands the box to it and returns at once.
void SetHook(Hook hook);

// A question with the buttons given, the first the default and the last the one Escape and the
// close button press: the index of the one pressed, or -1 when there is nobody to ask (unattended).
// Tests answer through the hook instead of a person.
using AnswerHook = std::function<int(const QString &text, const QStringList &buttons)>;
int Ask(QWidget *parent, const QString &text, const QStringList &buttons);
void SetAnswerHook(AnswerHook hook);

// While one of these lives, Show() writes the message to stderr instead: at the end of the desktop
// session, or when the system stops the program, a box nobody answers would hold up the logout.
class Unattended
{
public:
    explicit Unattended(bool active = true);
    ~Unattended();
    Unattended(const Unattended &) = delete;
    Unattended &operator=(const Unattended &) = delete;

private:
    bool m_active;
};
} // namespace Messages

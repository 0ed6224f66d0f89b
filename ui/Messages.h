#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message the program shows: modal, caption "提示", one OK button. Tests answer the boxes
// through the hook instead of a person.
namespace Messages {
using Hook = std::function<void(QMessageBox::Icon icon, const QString &caption, const QString &text)>;

void Show(QWidget *parent, QMessageBox::Icon icon, const QString &text);
// While a hook is set, Show() hands the box to it and returns at once.
void SetHook(Hook hook);

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

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
} // namespace Messages

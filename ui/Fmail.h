#pragma once

#include "Subscription.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include <functional>

class Inet;
class QLabel;
class QLineEdit;
class QPushButton;

// The newsletter subscription window: a verification picture, the address, the code and OK.
class Fmail final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Fmail)

public:
    // Sets itself up (icon, caption, place on the screen, first picture: a blocking fetch) and
    // stays hidden until shown. Modeless, above its owner; it deletes itself when it closes.
    explicit Fmail(const QIcon &icon, Subscription::Service service = Subscription::Service::configured(),
                   QWidget *owner = nullptr);
    ~Fmail() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load(const QIcon &icon);
    void R();
    void showPicture(const QByteArray &bytes);
    void Picture1_Click();
    void Text1_Click();
    void Text2_Click();
    void Text2_GotFocus();
    void Command1_Click();
    void Inet1_StateChanged(int state);

    QLabel *Picture1;
    QLabel *Label1;
    QLineEdit *Text1;
    QLineEdit *Text2;
    QPushButton *Command1;
    Inet *Inet1;
    Subscription::Service m_service;

    int m_fetching = 0;           // picture fetches waiting on this window's stack
    bool m_closing = false;       // a close was asked for: an answer still being read is dropped
    bool m_closeDeferred = false; // asked for during a fetch; done when the fetch returns
};

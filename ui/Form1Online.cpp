// The main window's ties to the publisher: the start-up version check and the subscription dialog.
#include "Fmail.h"
#include "Form1.h"
#include "Inet.h"
#include "Messages.h"
#include "VelomarConfig.h"
#include "VersionCheck.h"

bool Form1::checkV(Form1 &window)
{
    return window.checkVersionAt(QLatin1String(Velomar::Config::PublisherHost));
}

bool Form1::checkVersionAt(const QString &publisherHost)
{
    if (!Inet1)
        Inet1 = new Inet(this);
    const Version::Result result = Version::checkV(*Inet1, publisherHost);
    if (!result.newer)
        return false;
    Messages::Show(this, QMessageBox::Information, result.notice);
    return true;
}

void Form1::Label1_Click()
{
    // One dialog at a time: a second click brings the open one to the front, minimised or not. A dialog that was
    // closed while its picture was still loading is hidden and about to go; it does not count.
    if (m_fmail && !m_fmail->isHidden()) {
        m_fmail->setWindowState(m_fmail->windowState() & ~Qt::WindowMinimized);
        m_fmail->raise();
        m_fmail->activateWindow();
        return;
    }
    m_fmail = new Fmail(windowIcon(), m_subscriptionService, this);
    m_fmail->show();
}

void Form1::releaseSubscriptionDialog()
{
    // An open dialog outlives the main window: as an ordinary window of its own, which keeps the
    // program running until it is closed too.
    if (!m_fmail || m_fmail->isHidden())
        return;
    const QRect place = m_fmail->geometry();
    m_fmail->setParent(nullptr, (m_fmail->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
    m_fmail->setGeometry(place);
    m_fmail->show();
}

#include "Fmail.h"

#include "Centring.h"
#include "Messages.h"

#include "Inet.h"
#include "Qirvan.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryFile>

#include <optional>

namespace {

bool isLeftClick(const QEvent *event)
{
    return event->type() == QEvent::MouseButtonRelease &&
           static_cast<const QMouseEvent *>(event)->button() == Qt::LeftButton;
}

} // namespace

Fmail::Fmail(const QIcon &icon, Subscription::Service service, QWidget *owner)
    // Close button only: minimise and maximise buttons would leave no room for the caption.
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      Picture1(new QLabel(this)), Label1(new QLabel(u"邮箱地址:@qq.com"_qs, this)),
      Text1(new QLineEdit(u"邮箱地址"_qs, this)), Text2(new QLineEdit(u"验证码"_qs, this)),
      Command1(new QPushButton(u"确定"_qs, this)), Inet1(new Inet(this)), m_service(std::move(service))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(2235), Twips::toPixels(2160));

    setObjectName(QStringLiteral("Fmail"));
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2->setObjectName(QStringLiteral("Text2"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Inet1->setObjectName(QStringLiteral("Inet1"));

    Picture1->setGeometry(Twips::toPixels(120, 120, 2055, 735));
    Label1->setGeometry(Twips::toPixels(120, 960, 1695, 255));
    Text1->setGeometry(Twips::toPixels(120, 1200, 1935, 375));
    Text2->setGeometry(Twips::toPixels(120, 1680, 1095, 375));
    Command1->setGeometry(Twips::toPixels(1320, 1680, 735, 375));

    Label1->setTextFormat(Qt::PlainText);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setFocusPolicy(Qt::TabFocus);
    // Enter on the focused button presses it; there is no default button that Enter elsewhere would press.
    Command1->setAutoDefault(true);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Picture1);
    Text1->setFocus();

    Picture1->installEventFilter(this);
    Text1->installEventFilter(this);
    Text2->installEventFilter(this);
    connect(Text2, &QLineEdit::returnPressed, this, &Fmail::Command1_Click);
    connect(Command1, &QPushButton::clicked, this, &Fmail::Command1_Click);
    connect(Inet1, &Inet::StateChanged, this, &Fmail::Inet1_StateChanged);

    Form_Load(icon);
}

Fmail::~Fmail() = default;

void Fmail::Form_Load(const QIcon &icon)
{
    setWindowIcon(icon);
    setWindowTitle(u"订阅后自动发送"_qs);
    Qirvan::SetWindowFlag(this, true);
    Centring::centreOnScreen(this, parentWidget());
    R();
}

void Fmail::R()
{
    const QPointer<Fmail> self(this);
    ++m_fetching;
    Inet1->setURL(Subscription::pictureUrl(m_service));
    const std::optional<QByteArray> bytes = Inet1->OpenURLBytes();
    if (!self)
        return;
    --m_fetching;
    if (bytes)
        showPicture(*bytes);
    if (m_fetching == 0 && m_closeDeferred) {
        m_closeDeferred = false;
        close();
    }
}

void Fmail::showPicture(const QByteArray &bytes)
{
    // A private file of its own, not a fixed name another program could prepare or read; it is
    // removed when it goes out of scope, whether the picture loaded or not.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/velomar-picture-XXXXXX.jpg"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return;
    file.close();
    QPixmap picture;
    if (picture.load(file.fileName()))
        Picture1->setPixmap(picture);
}

bool Fmail::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && isLeftClick(event))
        Picture1_Click();
    else if (watched == Text1 && isLeftClick(event))
        Text1_Click();
    else if (watched == Text2 && isLeftClick(event))
        Text2_Click();
    else if (watched == Text2 && event->type() == QEvent::FocusIn)
        Text2_GotFocus();
    return QWidget::eventFilter(watched, event);
}

void Fmail::keyPressEvent(QKeyEvent *event)
{
    // Esc closes it as the close button does, like the program's other dialogs.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void Fmail::closeEvent(QCloseEvent *event)
{
    m_closing = true;
    if (m_fetching > 0) {
        // The fetch is still waiting further down this window's own stack: the window goes out of
        // sight now and is closed for good when the fetch returns.
        m_closeDeferred = true;
        hide();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Fmail::Picture1_Click()
{
    R();
}

void Fmail::Text1_Click()
{
    if (Text1->text() == u"邮箱地址")
        Text1->clear();
}

void Fmail::Text2_Click()
{
    if (Text2->text() == u"验证码")
        Text2->clear();
}

void Fmail::Text2_GotFocus()
{
    Text2_Click();
}

void Fmail::Command1_Click()
{
    if (Inet1->StillExecuting())
        return;
    Inet1->Execute(Subscription::requestUrl(m_service), QStringLiteral("POST"),
                   Subscription::requestBody(m_service, Text1->text(), Text2->text()),
                   Subscription::requestHeaders(m_service));
}

void Fmail::Inet1_StateChanged(int state)
{
    if (state != Inet::icResponseCompleted)
        return;
    const QPointer<Fmail> self(this);
    // Events go on between the pieces; the window may be closed, and even deleted, meanwhile.
    const std::optional<QString> answer = Subscription::readAnswer(*Inet1, [&self] {
        QCoreApplication::processEvents();
        return self && !self->m_closing;
    });
    if (!answer)
        return;
    const Subscription::Outcome outcome = Subscription::classify(*answer);
    Messages::Show(this, QMessageBox::Information, Subscription::message(outcome));
    if (!self || m_closing)
        return;
    if (Subscription::closesDialog(outcome))
        close();
    else
        R();
}

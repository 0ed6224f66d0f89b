// A skin library with the two entry points the program calls. A skin file is a Qt style sheet
// whose first line starts with "/* Velomar skin"; anything else is not a skin and is ignored.
#include "Gbk.h"

#include <QApplication>
#include <QFile>

namespace {
constexpr qint64 MaxSkinBytes = 1024 * 1024;
const QByteArray SkinMark = QByteArrayLiteral("/* Velomar skin");
} // namespace

extern "C" {

__attribute__((visibility("default"))) int SkinH_Attach()
{
    return 0; // no default skin: the platform's look stays
}

__attribute__((visibility("default"))) int SkinH_AttachEx(const char *skinFile, const char *password)
{
    Q_UNUSED(password);
    if (!skinFile || !qApp)
        return -1;
    QFile file(Gbk::decode(QByteArrayView(skinFile)));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSkinBytes)
        return -1;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith(SkinMark))
        return -1;
    // The whole application gets the sheet, not just the main window: Qt hands a window's sheet
    // on to every dialog the window opens all the same, so a skin keeps dialogs out by naming the
    // windows and controls its rules are for.
    qApp->setStyleSheet(QString::fromUtf8(bytes));
    return 0;
}

} // extern "C"

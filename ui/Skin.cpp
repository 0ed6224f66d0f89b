#include "Skin.h"

#include "Gbk.h"

#include <QDir>
#include <QLibrary>

namespace {
using AttachFn = int (*)();
using AttachExFn = int (*)(const char *skinFile, const char *password);
} // namespace

void Pifu(const QString &programDir)
{
    QLibrary library(QDir(programDir).filePath(QStringLiteral("Pifu")));
    if (!library.load()) {
        library.setFileName(QStringLiteral("Pifu"));
        if (!library.load())
            return;
    }
    if (auto attach = reinterpret_cast<AttachFn>(library.resolve("SkinH_Attach")))
        attach();
    // The library takes its text in the system's code page, as the skin libraries of old did.
    const QByteArray path = Gbk::encode(QDir(programDir).filePath(QStringLiteral("Pifu.she")));
    if (auto attachEx = reinterpret_cast<AttachExFn>(library.resolve("SkinH_AttachEx")))
        attachEx(path.constData(), "");
    // The library stays loaded: the skin it applied may refer to its code.
}

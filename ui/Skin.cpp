#include "Skin.h"

#include "Gbk.h"
#include "ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {
using AttachFn = int (*)();
using AttachExFn = int (*)(const char *skinFile, const char *password);

// An installed copy keeps the library in <prefix>/lib/velomar and the skin in
// <prefix>/share/velomar, as the file system's layout wants; a copy run from its own folder keeps
// both beside itself.
bool loadLibrary(QLibrary &library, const QDir &programDir)
{
    for (const QString &name : {programDir.filePath(QStringLiteral("Pifu")),
                                programDir.filePath(QStringLiteral("../lib/velomar/Pifu")), QStringLiteral("Pifu")}) {
        library.setFileName(name);
        if (library.load())
            return true;
    }
    return false;
}

QString skinFile(const QDir &programDir)
{
    const QString beside = programDir.filePath(QStringLiteral("Pifu.she"));
    const QString installed = InstalledDataFolder(programDir.path());
    return QFileInfo::exists(beside) || installed.isEmpty() ? beside : ProgramFilePath(installed, u"Pifu.she");
}
} // namespace

void Pifu(const QString &programDir)
{
    const QDir dir(programDir);
    QLibrary library;
    if (!loadLibrary(library, dir))
        return;
    if (auto attach = reinterpret_cast<AttachFn>(library.resolve("SkinH_Attach")))
        attach();
    // The library takes its text in the system's code page, as the skin libraries of old did.
    const QByteArray path = Gbk::encode(skinFile(dir));
    if (auto attachEx = reinterpret_cast<AttachExFn>(library.resolve("SkinH_AttachEx")))
        attachEx(path.constData(), "");
    // The library stays loaded: the skin it applied may refer to its code.
}

#include "VersionCheck.h"

#include "Inet.h"
#include "VelomarConfig.h"

namespace Version {

QString ownVersion()
{
    return QString::fromUtf8(Velomar::Config::Version);
}

QString documentUrl(const QString &publisherHost)
{
    return QStringLiteral("http://") + publisherHost + QStringLiteral("/rar/seoFile/seofile.txt");
}

bool announcesNewer(const QString &document)
{
    return !document.isEmpty() && document != ownVersion();
}

QString notice(const QString &publisherHost)
{
    return u"软件有最新版本，请下载最新版本！"_qs + QLatin1Char('\r') + QStringLiteral("http://") + publisherHost +
           QLatin1Char('\r') + QStringLiteral("QQ:") + QString::fromUtf8(Velomar::Config::ContactNumber);
}

Result checkV(Inet &inet, const QString &publisherHost)
{
    const std::optional<QString> document = inet.OpenURL(documentUrl(publisherHost));
    if (!document || !announcesNewer(*document))
        return {};
    return {true, notice(publisherHost)};
}

} // namespace Version

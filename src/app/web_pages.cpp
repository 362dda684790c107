#include "app/web_pages.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

#include "app/message_sink.h"

namespace kav::app {
namespace {

// The addresses come from the build (KAV_HELP_URL, KAV_SUPPORT_URL); empty when not set.
#ifndef KAV_HELP_URL
#define KAV_HELP_URL ""
#endif
#ifndef KAV_SUPPORT_URL
#define KAV_SUPPORT_URL ""
#endif

// Fallback when no reachability backend exists: some interface other than loopback is up.
bool anyInterfaceUp() {
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& item : interfaces) {
        const auto flags = item.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) &&
            flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack) && !item.addressEntries().isEmpty())
            return true;
    }
    return false;
}

}  // namespace

std::optional<WebPage> webPage(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    if (address.isEmpty() || !url.isValid() || url.host().isEmpty()) return std::nullopt;
    return WebPage{url, url.host()};
}

std::optional<WebPage> helpPage() {
    return webPage(QStringLiteral(KAV_HELP_URL));
}

std::optional<WebPage> supportPage() {
    return webPage(QStringLiteral(KAV_SUPPORT_URL));
}

bool DetectionConnexion() {
    if (QNetworkInformation::loadDefaultBackend()) {
        const auto reach = QNetworkInformation::instance()->reachability();
        if (reach != QNetworkInformation::Reachability::Unknown)
            return reach == QNetworkInformation::Reachability::Online;
    }
    return anyInterfaceUp();
}

QString offlineErrorText(const QString& host) {
    return QStringLiteral("Internet connection not availlable.") + u'\n' +
           QStringLiteral("You must be online to access at ") + host;
}

void openWebPage(const WebPage& page, const OnlineTest& online, const UrlOpener& open,
                 MessageSink& sink) {
    if (!online()) {
        reportError(sink, offlineErrorText(page.host));
        return;
    }
    open(page.address);
}

}  // namespace kav::app

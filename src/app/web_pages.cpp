#include "app/web_pages.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

#include "app/message_sink.h"

namespace kav::app {
namespace {

// The sites' host names, kept in one place.
const QString kHelpHost = QStringLiteral("help.example.org");
const QString kSupportHost = QStringLiteral("support.example.org");

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

WebPage helpPage() {
    return {QUrl(QStringLiteral("https://") + kHelpHost + "/Help-GT730"), kHelpHost};
}

WebPage supportPage() {
    return {QUrl(QStringLiteral("http://") + kSupportHost + "/"), kSupportHost};
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

#pragma once
// Help and Support on the web, when this build names their addresses: the addresses, the
// online test and the opening of a page.

#include <functional>
#include <optional>

#include <QString>
#include <QUrl>

namespace kav::app {

class MessageSink;

struct WebPage {
    QUrl address;
    QString host;  // named in the offline error
};

// The page at address; nothing for an empty or unusable address.
std::optional<WebPage> webPage(const QString& address);

// The online help and the support site set when the program was built; nothing when unset.
std::optional<WebPage> helpPage();
std::optional<WebPage> supportPage();

// True when the system reports a working network connection.
bool DetectionConnexion();

// The error text when a page cannot be reached offline (before the default error report).
QString offlineErrorText(const QString& host);

using OnlineTest = std::function<bool()>;
using UrlOpener = std::function<void(const QUrl&)>;

// Opens the page when online; otherwise reports the offline error and opens nothing.
void openWebPage(const WebPage& page, const OnlineTest& online, const UrlOpener& open,
                 MessageSink& sink);

}  // namespace kav::app

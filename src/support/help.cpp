#include "support/help.h"

#include <QDesktopServices>
#include <QString>

namespace {
std::function<void(const QUrl&)>& UrlOpener() {
    static std::function<void(const QUrl&)> opener;
    return opener;
}
} // namespace

void OpenExternalUrl(const QUrl& url) {
    if (UrlOpener()) {
        UrlOpener()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void SetExternalUrlOpener(std::function<void(const QUrl&)> opener) {
    UrlOpener() = std::move(opener);
}

void ShowHelpContents(const std::string& appDir) {
    OpenExternalUrl(QUrl::fromLocalFile(QString::fromStdString(appDir + kHelpFileName)));
}

void VisitKestrelWebsite() {
    OpenExternalUrl(QUrl(QString::fromLatin1(kKestrelWebsite)));
}

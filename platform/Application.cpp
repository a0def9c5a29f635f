#include "platform/Application.h"

namespace nocturo {

void Application::setStatusBarHidden(bool hidden, bool) {
    statusBarHidden_ = hidden;
    ++statusBarChanges_;
}

void Application::setStatusBarStyle(StatusBarStyle style, bool) {
    statusBarStyle_ = style;
}

void Application::request(Request what, const std::string& text) {
    ++(what == Request::TextEntry ? textRequests_ : pictureRequests_);
    if (requestHandler_)
        requestHandler_(what, text);
}

bool Application::openURL(const std::string& url) {
    bool web = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
    if (!web)
        return false;
    for (char c : url)
        if (static_cast<unsigned char>(c) <= 0x20 || c == '"' || c == '\'' || c == '\\')
            return false;
    openedURLs_.push_back(url);
    if (urlHandler_)
        urlHandler_(url);
    return true;
}

} // namespace nocturo

namespace nocturo {

int applicationMain(int, char**, Application& application, ApplicationDelegate& delegate) {
    application.setDelegate(&delegate);
    delegate.applicationDidFinishLaunching(application);
    return 0;
}

} // namespace nocturo

#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nocturo {

class Application;

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching(Application& application) = 0;
};

enum class StatusBarStyle { Default = 0, BlackOpaque = 2, BlackTranslucent = 1 };

// The running application as its delegate sees it: the status bar and the hand-off of
// addresses to the browser, which the front end carries out.
class Application {
public:
    bool isStatusBarHidden() const { return statusBarHidden_; }
    void setStatusBarHidden(bool hidden, bool animated);
    StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
    void setStatusBarStyle(StatusBarStyle style, bool animated);
    // How many times the status bar was hidden or shown, animated or not.
    int statusBarChanges() const { return statusBarChanges_; }

    // Records the address and hands it to the front end's browser, if it has one. False when
    // the address is not one a browser opens (http or https).
    bool openURL(const std::string& url);
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    void setURLHandler(std::function<void(const std::string&)> handler) {
        urlHandler_ = std::move(handler);
    }

    // What the application asks of the front end's own user interface: the keyboard to edit a
    // line of text (starting from `text`), or the system's file picker for a picture. The front
    // end answers through the application (Nocturo::typeText, Nocturo::choosePicture); without
    // a handler a request is only counted.
    enum class Request { TextEntry, PictureFile };
    void request(Request what, const std::string& text = {});
    int requests(Request what) const {
        return what == Request::TextEntry ? textRequests_ : pictureRequests_;
    }
    void setRequestHandler(std::function<void(Request, const std::string&)> handler) {
        requestHandler_ = std::move(handler);
    }

    void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }
    ApplicationDelegate* delegate() const { return delegate_; }

private:
    bool statusBarHidden_ = false;
    StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
    int statusBarChanges_ = 0;
    std::vector<std::string> openedURLs_;
    std::function<void(const std::string&)> urlHandler_;
    int textRequests_ = 0;
    int pictureRequests_ = 0;
    std::function<void(Request, const std::string&)> requestHandler_;
    ApplicationDelegate* delegate_ = nullptr;
};

} // namespace nocturo

namespace nocturo {

// Hands the application to its delegate, which launches it, and returns the exit status. The
// front end runs the loop from then on.
int applicationMain(int argc, char** argv, Application& application, ApplicationDelegate& delegate);

} // namespace nocturo

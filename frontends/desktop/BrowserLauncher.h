#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace nocturo {

// Opens an address in the user's browser. The programs tried are those $BROWSER names (a list
// separated by colons, each with its arguments, "%s" standing for the address), then xdg-open.
// Each starts without a shell, so nothing in an address is ever run as a command.
class BrowserLauncher {
public:
    using CommandLine = std::vector<std::string>;

    // `browserVariable` is what $BROWSER holds ("" when unset).
    explicit BrowserLauncher(std::string browserVariable);
    ~BrowserLauncher();
    BrowserLauncher(const BrowserLauncher&) = delete;
    BrowserLauncher& operator=(const BrowserLauncher&) = delete;

    // The command lines to try for `url`, in order.
    static std::vector<CommandLine> commandsFor(const std::string& browserVariable,
                                                const std::string& url);

    // The shipped copy of a page of the help site, under `helpFolder` (resources/help), as a
    // file address, so that a laptop at a shoot without a network still finds its help; the
    // address as it is when it is not on the help site or no copy ships.
    static std::string shippedPage(const std::string& url, const std::string& helpFolder);

    // Starts the first program that can be started. False, with the reason in `error`, when
    // none could.
    bool open(const std::string& url, std::string* error = nullptr);
    // Collects the programs that have ended.
    void reap();
    std::size_t running() const { return children_.size(); }

private:
    std::string browserVariable_;
    std::vector<pid_t> children_;
};

} // namespace nocturo

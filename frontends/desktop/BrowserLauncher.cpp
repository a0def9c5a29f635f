#include "frontends/desktop/BrowserLauncher.h"

#include "app/NocturoAppDelegate.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace nocturo {

std::string BrowserLauncher::shippedPage(const std::string& url, const std::string& helpFolder) {
    std::size_t hostStart = helpAddress.find("://");
    std::size_t pathStart =
        helpAddress.find('/', hostStart == std::string::npos ? 0 : hostStart + 3);
    if (pathStart == std::string::npos || url.compare(0, pathStart, helpAddress, 0, pathStart) != 0)
        return url;
    std::string path = url.substr(pathStart);
    if (path.empty() || path[0] != '/' || path.find("..") != std::string::npos ||
        path.find_first_of("?#%") != std::string::npos)
        return url;
    std::error_code ec;
    std::filesystem::path page = std::filesystem::absolute(helpFolder + path, ec);
    if (ec || !std::filesystem::is_regular_file(page, ec))
        return url;
    return "file://" + page.lexically_normal().string();
}

BrowserLauncher::BrowserLauncher(std::string browserVariable)
    : browserVariable_(std::move(browserVariable)) {}

BrowserLauncher::~BrowserLauncher() {
    reap();
}

std::vector<BrowserLauncher::CommandLine>
BrowserLauncher::commandsFor(const std::string& browserVariable, const std::string& url) {
    std::vector<CommandLine> commands;
    std::stringstream entries(browserVariable);
    std::string entry;
    while (std::getline(entries, entry, ':')) {
        CommandLine line;
        std::istringstream words(entry);
        std::string word;
        bool placed = false;
        while (words >> word) {
            if (auto at = word.find("%s"); at != std::string::npos) {
                word.replace(at, 2, url);
                placed = true;
            }
            line.push_back(word);
        }
        if (line.empty())
            continue;
        if (!placed)
            line.push_back(url);
        commands.push_back(std::move(line));
    }
#ifdef __APPLE__
    commands.push_back({"open", url});
#else
    commands.push_back({"xdg-open", url});
#endif
    return commands;
}

bool BrowserLauncher::open(const std::string& url, std::string* error) {
    reap();
    std::string faults;
    for (const CommandLine& line : commandsFor(browserVariable_, url)) {
        std::vector<char*> argv;
        for (const std::string& word : line)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        // The browser starts with plain signal dispositions and its own process group, so that
        // a Ctrl+C meant for Nocturo does not close it.
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (int s : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD, SIGHUP})
            sigaddset(&defaults, s);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setpgroup(&attr, 0);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                            POSIX_SPAWN_SETPGROUP);
        pid_t pid = 0;
        int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
        if (rc == 0) {
            children_.push_back(pid);
            return true;
        }
        if (!faults.empty())
            faults += "; ";
        faults += line[0] + ": " + std::strerror(rc);
    }
    if (error)
        *error = "cannot start a browser for " + url + " (" + faults + ")";
    return false;
}

void BrowserLauncher::reap() {
    for (auto it = children_.begin(); it != children_.end();) {
        int status = 0;
        pid_t r = waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = children_.erase(it);
        else
            ++it;
    }
}

} // namespace nocturo

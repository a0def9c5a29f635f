#include "platform/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace nocturo {

std::string UserFolders::config() {
    return under("XDG_CONFIG_HOME", ".config");
}

std::string UserFolders::data() {
    return under("XDG_DATA_HOME", ".local/share");
}

std::string UserFolders::under(const char* variable, const char* homeRelative) {
    const std::string tail = "/nocturo";
    const char* base = std::getenv(variable);
    if (base && base[0] == '/')
        return std::string(base) + tail;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/" + homeRelative + tail;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && user->pw_dir[0])
        return std::string(user->pw_dir) + "/" + homeRelative + tail;
    return {};
}

} // namespace nocturo

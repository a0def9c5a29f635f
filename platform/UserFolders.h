#pragma once

#include <string>

namespace nocturo {

// The per-user folders that hold what Nocturo keeps for its user, after the XDG base directory
// rules: the settings under the config folder, the pictures the user makes under the data
// folder. A variable counts only when it holds an absolute path; otherwise the folder is under
// $HOME (the home from the user database when HOME is unset). Empty when no home can be found.
class UserFolders {
public:
    // $XDG_CONFIG_HOME/nocturo, or ~/.config/nocturo.
    static std::string config();
    // $XDG_DATA_HOME/nocturo, or ~/.local/share/nocturo.
    static std::string data();

private:
    static std::string under(const char* variable, const char* homeRelative);
};

} // namespace nocturo

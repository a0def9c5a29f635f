#pragma once

#include <string>

namespace nocturo {

// Where the desktop program finds its interface file, pictures, fonts and help page when no
// --resources is given. The program built and run in its build folder reads the source tree's
// resources; anywhere else it is an installed program and reads the resources installed beside
// it (bin/nocturo with share/nocturo), so that a copy in a package or under another prefix
// needs no path of the machine it was built on and never reads that machine's files.
class ResourceLayout {
public:
    // `buildFolder`: where the build puts the program; `sourceResources`: the source tree's
    // resources; `installedRelative`: from an installed program's folder to its resources.
    ResourceLayout(std::string buildFolder, std::string sourceResources,
                   std::string installedRelative);

    // The resource folder for the program that lies in `programFolder` (empty when unknown,
    // which reads as the build folder).
    std::string folderFor(const std::string& programFolder) const;

private:
    std::string buildFolder_;
    std::string sourceResources_;
    std::string installedRelative_;
};

} // namespace nocturo

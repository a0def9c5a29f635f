#include "frontends/desktop/ResourceLayout.h"

#include <filesystem>

namespace nocturo {

ResourceLayout::ResourceLayout(std::string buildFolder, std::string sourceResources,
                               std::string installedRelative)
    : buildFolder_(std::move(buildFolder)), sourceResources_(std::move(sourceResources)),
      installedRelative_(std::move(installedRelative)) {}

std::string ResourceLayout::folderFor(const std::string& programFolder) const {
    namespace fs = std::filesystem;
    if (programFolder.empty())
        return sourceResources_;
    std::error_code ec;
    if (fs::equivalent(programFolder, buildFolder_, ec))
        return sourceResources_;
    return (fs::path(programFolder) / installedRelative_).lexically_normal().string();
}

} // namespace nocturo

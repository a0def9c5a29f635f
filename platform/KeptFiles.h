#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nocturo {

// Files the application keeps for its user beside the settings, such as a picture the user
// chose: whole files by name, read and replaced as one.
class KeptFiles {
public:
    virtual ~KeptFiles() = default;
    // None when there is no such file or it cannot be read.
    virtual std::optional<std::vector<std::uint8_t>> read(const std::string& name) const = 0;
    // False, leaving what was kept before, when the file cannot be written.
    virtual bool write(const std::string& name, const std::vector<std::uint8_t>& bytes) = 0;
};

// Kept for the life of the object: for tests and front ends with nowhere to keep files.
class MemoryKeptFiles : public KeptFiles {
public:
    std::optional<std::vector<std::uint8_t>> read(const std::string& name) const override {
        auto it = files_.find(name);
        if (it == files_.end())
            return std::nullopt;
        return it->second;
    }
    bool write(const std::string& name, const std::vector<std::uint8_t>& bytes) override {
        files_[name] = bytes;
        return true;
    }

private:
    std::map<std::string, std::vector<std::uint8_t>> files_;
};

// Kept in a folder, made when the first file is written; each file is written whole beside its
// place and renamed into it, so that a crash leaves the old file or the new one.
class FolderKeptFiles : public KeptFiles {
public:
    explicit FolderKeptFiles(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::vector<std::uint8_t>> read(const std::string& name) const override;
    bool write(const std::string& name, const std::vector<std::uint8_t>& bytes) override;
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
};

} // namespace nocturo

#pragma once

#include "platform/render/Framebuffer.h"

#include <optional>
#include <string>

namespace nocturo {

// Writes the framebuffer as an RGBA PNG; false when the file cannot be written.
bool writePng(const Framebuffer& framebuffer, const std::string& path);
// Reads a PNG into RGBA8; none when it cannot be read.
std::optional<Framebuffer> readPng(const std::string& path);

} // namespace nocturo

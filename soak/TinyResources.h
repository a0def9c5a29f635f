#pragma once

#include <string>

namespace nocturo {

// A throw-away copy of a resource folder in which every picture is one pixel: the interface
// file is the real one, and the pictures keep their names. The application's behaviour never
// depends on a picture's size, and a launch then costs a millisecond instead of decoding
// several megapixels, which matters to a fuzzer or a soak that launches thousands of times.
class TinyResources {
public:
    // Makes the folder under $TMPDIR (or /tmp); `dir()` is empty when that failed.
    explicit TinyResources(const std::string& sourceDir);
    ~TinyResources();
    TinyResources(const TinyResources&) = delete;
    TinyResources& operator=(const TinyResources&) = delete;

    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
};

} // namespace nocturo

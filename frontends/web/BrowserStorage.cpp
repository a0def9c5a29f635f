#include "frontends/web/BrowserStorage.h"

#include <cstdlib>
#include <emscripten/emscripten.h>

namespace {

EM_JS(char*, nocturoStorageGet, (const char* key), {
    try {
        const text = window.localStorage.getItem(UTF8ToString(key));
        if (text == null)
            return 0;
        const size = lengthBytesUTF8(text) + 1;
        const out = _malloc(size);
        stringToUTF8(text, out, size);
        return out;
    } catch (e) {
        return 0;
    }
});

EM_JS(int, nocturoStorageSet, (const char* key, const char* text), {
    try {
        window.localStorage.setItem(UTF8ToString(key), UTF8ToString(text));
        return 1;
    } catch (e) {
        return 0;
    }
});

EM_JS(void, nocturoStorageRemove, (const char* key), {
    try {
        window.localStorage.removeItem(UTF8ToString(key));
    } catch (e) {
    }
});

} // namespace

namespace nocturo {

std::optional<std::string> BrowserStorage::get(const std::string& key) const {
    char* text = nocturoStorageGet(key.c_str());
    if (!text)
        return std::nullopt;
    std::string value = text;
    std::free(text);
    return value;
}

bool BrowserStorage::set(const std::string& key, const std::string& text) {
    return nocturoStorageSet(key.c_str(), text.c_str()) != 0;
}

void BrowserStorage::remove(const std::string& key) {
    nocturoStorageRemove(key.c_str());
}

} // namespace nocturo

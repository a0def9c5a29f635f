#include "canvas.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#ifdef NOCTURO_ARTGEN_ZLIB
#include <zlib.h>

namespace {

// zlib's dynamic Huffman codes make large flat areas far smaller than stb's built-in
// fixed-code deflate does.
// zlib's dynamic Huffman codes make large flat areas far smaller than stb's built-in
// fixed-code deflate does.
unsigned char* deflateWithZlib(unsigned char* data, int size, int* outSize, int) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        return nullptr;
    }
    const uLong bound = deflateBound(&stream, static_cast<uLong>(size));
    auto* out = static_cast<unsigned char*>(std::malloc(bound));
    stream.next_in = data;
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(bound);
    const bool done = out != nullptr && deflate(&stream, Z_FINISH) == Z_STREAM_END;
    *outSize = static_cast<int>(stream.total_out);
    deflateEnd(&stream);
    if (!done) {
        std::free(out);
        return nullptr;
    }
    return out;
}

} // namespace

#define STBIW_ZLIB_COMPRESS deflateWithZlib
#endif

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace artgen {

namespace {

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f));
}

int channelsOf(PngFormat format) {
    switch (format) {
    case PngFormat::Grey:
        return 1;
    case PngFormat::GreyAlpha:
        return 2;
    case PngFormat::Rgb:
        return 3;
    case PngFormat::Rgba:
        break;
    }
    return 4;
}

std::vector<std::uint8_t> toBytes(const Canvas& canvas, PngFormat format) {
    const int channels = channelsOf(format);
    const bool alpha = format == PngFormat::GreyAlpha || format == PngFormat::Rgba;
    const int colours = alpha ? channels - 1 : channels;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(canvas.width) * canvas.height *
                                    channels);
    std::size_t o = 0;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const float* p = canvas.at(x, y);
            const std::uint8_t a = alpha ? toByte(p[3]) : 255;
            // Fully transparent pixels are stored as zeros so they compress together.
            const float unpremultiply = !alpha ? 1.0f : a == 0 ? 0.0f : 1.0f / p[3];
            for (int c = 0; c < colours; ++c) {
                bytes[o++] = toByte(p[c] * unpremultiply);
            }
            if (alpha) {
                bytes[o++] = a;
            }
        }
    }
    return bytes;
}

} // namespace

std::size_t writePng(const Canvas& canvas, const std::string& path, PngFormat format) {
    const int channels = channelsOf(format);
    std::vector<std::uint8_t> bytes = toBytes(canvas, format);
    stbi_write_png_compression_level = 9;

    // Try stb's per-row filter choice and each fixed filter; keep the smallest file.
    unsigned char* best = nullptr;
    int bestSize = 0;
    for (int filter = -1; filter <= 4; ++filter) {
        stbi_write_force_png_filter = filter;
        int size = 0;
        unsigned char* png = stbi_write_png_to_mem(bytes.data(), canvas.width * channels,
                                                   canvas.width, canvas.height, channels, &size);
        if (png != nullptr && (best == nullptr || size < bestSize)) {
            std::free(best);
            best = png;
            bestSize = size;
        } else {
            std::free(png);
        }
    }
    if (best == nullptr) {
        throw std::runtime_error("cannot encode " + path);
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(best), bestSize);
    std::free(best);
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return static_cast<std::size_t>(bestSize);
}

} // namespace artgen

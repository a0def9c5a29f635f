// The user's picture.
//   [checks]   what the decoder is not given: a size over the limit, a table that overruns it,
//              a PNG chunk longer than the file, an empty PNG data chunk
//   [turning]  a JPEG's Exif orientation
//   [scaling]  the box filter that shrinks a picture for keeping
//   [reading]  the order of the steps

#include "writing/PictureReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#include <vector>

namespace nocturo {

namespace {

const char* const notAPicture = "This file is not a picture: choose a PNG or JPEG file.";
const char* const damaged = "This picture cannot be read: the file is damaged or incomplete.";

// ---- [checks]

// A PNG file's signature.
constexpr std::uint8_t pngStart[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The size in a PNG's header. The decoder checks it too, but refuses a picture of more than a
// gigabyte as if it were no picture at all.
std::optional<Size> pngSize(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t header[8] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), pngStart, sizeof pngStart) != 0 ||
        std::memcmp(bytes.data() + sizeof pngStart, header, sizeof header) != 0)
        return std::nullopt;
    auto word = [&](std::size_t at) {
        return std::int64_t{bytes[at]} << 24 | std::int64_t{bytes[at + 1]} << 16 |
               std::int64_t{bytes[at + 2]} << 8 | std::int64_t{bytes[at + 3]};
    };
    return Size{word(16), word(20)};
}

// Whether a picture of this size has more than `limit` pixels; the sides, up to 32 bits each,
// are not multiplied.
bool more(const Size& size, std::int64_t limit) {
    return size.width > 0 && size.height > limit / size.width;
}

// With no size when the decoder would not tell it.
std::string tooLarge(std::int64_t width, std::int64_t height, std::int64_t pixelLimit) {
    char text[160];
    if (width > 0 && height > 0)
        std::snprintf(text, sizeof text,
                      "This picture is too large: %lld x %lld pixels is over %g megapixels.",
                      static_cast<long long>(width), static_cast<long long>(height),
                      static_cast<double>(pixelLimit) / 1e6);
    else
        std::snprintf(text, sizeof text, "This picture is too large: it is over %g megapixels.",
                      static_cast<double>(pixelLimit) / 1e6);
    return text;
}

// Whether a Huffman table of the JPEG decoder would claim more than 256 codes, which the
// decoder does not check and writes past its table for. Every table it reads starts at a 0xFF
// 0xC4 marker, so each such pair is read as the decoder would read it from there (as zeros past
// the end); one in other data that does not look like a table costs nothing. A picture has a
// few tables at most (one before each scan of a progressive one); a file with hundreds of markers
// is refused as well, which keeps this check's cost in bounds.
bool hasOversizedHuffmanTable(std::span<const std::uint8_t> bytes) {
    constexpr int mostTables = 256;
    const std::size_t size = bytes.size();
    auto byte = [&](std::size_t at) -> std::size_t { return at < size ? bytes[at] : 0; };
    int tables = 0;
    for (std::size_t p = 0; p + 1 < size; ++p) {
        if (bytes[p] != 0xFF || bytes[p + 1] != 0xC4)
            continue;
        if (++tables > mostTables)
            return true;
        std::size_t at = p + 2;
        long left = static_cast<long>(byte(at) << 8 | byte(at + 1)) - 2;
        at += 2;
        while (left > 0 && at < size) {
            std::size_t codes = 0;
            for (std::size_t i = 1; i <= 16; ++i)
                codes += byte(at + i);
            if (codes > 256)
                return true;
            at += 17 + codes;
            left -= static_cast<long>(17 + codes);
        }
    }
    return false;
}

// A PNG's chunks as the decoder takes them, up to the end chunk. `overrun`: one claims more
// bytes than the file has, for which the decoder would reserve the claim (up to 2 GB) before it
// finds the data missing. `withoutEmptyData`: the file without its empty IDAT chunks, when it
// has any; the decoder copies an empty chunk's data into its buffer before it has made one,
// which is undefined, and the chunks hold no data, so the picture without them is the same.
struct PngChunks {
    bool overrun = false;
    std::optional<std::vector<std::uint8_t>> withoutEmptyData;
};

PngChunks pngChunks(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t signature = sizeof pngStart, frame = 12; // a chunk's length, type, CRC
    PngChunks chunks;
    // Any file with the signature: the decoder also takes one whose header chunk follows
    // others (a CgBI chunk, for one), whose size pngSize does not read.
    if (bytes.size() < signature || std::memcmp(bytes.data(), pngStart, signature) != 0)
        return chunks;
    auto piece = [&](std::size_t from, std::size_t to) {
        chunks.withoutEmptyData->insert(chunks.withoutEmptyData->end(),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(to));
    };
    std::size_t at = signature;
    for (; at + frame <= bytes.size(); at += frame) {
        const std::size_t length = std::size_t{bytes[at]} << 24 | std::size_t{bytes[at + 1]} << 16 |
                                   std::size_t{bytes[at + 2]} << 8 | std::size_t{bytes[at + 3]};
        const std::uint8_t* type = bytes.data() + at + 4;
        if (length > bytes.size() - at - frame) {
            chunks.overrun = true;
            return chunks;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        if (length == 0 && std::memcmp(type, "IDAT", 4) == 0) {
            if (!chunks.withoutEmptyData)
                chunks.withoutEmptyData.emplace();
            if (chunks.withoutEmptyData->empty())
                piece(0, at);
        } else if (chunks.withoutEmptyData) {
            piece(at, at + frame + length);
        }
        at += length;
    }
    // A last chunk cut off inside its data or checksum: the decoder takes its length and type
    // as they stand and copies the data before it finds the file short, so an empty IDAT chunk
    // there reaches it all the same. Without its end chunk the file cannot be decoded anyway;
    // only an end chunk that has lost its checksum is still read as whole.
    if (at + 8 <= bytes.size() && at + frame > bytes.size() &&
        std::memcmp(bytes.data() + at + 4, "IEND", 4) != 0) {
        chunks.overrun = true;
        return chunks;
    }
    if (chunks.withoutEmptyData)
        piece(at, bytes.size());
    return chunks;
}

// ---- [turning]

// How a JPEG's Exif data says its pixels are to be turned for showing (1 to 8, 1 as they are):
// a phone's camera stores its pictures as the sensor saw them and says so there.
int exifOrientation(std::span<const std::uint8_t> bytes) {
    const std::size_t size = bytes.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return 1;
    for (std::size_t at = 2; at + 4 <= size && bytes[at] == 0xFF;) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xDA || marker == 0xD9)
            break;
        const std::size_t length = std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        const std::size_t end = std::min(size, at + 2 + length);
        static constexpr std::uint8_t exif[6] = {'E', 'x', 'i', 'f', 0, 0};
        if (marker == 0xE1 && at + 10 <= end && std::memcmp(&bytes[at + 4], exif, 6) == 0) {
            const std::size_t tiff = at + 10;
            if (tiff + 8 > end)
                return 1;
            const bool little = bytes[tiff] == 'I';
            auto read = [&](std::size_t from, std::size_t count) {
                std::uint32_t v = 0;
                for (std::size_t i = 0; i < count; ++i)
                    v |= std::uint32_t{bytes[from + (little ? i : count - 1 - i)]} << (8 * i);
                return v;
            };
            const std::size_t ifd = tiff + read(tiff + 4, 4);
            if (ifd < tiff || ifd + 2 > end)
                return 1;
            const std::size_t entries = read(ifd, 2);
            for (std::size_t i = 0; i < entries && ifd + 2 + (i + 1) * 12 <= end; ++i) {
                const std::size_t entry = ifd + 2 + i * 12;
                if (read(entry, 2) == 0x0112) {
                    const std::uint32_t value = read(entry + 8, 2);
                    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
                }
            }
            return 1;
        }
        at += 2 + length;
    }
    return 1;
}

// The picture turned as its orientation says: 5 to 8 swap its width and height, then the
// orientation mirrors one side, both (a half turn) or neither.
void orient(Image& image, int orientation) {
    if (orientation == 1)
        return;
    const int w = image.width, h = image.height;
    const bool swaps = orientation >= 5;
    std::vector<std::uint8_t> out(image.pixels.size());
    const int ow = swaps ? h : w, oh = swaps ? w : h;
    const bool mirrorX =
        orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
    const bool mirrorY =
        orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            const int u = swaps ? y : x, v = swaps ? x : y;
            const int sx = mirrorX ? w - 1 - u : u, sy = mirrorY ? h - 1 - v : v;
            std::memcpy(&out[(static_cast<std::size_t>(y) * ow + x) * 4],
                        &image.pixels[(static_cast<std::size_t>(sy) * w + sx) * 4], 4);
        }
    }
    image.pixels = std::move(out);
    image.width = ow;
    image.height = oh;
}

// ---- [scaling]

// For each column of `to` spread over `from` source columns, the source columns it covers and
// how much of the first and last one: a box filter, so every source pixel counts once.
struct Span {
    int first = 0;
    int last = 0; // inclusive
    float firstWeight = 1.0f;
    float lastWeight = 1.0f;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> out(static_cast<std::size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        double a = i * step, b = std::min((i + 1) * step, static_cast<double>(from));
        Span& s = out[static_cast<std::size_t>(i)];
        s.first = static_cast<int>(a);
        s.last = std::max(s.first, static_cast<int>(std::ceil(b)) - 1);
        s.firstWeight = static_cast<float>(std::min(b, s.first + 1.0) - a);
        s.lastWeight = s.last == s.first ? s.firstWeight : static_cast<float>(b - s.last);
    }
    return out;
}

float weightOf(const Span& s, int i) {
    return i == s.first ? s.firstWeight : i == s.last ? s.lastWeight : 1.0f;
}

// Straight RGBA in, opaque RGBA out at the new size, colours premultiplied (laid on black)
// before they are averaged.
void shrink(const std::uint8_t* src, int w, int h, Image& out) {
    const std::vector<Span> across = spans(w, out.width);
    const std::vector<Span> down = spans(h, out.height);
    std::vector<float> row(static_cast<std::size_t>(out.width) * 3);
    std::vector<float> sum(row.size());
    for (int oy = 0; oy < out.height; ++oy) {
        const Span& dy = down[static_cast<std::size_t>(oy)];
        std::fill(sum.begin(), sum.end(), 0.0f);
        float rowsWeight = 0.0f;
        for (int y = dy.first; y <= dy.last; ++y) {
            const std::uint8_t* line = src + static_cast<std::size_t>(y) * w * 4;
            float wy = weightOf(dy, y);
            rowsWeight += wy;
            for (int ox = 0; ox < out.width; ++ox) {
                const Span& dx = across[static_cast<std::size_t>(ox)];
                float r = 0.0f, g = 0.0f, b = 0.0f, total = 0.0f;
                for (int x = dx.first; x <= dx.last; ++x) {
                    const std::uint8_t* p = line + static_cast<std::size_t>(x) * 4;
                    float wa = weightOf(dx, x) * p[3] / 255.0f;
                    r += p[0] * wa;
                    g += p[1] * wa;
                    b += p[2] * wa;
                    total += weightOf(dx, x);
                }
                float* s = &sum[static_cast<std::size_t>(ox) * 3];
                s[0] += wy * r / total;
                s[1] += wy * g / total;
                s[2] += wy * b / total;
            }
        }
        std::uint8_t* o = out.pixels.data() + static_cast<std::size_t>(oy) * out.width * 4;
        for (int ox = 0; ox < out.width; ++ox, o += 4) {
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<std::uint8_t>(std::clamp(
                    std::lround(sum[static_cast<std::size_t>(ox) * 3 + c] / rowsWeight), 0L, 255L));
            o[3] = 255;
        }
    }
}

} // namespace

// ---- [reading]

PictureReader::Result PictureReader::read(std::span<const std::uint8_t> bytes, int keepHeight,
                                          int keepWidth, std::int64_t pixelLimit) {
    if (bytes.empty())
        return {nullptr, "This file is empty: choose a PNG or JPEG picture."};
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {nullptr, "This file is too large to be a picture Nocturo can show."};
    if (std::optional<Size> size = pngSize(bytes); size && more(*size, pixelLimit))
        return {nullptr, tooLarge(size->width, size->height, pixelLimit)};
    const PngChunks chunks = pngChunks(bytes);
    if (chunks.overrun)
        return {nullptr, damaged};
    if (chunks.withoutEmptyData)
        bytes = *chunks.withoutEmptyData;
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    // The decoder reads the tables already for the size.
    if (hasOversizedHuffmanTable(bytes))
        return {nullptr, damaged};
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &w, &h, &channels) || w <= 0 || h <= 0) {
        const char* why = stbi_failure_reason();
        if (why && std::strcmp(why, "too large") == 0)
            return {nullptr, tooLarge(0, 0, pixelLimit)};
        return {nullptr, notAPicture};
    }
    if (more({w, h}, pixelLimit))
        return {nullptr, tooLarge(w, h, pixelLimit)};
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data, length, &w, &h, &channels, 4), stbi_image_free);
    if (!pixels)
        return {nullptr, damaged};

    // Scaled for the size it shows at, then turned: turning the smaller picture costs less.
    const int orientation = exifOrientation(bytes);
    const bool swaps = orientation >= 5;
    const int shownWidth = swaps ? h : w, shownHeight = swaps ? w : h;
    double scale = std::min({1.0, static_cast<double>(std::max(keepHeight, 1)) / shownHeight,
                             static_cast<double>(std::max(keepWidth, 1)) / shownWidth});
    auto image = std::make_shared<Image>();
    image->name = "picture";
    image->scale = 1.0f;
    image->width = std::max(1, static_cast<int>(std::lround(w * scale)));
    image->height = std::max(1, static_cast<int>(std::lround(h * scale)));
    image->pixels.resize(static_cast<std::size_t>(image->width) * image->height * 4);
    shrink(pixels.get(), w, h, *image);
    orient(*image, orientation);
    return {std::move(image), {}};
}

std::vector<std::uint8_t> PictureReader::encode(const Image& picture) {
    std::vector<std::uint8_t> bytes;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < static_cast<std::size_t>(picture.width) * picture.height * 4)
        return bytes;
    auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data),
                    static_cast<std::uint8_t*>(data) + size);
    };
    stbi_write_png_to_func(append, &bytes, picture.width, picture.height, 4, picture.pixels.data(),
                           picture.width * 4);
    return bytes;
}

} // namespace nocturo

// The user's own picture read from a file's bytes, the text picture lit by the light, and the
// pictures Nocturo brings.

#include "platform/render/Font.h"
#include "writing/BuiltInPictures.h"
#include "writing/ColumnLight.h"
#include "writing/PictureReader.h"
#include "writing/WritingPicture.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stb/stb_image_write.h>
#include <string>
#include <vector>

namespace nocturo {
namespace {

using Bytes = std::vector<std::uint8_t>;

void append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data),
                static_cast<std::uint8_t*>(data) + size);
}

// A picture `w` x `h` whose left half is opaque red and right half half-transparent white.
Bytes png(int w, int h) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4, 255);
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        if (static_cast<int>(i / 4) % w < w / 2)
            rgba[i + 1] = rgba[i + 2] = 0;
        else
            rgba[i + 3] = 128;
    Bytes out;
    stbi_write_png_to_func(append, &out, w, h, 4, rgba.data(), w * 4);
    return out;
}

const std::uint8_t* pixel(const Image& image, int x, int y) {
    return &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
}

TEST(PictureReader, RefusesWhatIsNoUsablePictureWithWordsForTheScreen) {
    Bytes truncated = png(40, 30);
    truncated.resize(truncated.size() / 2);
    const std::string text = "light painting notes\n";
    // A real header for 20000 x 20000 pixels with no picture after it: refused by its size
    // alone, before any decoding, which would find it damaged.
    Bytes huge = png(2, 2);
    const std::uint8_t side[4] = {0x00, 0x00, 0x4E, 0x20};
    std::memcpy(&huge[16], side, 4);
    std::memcpy(&huge[20], side, 4);
    huge.resize(33);

    struct Case {
        Bytes bytes;
        const char* message;
    } cases[] = {
        {{}, "This file is empty: choose a PNG or JPEG picture."},
        {truncated, "This picture cannot be read: the file is damaged or incomplete."},
        {Bytes(text.begin(), text.end()), "This file is not a picture: choose a PNG or JPEG file."},
        {huge, "This picture is too large: 20000 x 20000 pixels is over 64 megapixels."},
    };
    for (const Case& c : cases) {
        PictureReader::Result result = PictureReader::read(c.bytes, 1440);
        EXPECT_EQ(result.picture, nullptr);
        EXPECT_EQ(result.message, c.message);
    }
}

// Files the decoder would write past its tables for, reserve gigabytes for, or copy into a
// buffer it has not made for.
TEST(PictureReader, RefusesAsDamagedAFileThatWouldOverrunTheDecoder) {
    for (const char* name :
         {"huffman-table-too-long.jpg", "huffman-table-too-long-before-the-frame.jpg",
          "chunk-longer-than-the-file.png", "empty-data-chunk-first.png",
          "empty-data-chunk-after-cgbi-chunk.png", "empty-data-chunk-without-its-checksum.png"}) {
        std::ifstream in(std::string(NOCTURO_TEST_DIR) + "/../fuzz/corpus/picture/" + name,
                         std::ios::binary);
        Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(PictureReader::read(bytes, 1440).message,
                  "This picture cannot be read: the file is damaged or incomplete.");
    }
}

// An empty IDAT chunk holds no data; the decoder must not be handed one before the first with
// data (it copies into a buffer it has not made yet).
TEST(PictureReader, ReadsAPngWithAnEmptyDataChunkAsThePictureWithoutIt) {
    const Bytes plain = png(8, 6);
    const std::uint8_t empty[12] = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
    Bytes padded = plain;
    padded.insert(padded.begin() + 33, std::begin(empty), std::end(empty)); // after the header
    PictureReader::Result result = PictureReader::read(padded, 1440);
    ASSERT_NE(result.picture, nullptr) << result.message;
    EXPECT_EQ(result.picture->pixels, PictureReader::read(plain, 1440).picture->pixels);
}

TEST(PictureReader, KeepsAPictureOnBlackScaledDownToTheScreensHeight) {
    PictureReader::Result small = PictureReader::read(png(8, 6), 1440);
    ASSERT_NE(small.picture, nullptr) << small.message;
    EXPECT_TRUE(small.message.empty());
    EXPECT_EQ(small.picture->width, 8);
    EXPECT_EQ(small.picture->height, 6);
    EXPECT_EQ(std::vector<int>(pixel(*small.picture, 0, 0), pixel(*small.picture, 0, 0) + 4),
              (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<int>(pixel(*small.picture, 7, 5), pixel(*small.picture, 7, 5) + 4),
              (std::vector<int>{128, 128, 128, 255}));

    // What is kept reads back the same.
    PictureReader::Result again = PictureReader::read(PictureReader::encode(*small.picture), 1440);
    ASSERT_NE(again.picture, nullptr);
    EXPECT_EQ(again.picture->pixels, small.picture->pixels);

    PictureReader::Result tall = PictureReader::read(png(300, 900), 480);
    ASSERT_NE(tall.picture, nullptr);
    EXPECT_EQ(tall.picture->height, 480);
    EXPECT_EQ(tall.picture->width, 160);
    EXPECT_EQ(pixel(*tall.picture, 10, 240)[0], 255);
    EXPECT_EQ(pixel(*tall.picture, 150, 240)[1], 128);

    PictureReader::Result wide = PictureReader::read(png(1000, 10), 480, 100);
    ASSERT_NE(wide.picture, nullptr);
    EXPECT_EQ(wide.picture->width, 100);
    EXPECT_EQ(wide.picture->height, 1);
}

TEST(PictureReader, ReadsAJpegTurnedAsItsExifSays) {
    // Blue on the left, red on the right.
    std::vector<std::uint8_t> rgb(32 * 16 * 3, 0);
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        rgb[i + (i / 3 % 32 < 16 ? 2 : 0)] = 255;
    Bytes jpeg;
    stbi_write_jpg_to_func(append, &jpeg, 32, 16, 3, rgb.data(), 95);
    PictureReader::Result result = PictureReader::read(jpeg, 1440);
    ASSERT_NE(result.picture, nullptr) << result.message;
    EXPECT_EQ(result.picture->width, 32);
    EXPECT_GT(pixel(*result.picture, 8, 8)[2], 240);
    EXPECT_LT(pixel(*result.picture, 8, 8)[0], 15);
    EXPECT_GT(pixel(*result.picture, 24, 8)[0], 240);

    // A camera's picture stored on its side, with Exif saying it is to be turned a quarter
    // clockwise: kept upright, the blue half (the stored left) on top.
    const std::uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0,
                                 0,    'M',  'M',  0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,
                                 0x00, 0x01, 0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00,
                                 0x01, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    jpeg.insert(jpeg.begin() + 2, std::begin(exif), std::end(exif));
    PictureReader::Result turned = PictureReader::read(jpeg, 24);
    ASSERT_NE(turned.picture, nullptr) << turned.message;
    EXPECT_EQ(turned.picture->width, 12);
    EXPECT_EQ(turned.picture->height, 24);
    EXPECT_GT(pixel(*turned.picture, 6, 3)[2], 240);
    EXPECT_GT(pixel(*turned.picture, 6, 20)[0], 240);
}

class TextPicture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            font.loadFile(std::string(NOCTURO_RESOURCE_DIR) + "/fonts/DejaVuSans-Bold.ttf"));
    }
    // The brightest pixel of the text's columns under `light`, and the share of pixels lit.
    static std::vector<std::uint8_t> brightest(const WritingPicture& text, const ColumnLight& light,
                                               int fromRow, int toRow) {
        std::vector<std::uint8_t> best(3, 0);
        for (int x = 0; x < text.width(); ++x) {
            std::vector<std::uint8_t> column = text.column(x, text.width(), light);
            for (int y = fromRow; y < toRow; ++y) {
                const std::uint8_t* p = &column[static_cast<std::size_t>(y) * 4];
                if (p[0] + p[1] + p[2] > best[0] + best[1] + best[2])
                    best.assign(p, p + 3);
            }
        }
        return best;
    }
    Font font;
};

TEST_F(TextPicture, TakesTheLightsColourWhenShown) {
    WritingPicture text = WritingPicture::fromText(font, "NOCTURO", 96);
    EXPECT_TRUE(text.isText());
    EXPECT_EQ(text.height(), 96);
    EXPECT_GT(text.width(), 7 * 40);
    EXPECT_LT(text.width(), 7 * 96);

    // The spot's colour, and the colour the fantasy has walked to a moment later.
    EXPECT_EQ(brightest(text, ColumnLight(Color::yellowColor()), 0, 96),
              (std::vector<std::uint8_t>{255, 255, 0}));
    EXPECT_EQ(brightest(text, ColumnLight(Color(0.2f, 0.6f, 1.0f, 1.0f)), 0, 96),
              (std::vector<std::uint8_t>{51, 153, 255}));

    // The rainbow's colours from the top down: red over the letters' tops, violet-blue low.
    Image rainbow;
    rainbow.width = 1;
    rainbow.height = 4;
    rainbow.pixels = {255, 0, 0, 255, 255, 255, 0, 255, 0, 255, 0, 255, 120, 0, 255, 255};
    ColumnLight bands = ColumnLight::downPicture(rainbow);
    EXPECT_EQ(brightest(text, bands, 0, 24), (std::vector<std::uint8_t>{255, 0, 0}));
    EXPECT_EQ(brightest(text, bands, 48, 72), (std::vector<std::uint8_t>{0, 255, 0}));

    EXPECT_TRUE(WritingPicture::fromText(font, "").isEmpty());
    EXPECT_EQ(WritingPicture::fromText(font, "A\nB").width(),
              WritingPicture::fromText(font, "A B").width());
}

TEST(BuiltInPictures, EachLoadsFromTheResources) {
    ImageLibrary library(NOCTURO_RESOURCE_DIR);
    EXPECT_FALSE(BuiltInPictures::numbered(0));
    EXPECT_FALSE(BuiltInPictures::numbered(BuiltInPictures::count() + 1));
    for (int n = 1; n <= BuiltInPictures::count(); ++n) {
        auto entry = BuiltInPictures::numbered(n);
        ASSERT_TRUE(entry);
        auto image = library.imageNamed(std::string(entry->file));
        ASSERT_NE(image, nullptr) << entry->file;
        WritingPicture picture = WritingPicture::fromImage(*image);
        EXPECT_EQ(picture.height(), 128) << entry->file;
        EXPECT_GE(picture.width(), picture.height()) << entry->file;
    }
}

} // namespace
} // namespace nocturo

#include "settings/Banner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include <jpeglib.h>

namespace popyo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBanner() {
    std::ifstream in(POPYO_BANNER_JPEG, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Channel(std::uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

// Encodes a width x height picture whose every pixel is `sample` in every channel.
Bytes Encode(J_COLOR_SPACE space, int components, int width, int height, std::uint8_t sample) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components), sample);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes bytes(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

// The banner is drawn by tools/make-banner.sh; these spots lie in flat areas, away from
// edges, so any decoder lands within a few levels of the values measured once.
struct PixelCase {
    const char* where;
    int x, y;
    int r, g, b;
};

constexpr PixelCase kBannerPixels[] = {
    {"gradient, top-left", 2, 2, 91, 143, 216},
    {"gradient, bottom-right", 316, 118, 65, 183, 169},
    {"window body", 20, 92, 244, 247, 252},
    {"window title bar", 20, 40, 50, 94, 155},
    {"below the caption", 100, 110, 81, 159, 197},
};

TEST(BannerTest, DecodesTheBannerTopDownAsRgb) {
    const Bytes bytes = ReadBanner();
    ASSERT_FALSE(bytes.empty()) << POPYO_BANNER_JPEG;
    const auto image = DecodeJpeg(bytes);
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->width, 320);
    ASSERT_EQ(image->height, 128);
    ASSERT_EQ(image->pixels.size(), 320u * 128u);
    for (const PixelCase& c : kBannerPixels) {
        SCOPED_TRACE(c.where);
        const std::uint32_t p = image->pixels[static_cast<std::size_t>(c.y * 320 + c.x)];
        EXPECT_EQ(p >> 24, 0u);
        EXPECT_NEAR(Channel(p, 16), c.r, 8);
        EXPECT_NEAR(Channel(p, 8), c.g, 8);
        EXPECT_NEAR(Channel(p, 0), c.b, 8);
    }
}

struct ColourCase {
    const char* what;
    J_COLOR_SPACE space;
    int components;
    bool decodes;
};

constexpr ColourCase kColourCases[] = {
    {"grey widened to RGB", JCS_GRAYSCALE, 1, true},
    {"RGB", JCS_RGB, 3, true},
    {"CMYK has no RGB conversion", JCS_CMYK, 4, false},
};

TEST(BannerTest, ColourSpaces) {
    for (const ColourCase& c : kColourCases) {
        SCOPED_TRACE(c.what);
        const auto image = DecodeJpeg(Encode(c.space, c.components, 24, 10, 200));
        ASSERT_EQ(image.has_value(), c.decodes);
        if (!image) {
            continue;
        }
        EXPECT_EQ(image->width, 24);
        EXPECT_EQ(image->height, 10);
        for (std::uint32_t p : image->pixels) {
            ASSERT_NEAR(Channel(p, 16), 200, 2);
            ASSERT_NEAR(Channel(p, 8), 200, 2);
            ASSERT_NEAR(Channel(p, 0), 200, 2);
        }
    }
}

struct CutCase {
    const char* what;
    std::size_t keep;  // bytes kept from the start; kAllButEnd keeps all but the end marker
};

constexpr std::size_t kAllButEnd = static_cast<std::size_t>(-1);

constexpr CutCase kCutCases[] = {
    {"empty", 0},
    {"start marker only", 2},
    {"inside the headers", 100},
    {"half the picture", 4000},
    {"without the end marker", kAllButEnd},
};

TEST(BannerTest, TruncatedDataGivesNothing) {
    const Bytes bytes = ReadBanner();
    ASSERT_GT(bytes.size(), 4000u);
    for (const CutCase& c : kCutCases) {
        SCOPED_TRACE(c.what);
        const std::size_t keep = c.keep == kAllButEnd ? bytes.size() - 2 : c.keep;
        // A copy of exactly `keep` bytes, so ASan sees any read past the end.
        const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep));
        EXPECT_FALSE(DecodeJpeg(cut).has_value());
    }
}

TEST(BannerTest, RandomBytesGiveNothing) {
    std::mt19937 rng(20240611);
    for (std::size_t size : {1u, 2u, 64u, 4096u}) {
        Bytes noise(size);
        std::generate(noise.begin(), noise.end(), [&] { return static_cast<std::uint8_t>(rng()); });
        EXPECT_FALSE(DecodeJpeg(noise).has_value()) << size;
        // The same noise behind a start marker gets past the first check in libjpeg.
        noise.insert(noise.begin(), {0xFF, 0xD8});
        EXPECT_FALSE(DecodeJpeg(noise).has_value()) << size;
    }
}

// Larger pictures are refused whole, before their pixels are asked for: a forged header
// could otherwise claim gigabytes.
struct SizeCase {
    int width, height;
    bool decodes;
};

constexpr SizeCase kSizeCases[] = {
    {4096, 4096, true},
    {65000, 259, false},
};

TEST(BannerTest, PicturesBeyondSixteenMegapixelsGiveNothing) {
    for (const SizeCase& c : kSizeCases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const auto image = DecodeJpeg(Encode(JCS_GRAYSCALE, 1, c.width, c.height, 90));
        EXPECT_EQ(image.has_value(), c.decodes);
    }
}

// Damage inside the picture data is not always detectable; what matters is that decoding
// never reads or writes out of bounds (ASan) and answers either nothing or a whole picture.
TEST(BannerTest, CorruptedBannerNeverMisbehaves) {
    const Bytes bytes = ReadBanner();
    std::mt19937 rng(7);
    int refused = 0;
    for (int round = 0; round < 200; ++round) {
        Bytes damaged = bytes;
        for (int i = 0; i < 4; ++i) {
            damaged[rng() % damaged.size()] = static_cast<std::uint8_t>(rng());
        }
        const auto image = DecodeJpeg(damaged);
        if (!image) {
            ++refused;
            continue;
        }
        EXPECT_EQ(image->pixels.size(),
                  static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace popyo

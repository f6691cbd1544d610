// The settings dialog's banner picture, decoded from JPEG with libjpeg.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace popyo {

// Rows top-down, each pixel 0x00RRGGBB: the layout of a 32-bit top-down DIB section.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// nullopt for anything that is not a whole, sound JPEG picture (empty, truncated, corrupt,
// an unsupported colour space, or larger than a banner could sensibly be).
std::optional<DecodedImage> DecodeJpeg(std::span<const std::uint8_t> bytes) noexcept;

}  // namespace popyo

#include "settings/Banner.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers
#include <new>

#include <jpeglib.h>

namespace popyo {
namespace {

// Enough for any picture the dialog could show, and small enough that a forged header
// cannot make us (or libjpeg's whole-image buffers for progressive files) ask for gigabytes.
constexpr std::uint64_t kMaxPixels = 16u * 1024u * 1024u;
// jpeg_mem_src takes an unsigned long, which is 32 bits on Windows.
constexpr std::size_t kMaxInputBytes = 64u * 1024u * 1024u;

// libjpeg reports errors by calling error_exit, which must not return. We leave through
// longjmp back into RunDecoder; every frame it skips is either libjpeg's C code or holds
// only trivially destructible objects.
struct ErrorManager {
    jpeg_error_mgr pub;  // first, so the jpeg_error_mgr* libjpeg hands us is this object
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg's warnings all mean it is patching up damaged data: a truncated file is padded
// with grey, lost entropy data is skipped. That is no longer the picture that was stored,
// so a warning ends the decode like an error; trace messages are ignored.
void EmitMessage(j_common_ptr cinfo, int msgLevel) {
    if (msgLevel < 0) {
        ErrorExit(cinfo);
    }
}

// The default prints to stderr; the engine has no console and no log.
void OutputMessage(j_common_ptr) {}

void PackRow(const JSAMPLE* rgb, std::uint32_t* out, int width) {
    for (int x = 0; x < width; ++x, rgb += 3) {
        out[x] =
            (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | std::uint32_t{rgb[2]};
    }
}

bool ReadImage(jpeg_decompress_struct& cinfo,
               std::span<const std::uint8_t> bytes,
               DecodedImage& image) {
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    if (std::uint64_t{cinfo.image_width} * cinfo.image_height > kMaxPixels) {
        return false;
    }
    // Grey pictures are widened to RGB by libjpeg; CMYK and YCCK refuse here.
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        return false;
    }
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    try {
        image.pixels.resize(static_cast<std::size_t>(image.width) *
                            static_cast<std::size_t>(image.height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // One row of RGB samples from libjpeg's own pool, released with the decoder.
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * 3, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const auto y = static_cast<std::size_t>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) {
            return false;
        }
        PackRow(row[0], image.pixels.data() + y * static_cast<std::size_t>(image.width),
                image.width);
    }
    // Reads up to the end marker, so a file cut short after its last row fails too.
    jpeg_finish_decompress(&cinfo);
    return true;
}

// The frame longjmp returns into. It holds nothing that longjmp could leave half-built,
// and reads no local after the jump.
bool RunDecoder(jpeg_decompress_struct& cinfo,
                ErrorManager& err,
                std::span<const std::uint8_t> bytes,
                DecodedImage& image) {
    if (setjmp(err.jump) != 0) {
        return false;
    }
    return ReadImage(cinfo, bytes, image);
}

}  // namespace

std::optional<DecodedImage> DecodeJpeg(std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.empty() || bytes.size() > kMaxInputBytes) {
        return std::nullopt;
    }
    ErrorManager err{};
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;

    DecodedImage image;
    const bool ok = RunDecoder(cinfo, err, bytes, image);
    // Safe on a decoder that failed at any point, even inside jpeg_create_decompress:
    // cinfo started zeroed, and libjpeg frees only the pools it got as far as making.
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        return std::nullopt;
    }
    return image;
}

}  // namespace popyo

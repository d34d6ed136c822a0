#include "framework/PngFile.h"

#include <spng.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "framework/PngHandles.h"

namespace {

// System messages ("Too many levels of symbolic links") as our other
// reasons are written, in lower case.
std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The largest file we read at all: far above any picture within the limits.
constexpr uintmax_t kMaxFileBytes = 256u << 20;

bool ReadWholeFile(const char* fileName, std::vector<unsigned char>& bytes,
                   std::string& reason) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(fileName, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    reason = "file not found";
    return false;
  }
  // The name cannot be followed at all: a loop of symbolic links, say.
  if (error) {
    reason = Lowercase(error.message());
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    reason = "not a regular file";
    return false;
  }
  FileHandle file(std::fopen(fileName, "rb"));
  if (!file) {
    reason = std::strerror(errno);
    return false;
  }
  const uintmax_t size = std::filesystem::file_size(fileName, error);
  if (error) {
    reason = error.message();
    return false;
  }
  if (size == 0) {
    reason = "file is empty";
    return false;
  }
  if (size > kMaxFileBytes) {
    reason = "file is too large";
    return false;
  }
  bytes.resize(static_cast<size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    reason = "read error";
    return false;
  }
  return true;
}

constexpr uint64_t kMaxDeflateExpansion = 1032;

uint64_t SamplesPerPixel(uint8_t colourType) {
  switch (colourType) {
    case SPNG_COLOR_TYPE_GRAYSCALE: return 1;
    case SPNG_COLOR_TYPE_TRUECOLOR: return 3;
    case SPNG_COLOR_TYPE_INDEXED: return 1;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA: return 2;
    default: return 4;
  }
}

uint32_t ReadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

std::string TooLarge(uint32_t width, uint32_t height) {
  return "picture of " + std::to_string(width) + "x" + std::to_string(height) +
         " is too large";
}

}  // namespace

bool DecodePngFile(const char* fileName, DecodedPicture& picture, std::string& reason) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(fileName, bytes, reason)) return false;

  SpngContext ctx(spng_ctx_new(0));
  if (!ctx) {
    reason = "out of memory";
    return false;
  }
  spng_set_image_limits(ctx.get(), kMaxPictureSide, kMaxPictureSide);
  spng_set_chunk_limits(ctx.get(), 1u << 24, 1u << 26);
  spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size());

  // The declared size is checked right after the header is read, before
  // anything is allocated for the picture.
  spng_ihdr header{};
  if (int err = spng_get_ihdr(ctx.get(), &header); err != 0) {
    // The limits are compared with the IHDR's size fields, the first chunk's
    // first bytes, so they were read from the file.
    if ((err == SPNG_EUSER_WIDTH || err == SPNG_EUSER_HEIGHT) && bytes.size() >= 24)
      reason = TooLarge(ReadU32(&bytes[16]), ReadU32(&bytes[20]));
    else
      reason = std::string("not a valid PNG (") + spng_strerror(err) + ")";
    return false;
  }
  if (static_cast<uint64_t>(header.width) * header.height > kMaxPicturePixels) {
    reason = TooLarge(header.width, header.height);
    return false;
  }
  // Deflate turns at most 2 bits into 258 bytes, so no file expands to more
  // than 1032 times its size. A header that declares more pixel data than
  // that cannot be honest; refusing it here keeps a small file from making
  // us allocate for a large picture it does not hold.
  const uint64_t pictureBits = static_cast<uint64_t>(header.width) * header.height *
                               SamplesPerPixel(header.color_type) * header.bit_depth;
  if (pictureBits / 8 > kMaxDeflateExpansion * bytes.size()) {
    reason = "file of " + std::to_string(bytes.size()) + " bytes is too short for a picture of " +
             std::to_string(header.width) + "x" + std::to_string(header.height);
    return false;
  }
  size_t size = 0;
  if (int err = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size); err != 0) {
    reason = std::string("cannot decode (") + spng_strerror(err) + ")";
    return false;
  }
  std::vector<unsigned char> rgba(size);
  if (int err = spng_decode_image(ctx.get(), rgba.data(), size, SPNG_FMT_RGBA8, 0);
      err != 0) {
    reason = std::string("corrupt PNG (") + spng_strerror(err) + ")";
    return false;
  }
  // The image is complete once its zlib stream ends, which can be before the
  // last image chunk's CRC was read: read on to IEND so that a damaged or
  // truncated end of the file is refused as well.
  if (int err = spng_decode_chunks(ctx.get()); err != 0) {
    reason = std::string("corrupt PNG (") + spng_strerror(err) + ")";
    return false;
  }

  picture.width = static_cast<int>(header.width);
  picture.height = static_cast<int>(header.height);
  picture.pixels.resize(static_cast<size_t>(header.width) * header.height);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const unsigned char* p = &rgba[i * 4];
    picture.pixels[i] = static_cast<uint32_t>(p[0]) << 16 |
                        static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
  return true;
}

#include "tools/png/PngWriter.h"

#include <spng.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/PngHandles.h"

namespace {

// libspng's stream callback: the encoded bytes, appended to a vector.
int AppendEncoded(spng_ctx*, void* user, void* data, size_t length) {
  auto* png = static_cast<std::vector<unsigned char>*>(user);
  const auto* bytes = static_cast<const unsigned char*>(data);
  png->insert(png->end(), bytes, bytes + length);
  return 0;
}

}  // namespace

bool EncodePng(const uint32_t* pixels, int width, int height, PngEffort effort,
               std::vector<unsigned char>& png, std::string& reason) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    rgb[i * 3 + 0] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
  }
  SpngContext ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) {
    reason = "out of memory";
    return false;
  }
  png.clear();
  spng_set_png_stream(ctx.get(), AppendEncoded, &png);
  if (effort == PngEffort::Fast) {
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, kFastPngCompressionLevel);
    spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_UP);
  }
  spng_ihdr header{};
  header.width = static_cast<uint32_t>(width);
  header.height = static_cast<uint32_t>(height);
  header.bit_depth = 8;
  header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  spng_set_ihdr(ctx.get(), &header);
  if (int err = spng_encode_image(ctx.get(), rgb.data(), rgb.size(), SPNG_FMT_PNG,
                                  SPNG_ENCODE_FINALIZE);
      err != 0) {
    reason = spng_strerror(err);
    return false;
  }
  return true;
}

bool WriteWholeFile(const char* fileName, const std::vector<unsigned char>& bytes,
                    std::string& reason) {
  FileHandle file(std::fopen(fileName, "wb"));
  if (!file) {
    reason = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0 && !std::ferror(file.get());
  const int writeError = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) {
    reason = std::strerror(written ? errno : writeError);
    return false;
  }
  return true;
}

bool EncodePngFile(const char* fileName, const uint32_t* pixels, int width, int height,
                   std::string& reason, PngEffort effort) {
  std::vector<unsigned char> png;
  return EncodePng(pixels, width, height, effort, png, reason) &&
         WriteWholeFile(fileName, png, reason);
}

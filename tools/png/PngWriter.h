// Writing 0x00RRGGBB pixels as PNG files, with libspng: for the capture tool,
// the picture's generator and the tests. The device only reads PNG files
// (framework/PngFile.h), so this is not part of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How hard zlib works when encoding. Fast is for the thousands of frames the
// capture tool writes: zlib level kFastPngCompressionLevel with every row
// filtered Up. Chosen by measuring the whole 30 s show (1800 frames, one
// run): libspng's default (level 6, a filter chosen row by row by trying
// them all) took 34 s of CPU for 48.9 MB; Up alone at level 1, 2, 3, 4, 5
// took 6.3, 6.6, 8.0, 10.2, 11.1 s for 72.1, 69.6, 66.4, 59.8, 57.7 MB. Most
// of the default's time goes on choosing filters; the show's frames are
// mostly stretched copies, whose rows repeat the row above. Level 3 keeps
// the files within 1.36 times the default's and leaves room on one core.
// Smallest is libspng's default, for a picture made once.
enum class PngEffort { Fast, Smallest };
constexpr int kFastPngCompressionLevel = 3;

// Encodes pixels as an 8-bit RGB PNG into `png`. Returns false with the
// reason on failure.
bool EncodePng(const uint32_t* pixels, int width, int height, PngEffort effort,
               std::vector<unsigned char>& png, std::string& reason);

// Writes the bytes as the whole file. Returns false with the system's reason.
bool WriteWholeFile(const char* fileName, const std::vector<unsigned char>& bytes,
                    std::string& reason);

// EncodePng, then WriteWholeFile.
bool EncodePngFile(const char* fileName, const uint32_t* pixels, int width, int height,
                   std::string& reason, PngEffort effort = PngEffort::Smallest);

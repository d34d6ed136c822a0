// brindlemox-capture: records the presentation frame by frame, as PNG files
// or as raw bgr0 video on standard output for ffmpeg. The show runs on this
// one thread either way; PNG files are encoded on worker threads
// (PngFrameWriter), while raw video starts no thread at all.
#include <unistd.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/StandardStreams.h"
#include "tools/capture/Capture.h"
#include "tools/capture/CaptureDescribe.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/CapturePicture.h"
#include "tools/capture/InterruptCleanup.h"
#include "tools/capture/PngFrameWriter.h"

namespace {

// Why standard output took no more: the reader closed its end of the pipe
// (ffmpeg stopped, `| head -c` had enough), which is no fault of ours and
// says so, or anything else.
std::string StandardOutputError() {
  if (errno == EPIPE) return "cannot write to standard output: the reader went away (broken pipe)";
  return "cannot write to standard output";
}

// Memory order B, G, R, 0 per pixel, rows from the top: ffmpeg's bgr0. On a
// little-endian machine a pixel 0x00RRGGBB lies in memory as exactly those
// bytes, so the frame goes out as it is, each word's top byte cleared: one
// pass, four words at a time, at memory speed.
bool WriteRawFrame(const uint32_t* pixels, int width, int height, std::vector<uint32_t>& buffer,
                   std::string& error) {
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  buffer.resize(count);
  uint32_t* out = buffer.data();
  if constexpr (std::endian::native == std::endian::little) {
    typedef uint32_t Words __attribute__((vector_size(16)));
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
      Words words;
      std::memcpy(&words, pixels + i, sizeof words);
      words &= 0x00FFFFFFu;
      std::memcpy(out + i, &words, sizeof words);
    }
    for (; i < count; ++i) out[i] = pixels[i] & 0x00FFFFFFu;
  } else {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
    for (size_t i = 0; i < count; ++i) {
      const uint32_t pixel = pixels[i];
      bytes[i * 4 + 0] = static_cast<unsigned char>(pixel);
      bytes[i * 4 + 1] = static_cast<unsigned char>(pixel >> 8);
      bytes[i * 4 + 2] = static_cast<unsigned char>(pixel >> 16);
      bytes[i * 4 + 3] = 0;
    }
  }
  if (std::fwrite(out, sizeof(uint32_t), count, stdout) == count) return true;
  error = StandardOutputError();
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  platform::OpenClosedStandardStreams();
  CaptureOptions options;
  std::string error;
  if (!ParseCaptureOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "brindlemox-capture: %s\n\n%s", error.c_str(), CaptureUsage());
    return 2;
  }
  if (options.help || options.version) {
    if (std::fputs(options.help ? CaptureUsage() : CaptureVersion(), stdout) < 0 ||
        std::fflush(stdout) != 0) {
      std::fprintf(stderr, "brindlemox-capture: cannot write to standard output\n");
      return 1;
    }
    return 0;
  }

  // Before any output: no directory made, no byte of video written.
  const CapturePicture picture = ChooseCapturePicture(options.picture, ToolDirectory());
  if (!picture.problem.empty() && !options.allowMissingPicture) {
    std::fprintf(stderr, "brindlemox-capture: %s\n", picture.problem.c_str());
    return 1;
  }
  options.picture = picture.path;

  CaptureDescriber describer;
  if (!describer.Open(options, error)) {
    std::fprintf(stderr, "brindlemox-capture: %s\n", error.c_str());
    return 1;
  }

  if (options.raw) {
#ifdef SIGPIPE
    // A reader that goes away must not kill us: the write fails instead.
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef _WIN32
    // Video is bytes: no line-end translation on the way out.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (isatty(STDOUT_FILENO)) {
      std::fprintf(stderr, "brindlemox-capture: --raw writes video; pipe it to a program\n");
      return 2;
    }
  } else if (!options.outDir.empty()) {
    // Stopped by a signal, the tool leaves no unfinished frame file.
    InstallInterruptCleanup();
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (ec || !std::filesystem::is_directory(options.outDir)) {
      std::fprintf(stderr, "brindlemox-capture: cannot create directory %s: %s\n",
                   options.outDir.c_str(), ec ? ec.message().c_str() : "not a directory");
      return 1;
    }
  }

  std::vector<uint32_t> rawBuffer;
  std::unique_ptr<PngFrameWriter> pngWriter;
  if (!options.outDir.empty()) {
    const unsigned workers = PngFrameWriter::DefaultWorkers();
    pngWriter = std::make_unique<PngFrameWriter>(options.outDir, workers,
                                                 PngFrameWriter::DefaultMaxFramesHeld(workers));
  }
  const FrameSink sink = [&](uint64_t frame, const uint32_t* pixels, int width, int height,
                             std::string& sinkError) {
    if (!describer.Write(frame, pixels, sinkError)) return false;
    if (options.raw) return WriteRawFrame(pixels, width, height, rawBuffer, sinkError);
    if (pngWriter) return pngWriter->Write(frame, pixels, width, height, sinkError);
    return true;
  };

  std::function<void(uint64_t, uint64_t)> progress;
  if (isatty(STDERR_FILENO)) {
    progress = [](uint64_t frame, uint64_t last) {
      if (frame % 30 == 0 || frame == last)
        std::fprintf(stderr, "\rframe %llu of %llu", static_cast<unsigned long long>(frame),
                     static_cast<unsigned long long>(last));
      if (frame == last) std::fputc('\n', stderr);
    };
  }

  int exitCode = RunCapture(options, sink, error, progress);
  // The last frames may still be encoding: every file is written before the
  // tool says it is done.
  if (exitCode == 0 && pngWriter && !pngWriter->Finish(error)) exitCode = 1;
  if (exitCode == 0 && !describer.Finish(error)) exitCode = 1;
  if (exitCode == 0 && options.raw && std::fflush(stdout) != 0) {
    error = StandardOutputError();
    exitCode = 1;
  }
  if (exitCode != 0)
    std::fprintf(stderr, "brindlemox-capture: %s\n", error.empty() ? "failed" : error.c_str());
  return exitCode;
}

#include "tools/capture/CaptureDescribe.h"

#include <cerrno>
#include <cstring>

#include "tools/explorer/ShowDescription.h"

CaptureDescriber::~CaptureDescriber() {
  if (ownsFile && file != nullptr) std::fclose(file);
}

bool CaptureDescriber::Open(const CaptureOptions& captureOptions, std::string& error) {
  options = &captureOptions;
  if (captureOptions.describe.empty()) return true;
  if (captureOptions.describe == "-") {
    file = stdout;
    name = "standard output";
    return true;
  }
  name = captureOptions.describe;
  file = std::fopen(name.c_str(), "w");
  if (file == nullptr) {
    error = "cannot write " + name + ": " + std::strerror(errno);
    return false;
  }
  ownsFile = true;
  return true;
}

bool CaptureDescriber::Write(uint64_t frame, const uint32_t* pixels, std::string& error) {
  if (file == nullptr) return true;
  const std::string line =
      DescribeDrawnFrame(frame, options->fps, options->seed, pixels, options->points);
  if (std::fwrite(line.data(), 1, line.size(), file) != line.size() ||
      std::fputc('\n', file) == EOF) {
    error = "cannot write " + name;
    return false;
  }
  return true;
}

bool CaptureDescriber::Finish(std::string& error) {
  if (file == nullptr) return true;
  bool ok = std::fflush(file) == 0 && std::ferror(file) == 0;
  if (ownsFile) {
    ok = std::fclose(file) == 0 && ok;
    ownsFile = false;
  }
  file = nullptr;
  if (!ok) error = "cannot write " + name;
  return ok;
}

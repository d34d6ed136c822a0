// The capture tool's --describe: for each written frame one line of JSON
// describing it (tools/explorer/ShowDescription.h, the explorer's own text),
// with the readouts of the --point points.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/capture/CaptureOptions.h"

class CaptureDescriber {
 public:
  CaptureDescriber() = default;
  ~CaptureDescriber();
  CaptureDescriber(const CaptureDescriber&) = delete;
  CaptureDescriber& operator=(const CaptureDescriber&) = delete;

  // Opens options.describe for writing ('-': standard output); nothing to do
  // when it is empty. False, with the reason, when the file cannot be made.
  bool Open(const CaptureOptions& options, std::string& error);
  bool IsOpen() const { return file != nullptr; }

  // The line of the frame the show has just drawn, whose presented pixels
  // these are. False when it cannot be written.
  bool Write(uint64_t frame, const uint32_t* pixels, std::string& error);

  // Flushes and closes; false when anything could not be written.
  bool Finish(std::string& error);

 private:
  const CaptureOptions* options = nullptr;
  std::FILE* file = nullptr;
  bool ownsFile = false;
  std::string name;  // for the messages
};

// Writes the capture tool's frames as PNG files, encoding them on worker
// threads while the show goes on rendering on its own thread.
//
// Each frame handed over is copied, so the caller's pixels may change at
// once. At most a fixed number of frames is held at any time (waiting,
// being encoded, or encoded and waiting for its turn): when all are taken,
// handing over the next one waits, so memory stays bounded however slow the
// encoding. Files are written by the caller's thread in the order the frames
// came, so the first failure, in frame order, is the one reported and no
// later frame's file is written after it, as when everything ran on one
// thread. With no workers, everything runs on the caller's thread and no
// thread is started. A frame's file is either whole or absent: it is
// written under a name of its own, FILE.partial, and renamed when complete;
// one that cannot be written whole leaves nothing behind.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// DIR/frame_NNNNNN.png, the name of frame k (six digits, more when needed).
std::string PngFramePath(const std::string& dir, uint64_t frame);

class PngFrameWriter {
 public:
  // Writes into dir, which exists. maxFramesHeld is at least 1.
  PngFrameWriter(std::string dir, unsigned workers, size_t maxFramesHeld);
  // Stops the workers; frames not yet written are dropped.
  ~PngFrameWriter();
  PngFrameWriter(const PngFrameWriter&) = delete;
  PngFrameWriter& operator=(const PngFrameWriter&) = delete;

  // Takes a copy of the frame to encode, after writing the files of the
  // frames already encoded. False once any frame could not be written; the
  // error names its file ("cannot write PATH: reason").
  bool Write(uint64_t frame, const uint32_t* pixels, int width, int height, std::string& error);

  // Waits for every frame handed over and writes it. False as Write.
  bool Finish(std::string& error);

  // The most frames held at once so far: never above maxFramesHeld.
  size_t PeakFramesHeld();

  // Workers and frames held that suit this machine: a worker per core.
  static unsigned DefaultWorkers();
  static size_t DefaultMaxFramesHeld(unsigned workers);

 private:
  struct Job {
    uint64_t frame = 0;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    std::vector<unsigned char> png;
    std::string reason;  // why encoding failed
    bool encoded = false;
    bool ok = false;
  };

  void Encode(Job& job);
  void WorkerLoop();
  // Writes the encoded frames at the front, in order, while more than
  // `holdAtMost` frames are held, waiting for the front one when needed;
  // then any others already encoded. Called and returns with the lock held.
  bool WriteEncoded(std::unique_lock<std::mutex>& lock, size_t holdAtMost, std::string& error);

  const std::string dir_;
  const size_t maxFramesHeld_;
  std::mutex mutex_;
  std::condition_variable workWaiting_;
  std::condition_variable jobEncoded_;
  std::deque<std::unique_ptr<Job>> held_;  // in frame order; written from the front
  std::deque<Job*> toEncode_;              // the held jobs no worker has taken yet
  std::vector<std::unique_ptr<Job>> spare_;  // written jobs, their buffers kept for reuse
  size_t peakHeld_ = 0;
  bool stopping_ = false;
  bool failed_ = false;
  std::string failure_;
  std::vector<std::thread> workers_;
};

#include "tools/capture/PngFrameWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "tools/capture/InterruptCleanup.h"
#include "tools/png/PngWriter.h"

namespace {

// Writes the bytes as the file `path`, whole or not at all: into
// PATH.partial beside it first, which is renamed to PATH once complete (a
// rename within a folder replaces the name in one step). On failure the
// partial file is removed and PATH is left as it was, so that a disk that
// fills up leaves no cut-short file that looks like a frame. A signal that
// stops the tool meanwhile removes the partial file too (InterruptCleanup.h).
bool WriteWholeFileOrNothing(const std::string& path, const std::vector<unsigned char>& bytes,
                             std::string& reason) {
  const std::string partial = path + ".partial";
  RemoveOnInterrupt(partial.c_str());
  std::error_code error;
  bool written = WriteWholeFile(partial.c_str(), bytes, reason);
  if (written) {
    std::filesystem::rename(partial, path, error);
    written = !error;
    if (!written) reason = error.message();
  }
  if (!written) std::filesystem::remove(partial, error);
  RemoveOnInterrupt(nullptr);
  return written;
}

}  // namespace

std::string PngFramePath(const std::string& dir, uint64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%06llu.png", static_cast<unsigned long long>(frame));
  return (std::filesystem::path(dir) / name).string();
}

PngFrameWriter::PngFrameWriter(std::string dir, unsigned workers, size_t maxFramesHeld)
    : dir_(std::move(dir)), maxFramesHeld_(std::max<size_t>(1, maxFramesHeld)) {
  // A thread the system refuses leaves fewer workers; with none the caller's
  // thread encodes, which is slower but writes the same files. The workers
  // take no SIGINT or SIGTERM: those go to the thread that writes the files.
  RunWithInterruptsBlocked([&] {
    try {
      for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
    }
  });
}

PngFrameWriter::~PngFrameWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  workWaiting_.notify_all();
  for (std::thread& t : workers_) t.join();
}

unsigned PngFrameWriter::DefaultWorkers() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
}

size_t PngFrameWriter::DefaultMaxFramesHeld(unsigned workers) {
  // Each worker busy with one frame and one more waiting for it, and two
  // encoded frames that may wait for an earlier one to be written.
  return 2 * static_cast<size_t>(workers) + 2;
}

void PngFrameWriter::Encode(Job& job) {
  job.ok = EncodePng(job.pixels.data(), job.width, job.height, PngEffort::Fast, job.png,
                     job.reason);
}

void PngFrameWriter::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    workWaiting_.wait(lock, [this] { return stopping_ || !toEncode_.empty(); });
    if (stopping_) return;
    Job* job = toEncode_.front();
    toEncode_.pop_front();
    lock.unlock();
    Encode(*job);
    lock.lock();
    job->encoded = true;
    jobEncoded_.notify_all();
  }
}

bool PngFrameWriter::WriteEncoded(std::unique_lock<std::mutex>& lock, size_t holdAtMost,
                                  std::string& error) {
  while (!failed_ && !held_.empty()) {
    if (!held_.front()->encoded) {
      if (held_.size() <= holdAtMost) break;
      jobEncoded_.wait(lock);
      continue;
    }
    std::unique_ptr<Job> job = std::move(held_.front());
    held_.pop_front();
    // Only this thread writes files, so the lock is not needed for it.
    lock.unlock();
    const std::string path = PngFramePath(dir_, job->frame);
    std::string reason = job->reason;
    const bool written = job->ok && WriteWholeFileOrNothing(path, job->png, reason);
    lock.lock();
    if (!written) {
      failed_ = true;
      failure_ = "cannot write " + path + ": " + reason;
    }
    spare_.push_back(std::move(job));
  }
  if (failed_) error = failure_;
  return !failed_;
}

bool PngFrameWriter::Write(uint64_t frame, const uint32_t* pixels, int width, int height,
                           std::string& error) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Room for one more frame: at most maxFramesHeld_ - 1 held before it.
  if (!WriteEncoded(lock, maxFramesHeld_ - 1, error)) return false;
  std::unique_ptr<Job> job;
  if (spare_.empty()) {
    job = std::make_unique<Job>();
  } else {
    job = std::move(spare_.back());
    spare_.pop_back();
  }
  lock.unlock();
  job->frame = frame;
  job->width = width;
  job->height = height;
  job->pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  job->reason.clear();
  job->encoded = false;
  job->ok = false;
  const bool onThisThread = workers_.empty();
  if (onThisThread) {
    Encode(*job);
    job->encoded = true;
  }
  lock.lock();
  if (!onThisThread) toEncode_.push_back(job.get());
  held_.push_back(std::move(job));
  peakHeld_ = std::max(peakHeld_, held_.size());
  if (onThisThread) return WriteEncoded(lock, 0, error);
  lock.unlock();
  workWaiting_.notify_one();
  return true;
}

bool PngFrameWriter::Finish(std::string& error) {
  std::unique_lock<std::mutex> lock(mutex_);
  return WriteEncoded(lock, 0, error);
}

size_t PngFrameWriter::PeakFramesHeld() {
  std::lock_guard<std::mutex> lock(mutex_);
  return peakHeld_;
}

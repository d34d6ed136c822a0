#include "tools/explorer/ShowSnapshot.h"

#include <cstdlib>
#include <cstring>
#include <set>

#include "framework/Effect.h"
#include "framework/Helpers.h"
#include "framework/StateVisitor.h"
#include "shell/ShellState.h"

namespace {

class Saver : public StateVisitor {
 public:
  Saver(ShowSnapshot& target, SurfaceBuffers& surfaceBuffers)
      : snapshot(target), buffers(surfaceBuffers) {}

  void Bytes(void* data, size_t size) override {
    const auto* bytes = static_cast<const unsigned char*>(data);
    snapshot.values.insert(snapshot.values.end(), bytes, bytes + size);
  }
  void Pixels(Surface* surface) override {
    SurfaceSnapshot entry;
    entry.surface = surface;
    if (surface != nullptr) entry.pixels = buffers.Take(*surface);
    snapshot.surfaces.push_back(std::move(entry));
  }

 private:
  ShowSnapshot& snapshot;
  SurfaceBuffers& buffers;
};

class Restorer : public StateVisitor {
 public:
  Restorer(const ShowSnapshot& source, SurfaceBuffers& surfaceBuffers)
      : snapshot(source), buffers(surfaceBuffers) {}

  void Bytes(void* data, size_t size) override {
    // The same show visits the same members: a mismatch is a fault here.
    if (valueAt + size > snapshot.values.size()) std::abort();
    std::memcpy(data, snapshot.values.data() + valueAt, size);
    valueAt += size;
  }
  void Pixels(Surface* surface) override {
    if (surfaceAt >= snapshot.surfaces.size()) std::abort();
    const SurfaceSnapshot& entry = snapshot.surfaces[surfaceAt++];
    if (entry.surface != surface) std::abort();
    if (surface != nullptr) buffers.Put(*surface, entry.pixels);
  }

 private:
  const ShowSnapshot& snapshot;
  SurfaceBuffers& buffers;
  size_t valueAt = 0;
  size_t surfaceAt = 0;
};

// Everything the show carries from frame to frame, for either visitor. The
// device's own members (its locked surface, its scratch) only decide how a
// copy is made, never its pixels.
void VisitShow(StateVisitor& visitor) {
  visitor.Value(shell.runState);
  visitor.Value(shell.frameCount);
  visitor.Value(shell.demoTimer.currentCount);
  visitor.Value(shell.demoTimer.startCount);
  visitor.Value(shell.demoTimer.frequency);
  visitor.Value(shell.titleText);
  for (int slot = 0; slot < kEffectCount; ++slot) shell.EffectTable[slot]->VisitState(visitor);
}

}  // namespace

std::shared_ptr<const PixelBuffer> SurfaceBuffers::Take(Surface& surface) {
  const Surface& reading = surface;
  const uint32_t* pixels = reading.Pixels();  // first: a pending clear is a change
  const uint64_t version = surface.Changes().Version();
  auto found = held.find(&surface);
  if (found != held.end() && found->second.version == version) return found->second.pixels;
  const size_t count =
      static_cast<size_t>(surface.Width()) * static_cast<size_t>(surface.Height());
  auto copy = std::make_shared<const PixelBuffer>(pixels, pixels + count);
  held[&surface] = {version, copy};
  return copy;
}

void SurfaceBuffers::Put(Surface& surface, const std::shared_ptr<const PixelBuffer>& pixels) {
  auto found = held.find(&surface);
  if (found != held.end() && found->second.pixels == pixels &&
      found->second.version == surface.Changes().Version())
    return;
  std::memcpy(surface.PixelsToReplace(), pixels->data(), pixels->size() * sizeof(uint32_t));
  held[&surface] = {surface.Changes().Version(), pixels};
}

void SaveShow(ShowSnapshot& snapshot, SurfaceBuffers& buffers) {
  snapshot = ShowSnapshot{};
  Saver saver(snapshot, buffers);
  uint32_t random = RandomState();
  saver.Value(random);
  VisitShow(saver);
}

void RestoreShow(const ShowSnapshot& snapshot, SurfaceBuffers& buffers) {
  Restorer restorer(snapshot, buffers);
  uint32_t random = 0;
  restorer.Value(random);
  SeedRandom(random);
  VisitShow(restorer);
}

size_t SnapshotBytes(const std::vector<const ShowSnapshot*>& snapshots,
                     const SurfaceBuffers& buffers) {
  size_t total = 0;
  std::set<const PixelBuffer*> counted;
  buffers.VisitHeld([&](const PixelBuffer* pixels) {
    if (counted.insert(pixels).second) total += pixels->size() * sizeof(uint32_t);
  });
  for (const ShowSnapshot* snapshot : snapshots) {
    total += snapshot->values.size() + snapshot->surfaces.size() * sizeof(SurfaceSnapshot);
    for (const SurfaceSnapshot& entry : snapshot->surfaces)
      if (entry.pixels && counted.insert(entry.pixels.get()).second)
        total += entry.pixels->size() * sizeof(uint32_t);
  }
  return total;
}

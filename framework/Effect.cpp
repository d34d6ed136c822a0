#include "framework/Effect.h"

#include "framework/StateVisitor.h"

Surface* backBuffer = nullptr;

Effect::Effect()
    : started(false),
      device(nullptr),
      surface(nullptr),
      startMs(0),
      endMs(0),
      width(0),
      height(0),
      timer(new Timer()),
      frameMs(0) {}

Effect::~Effect() {
  if (surface != nullptr) {
    surface->PageUnlock(0);
    device->ReleaseSurface(surface);
  }
  delete timer;
}

void Effect::Start() { timer->Reset(); }

void Effect::SetTimeWindow(uint32_t start, uint32_t end) {
  startMs = start;
  endMs = end;
}

bool Effect::IsActive(uint32_t t) { return startMs <= t && t < endMs; }

void Effect::CreateOwnSurface(QelGFX* owner, int32_t surfaceWidth, int32_t surfaceHeight) {
  device = owner;
  width = surfaceWidth;
  height = surfaceHeight;
  device->CreateSurface(static_cast<uint16_t>(width), static_cast<uint16_t>(height), &surface);
  if (surface != nullptr) surface->PageLock(0);
}

uint32_t Effect::BeginFrame() {
  if (!started) {
    Start();
    started = true;
  }
  frameMs = timer->ElapsedMs();
  return frameMs;
}

void Effect::VisitState(StateVisitor& visitor) {
  visitor.Value(started);
  visitor.Value(startMs);
  visitor.Value(endMs);
  visitor.Value(timer->currentCount);
  visitor.Value(timer->startCount);
  visitor.Value(timer->frequency);
  visitor.Value(frameMs);
  visitor.Pixels(surface);
}

const char* Effect::Name() const { return ""; }

void Effect::Describe(Description&) const {}

void Effect::DescribePoint(int, int, Description&) const {}

void Effect::PresentSurface() { device->Blt(backBuffer, surface); }

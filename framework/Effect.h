// The base of every screen effect: the device it draws with, one offscreen
// surface of its own, its time window on the timeline and its own clock.
//
// The shell drives effects only through the four virtual operations. Each
// concrete Render follows the same frame:
//   1. BeginFrame(): on the first call Start() restarts the effect's clock;
//      then the clock is read, giving the effect's own time in ms.
//   2. draw into `surface`;
//   3. PresentSurface(): copy all of `surface` over the shell's back buffer.
// Without a surface (the device could not make one) the starfield and the
// plasma return before the copy, and the back buffer stays as the shell
// cleared it; the others still call PresentSurface, which has nothing to copy.
// Because Start only runs in the first Render, an effect's time counts from
// the first frame of its own window, not from the start of the show.
#pragma once

#include <cstdint>

#include "framework/QelGFX.h"
#include "framework/Surface.h"
#include "framework/Timer.h"

class Description;
class StateVisitor;

// The device's back buffer as the shell keeps it: set once after the device
// is made, and the target of every effect's final copy.
extern Surface* backBuffer;

class Effect {
 public:
  Effect();

  virtual void Start();
  virtual void Render() = 0;
  virtual void SetTimeWindow(uint32_t start, uint32_t end);
  virtual bool IsActive(uint32_t t);
  // Page-unlocks and releases `surface` on the still-living device, then
  // frees the timer.
  virtual ~Effect();

  // For the explorer, after the shell's four operations (which keep their
  // slots): VisitState walks over everything the effect carries from one
  // frame to the next; the base visits its clock, its flags and its
  // surface, each effect adds its own arrays. Name is the effect's name
  // ("tile zoom" etc.; empty in the base). Describe writes the numbers of the
  // frame last drawn as fields of the JSON object being written, read from
  // the effect's members; DescribePoint does the same for the screen pixel
  // (x, y), 0..639 and 0..479. The base writes nothing.
  virtual void VisitState(StateVisitor& visitor);
  virtual const char* Name() const;
  virtual void Describe(Description& out) const;
  virtual void DescribePoint(int x, int y, Description& out) const;

  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  bool started;
  QelGFX* device;
  Surface* surface;
  uint32_t startMs;
  uint32_t endMs;
  int32_t width;
  int32_t height;
  Timer* timer;
  // The effect's own time in the frame it drew last, in ms (0 before).
  uint32_t frameMs;

 protected:
  // What every concrete constructor does first: keep the device, set the
  // size, create `surface` and page-lock it.
  void CreateOwnSurface(QelGFX* owner, int32_t surfaceWidth, int32_t surfaceHeight);

  // The common prologue of Render; returns the effect's own time in ms.
  uint32_t BeginFrame();

  // The common end of Render: all of `surface` over the back buffer.
  void PresentSurface();
};

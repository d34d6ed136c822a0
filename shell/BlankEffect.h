// A stand-in for an effect that is not built yet: it copies its black
// 640x480 surface over the back buffer.
#pragma once

#include "framework/Effect.h"

class BlankEffect : public Effect {
 public:
  explicit BlankEffect(QelGFX* owner) { CreateOwnSurface(owner, 640, 480); }
  void Render() override {
    BeginFrame();
    PresentSurface();
  }
};

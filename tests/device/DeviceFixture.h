// A device on the headless backend for each test, and surfaces made on it
// that are released when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/QelGFX.h"
#include "platform/headless/HeadlessControl.h"
#include "tests/HeadlessDevice.h"

class DeviceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    headless = std::make_unique<HeadlessDevice>();
    device = headless->device;
  }
  void TearDown() override {
    for (Surface* s : made) device->ReleaseSurface(s);
    headless.reset();
    platform::headless::Reset();
  }

  // A new surface, released when the test ends.
  Surface* Make(uint16_t w, uint16_t h) {
    Surface* s = nullptr;
    EXPECT_EQ(device->CreateSurface(w, h, &s), 0);
    made.push_back(s);
    return s;
  }

  std::unique_ptr<HeadlessDevice> headless;
  QelGFX* device = nullptr;
  std::vector<Surface*> made;
};

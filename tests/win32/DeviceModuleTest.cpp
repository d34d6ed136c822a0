// The graphics device as its own module, QelGFX36.dll: what it exports, its
// failure reaching the program across the module boundary, and its frames
// reaching the window.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "framework/QelGFX.h"
#include "tests/win32/Win32TestSupport.h"

using win32test::TestWindow;

namespace {

HMODULE DeviceModule() { return GetModuleHandleA("QelGFX36.dll"); }

// An exported accessor, called as the member function it is. GCC's pointer
// to a non-virtual member function is the function's address followed by an
// adjustment of `this` (here 0), on 32-bit and 64-bit x86 alike, so one is
// made from the address the module's export table gives.
template <typename Result>
using Accessor = Result (QelGFX::*)() const;

template <typename Result>
Accessor<Result> Export(const char* name) {
  struct {
    FARPROC address;
    ptrdiff_t adjustment;
  } raw{GetProcAddress(DeviceModule(), name), 0};
  Accessor<Result> accessor;
  static_assert(sizeof raw == sizeof accessor);
  std::memcpy(&accessor, &raw, sizeof accessor);
  return accessor;
}

// A client pixel as the screen shows it, 0x00RRGGBB.
uint32_t ClientPixel(HWND window, int x, int y) {
  const HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return static_cast<uint32_t>(GetRValue(colour)) << 16 |
         static_cast<uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
}

}  // namespace

TEST(DeviceModule, TheProgramUsesTheDeviceFromQelGFX36Dll) {
  ASSERT_NE(DeviceModule(), nullptr);
  EXPECT_NE(GetProcAddress(DeviceModule(), "_ZN6QelGFX4FlipEv"), nullptr);
}

TEST(DeviceModule, TheInlineAccessorsAreExportedUnderTheirDecoratedNamesAndWork) {
  TestWindow window("DeviceModuleAccessors");
  ASSERT_NE(window.handle, nullptr);
  const QelGFX device(640, 480, 32, 2, 2);
  const auto getBpp = Export<uint32_t>("_ZNK6QelGFX6GetBppEv");
  const auto getScreenX = Export<uint16_t>("_ZNK6QelGFX10GetScreenXEv");
  const auto getScreenY = Export<uint16_t>("_ZNK6QelGFX10GetScreenYEv");
  ASSERT_NE(getBpp, nullptr);
  ASSERT_NE(getScreenX, nullptr);
  ASSERT_NE(getScreenY, nullptr);
  EXPECT_EQ((device.*getBpp)(), 32u);
  EXPECT_EQ((device.*getScreenX)(), 640);
  EXPECT_EQ((device.*getScreenY)(), 480);
}

TEST(DeviceModule, ItsFailureIsCaughtInTheProgram) {
  TestWindow window("DeviceModuleFailure");
  ASSERT_NE(window.handle, nullptr);
  EXPECT_THROW(QelGFX(640, 480, 16, 2, 2), std::runtime_error);
}

TEST(DeviceModule, WithoutAVisibleWindowThereIsNothingToPresentInto) {
  TestWindow hidden("DeviceModuleHidden", false);
  ASSERT_NE(hidden.handle, nullptr);
  EXPECT_THROW(QelGFX(640, 480, 32, 2, 2), std::runtime_error);
}

TEST(DeviceModule, FlipShrinksTheWholeBackBufferIntoTheClientArea) {
  TestWindow window("DeviceModuleFlip");
  ASSERT_NE(window.handle, nullptr);
  QelGFX device(640, 480, 32, 2, 2);
  // Left half red, right half blue, and the bottom row green.
  uint32_t* pixels = device.backBuffer->Pixels();
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      pixels[y * 640 + x] = y == 479 ? 0x00FF00u : x < 320 ? 0xFF0000u : 0x0000FFu;
  device.Flip();

  RECT client;
  ASSERT_TRUE(GetClientRect(window.Hwnd(), &client));
  const int w = client.right;
  const int h = client.bottom;
  ASSERT_LT(w, 640);
  ASSERT_LT(h, 480);
  EXPECT_EQ(ClientPixel(window.Hwnd(), 0, 0), 0xFF0000u);
  EXPECT_EQ(ClientPixel(window.Hwnd(), w / 2 - 2, h / 2), 0xFF0000u);
  // Cropped rather than shrunk, the frame would still be red here.
  EXPECT_EQ(ClientPixel(window.Hwnd(), w / 2 + 2, h / 2), 0x0000FFu);
  EXPECT_EQ(ClientPixel(window.Hwnd(), w - 1, h / 2), 0x0000FFu);
  EXPECT_EQ(ClientPixel(window.Hwnd(), w - 1, h - 1), 0x00FF00u);
}

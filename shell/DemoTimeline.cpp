// The timeline: set-up of the device and the four effects, one frame, and
// the shut-down.
//
//   slot 0  tile zoom        0 ..  8000 ms
//   slot 1  starfield     8000 .. 16000 ms
//   slot 2  plasma       16000 .. 26000 ms
//   slot 3  metaballs    26000 .. the end
//
// The windows are half-open and touch, so exactly one effect draws in each
// frame (none only at 4294967295 ms). The timeline's zero is the end of
// set-up; each effect's own clock starts at its first frame.
#include <cstdio>
#include <cstring>
#include <exception>

#include "effects/MetaballEffect.h"
#include "effects/PlasmaEffect.h"
#include "effects/StarfieldEffect.h"
#include "effects/TileZoomEffect.h"
#include "framework/Helpers.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"

namespace {

struct TimeWindow {
  uint32_t start;
  uint32_t end;
};

constexpr TimeWindow kTimeline[kEffectCount] = {
    {0, 8000}, {8000, 16000}, {16000, 26000}, {26000, 0xFFFFFFFFu}};

// The device could not be made, for the reason given (null when it gave
// none): one line on standard error with the box's words and the reason,
// which the box does not show, then the box. The line comes first, so that
// it stands there while the box waits, and also where no box can be shown.
// Before the box the exit code becomes 1: while it is up the user may close
// the window, whose WM_DESTROY posts the exit code there and then.
void FailSetup(const char* reason) {
  constexpr char kText[] = "Could not initialize graphics subsystem";
  constexpr char kCaption[] = "QelGFX Fatal Error";
  shell.device = nullptr;
  shell.exitCode = 1;
  if (reason != nullptr)
    std::fprintf(stderr, "%s: %s (%s)\n", kCaption, kText, reason);
  else
    std::fprintf(stderr, "%s: %s\n", kCaption, kText);
  platform::ShowErrorMessageBox(kText, kCaption);
  platform::PostWindowMessage(shell.mainWindow, platform::WM_CLOSE, 0, 0);
}

}  // namespace

bool SetupDemo() {
  SeedRandom(platform::TickCountMs());
  std::memcpy(shell.titleText, kProgramName, sizeof kProgramName);

  try {
    shell.device = new QelGFX(640, 480, 32, 2, 2);
  } catch (const std::exception& failure) {
    FailSetup(failure.what());
    return false;
  } catch (...) {
    FailSetup(nullptr);
    return false;
  }
  backBuffer = shell.device->backBuffer;

  shell.EffectTable = new Effect*[kEffectCount]();
  shell.EffectTable[0] = new TileZoomEffect(shell.device);
  shell.EffectTable[1] = new StarfieldEffect(shell.device);
  shell.EffectTable[2] = new PlasmaEffect(shell.device);
  shell.EffectTable[3] = new MetaballEffect(shell.device);

  for (int slot = 0; slot < kEffectCount; ++slot)
    shell.EffectTable[slot]->SetTimeWindow(kTimeline[slot].start, kTimeline[slot].end);

  shell.demoTimer.Reset();
  return true;
}

void FrameLoop() {
  ++shell.frameCount;
  const uint32_t t = shell.demoTimer.ElapsedMs();
  shell.device->ClearSurf(0, backBuffer);
  for (int slot = 0; slot < kEffectCount; ++slot) {
    if (shell.EffectTable[slot]->IsActive(t)) shell.EffectTable[slot]->Render();
  }
  shell.device->Flip();

  if (shell.frameCount % 15 == 0) {
    uint32_t seconds = shell.demoTimer.ElapsedSeconds();
    if (seconds == 0) seconds = 1;
    const uint32_t rate = shell.frameCount / seconds;
    char scratch[32];
    std::snprintf(scratch, sizeof scratch, " :: %d fps   ", static_cast<int>(rate));
    std::memcpy(shell.titleText + kProgramNameLength, scratch, std::strlen(scratch) + 1);
    platform::SetWindowTitle(shell.mainWindow, shell.titleText);
  }
}

void ShutdownDemo() {
  if (shell.EffectTable != nullptr) {
    for (int slot = 0; slot < kEffectCount; ++slot) {
      delete shell.EffectTable[slot];
      shell.EffectTable[slot] = nullptr;
    }
    delete[] shell.EffectTable;
    shell.EffectTable = nullptr;
  }
  delete shell.device;
  shell.device = nullptr;
  backBuffer = nullptr;
}

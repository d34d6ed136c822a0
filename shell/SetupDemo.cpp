// Set-up: the random seed, the title, the device and the effects of the
// timeline, then the timeline's zero.
#include <cstdio>
#include <cstring>
#include <exception>

#include "framework/Helpers.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"
#include "shell/Timeline.h"

namespace {

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

  // Each effect is made in slot order and stored as soon as it exists, then
  // every one is given its window.
  shell.EffectTable = new Effect*[kEffectCount]();
  for (int slot = 0; slot < kEffectCount; ++slot)
    shell.EffectTable[slot] = kTimeline[slot].make(shell.device);
  for (int slot = 0; slot < kEffectCount; ++slot)
    shell.EffectTable[slot]->SetTimeWindow(kTimeline[slot].startMs, kTimeline[slot].endMs);

  shell.demoTimer.Reset();
  return true;
}

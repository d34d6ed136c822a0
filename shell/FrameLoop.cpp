// One frame: clear the back buffer, draw the effect whose window holds the
// timeline's time, present, and every 15 frames the average rate in the title.
#include <cstdio>
#include <cstring>

#include "shell/DemoShell.h"
#include "shell/ShellState.h"

void FrameLoop() {
  ++shell.frameCount;
  const uint32_t t = shell.demoTimer.ElapsedMs();
  shell.device->ClearSurf(0, backBuffer);
  for (int slot = 0; slot < kEffectCount; ++slot) {
    if (shell.EffectTable[slot]->IsActive(t)) shell.EffectTable[slot]->Render();
  }
  shell.device->Flip();

  // The rate is all frames over the whole seconds since the timeline
  // started (the first second counts as one), not a recent rate.
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

// Shut-down: the effects first, while the device they give their surfaces
// back to still exists, then the table, then the device.
#include "shell/DemoShell.h"
#include "shell/ShellState.h"

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

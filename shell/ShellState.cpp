#include "shell/ShellState.h"

ShellState shell;

void ResetShellState() {
  shell = ShellState{};
  backBuffer = nullptr;
}

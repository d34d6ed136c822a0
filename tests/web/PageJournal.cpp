// The page tests' observer of the program (platform/Observer.h), built into
// their page only (cmake/WebProgram.cmake): it journals the stop in
// window.brindlemox.journal (PageWatch.js), each key and close message the
// window handles, the device's closing, WM_DESTROY and WM_QUIT, each with the
// count of frames presented by then.
#include <emscripten.h>

#include <cstdio>

#include "platform/Observer.h"

namespace {

EM_JS(void, PageJournal, (const char* what), {
  const page = Module.brindlemoxPage;
  page.journal.push({what: UTF8ToString(what), frames: page.framesPresented});
});

class PageJournalObserver final : public platform::Observer {
 public:
  void MessageDispatched(const platform::Message& message) override {
    char text[48];
    switch (message.message) {
      case platform::WM_KEYDOWN:
      case platform::WM_SYSKEYDOWN:
        std::snprintf(text, sizeof text, "%s %u",
                      message.message == platform::WM_KEYDOWN ? "WM_KEYDOWN" : "WM_SYSKEYDOWN",
                      static_cast<unsigned>(message.wParam));
        PageJournal(text);
        break;
      case platform::WM_CLOSE:
        PageJournal("WM_CLOSE");
        break;
      default:
        break;
    }
  }

  void DeviceClosed() override { PageJournal("device closed"); }

  void WindowDestroyed(platform::WindowHandle) override { PageJournal("WM_DESTROY"); }

  void QuitTaken(int exitCode) override {
    char text[32];
    std::snprintf(text, sizeof text, "WM_QUIT %d", exitCode);
    PageJournal(text);
  }
};

PageJournalObserver journal;

// Before the program's main runs.
struct Watching {
  Watching() { platform::observer = &journal; }
} watching;

}  // namespace

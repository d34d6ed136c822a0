// The real brindlemox.exe as Windows starts it: its own process, started in
// its own folder or in another, with the show command its starter asks for,
// and watched from outside through its windows, its standard error and its
// exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "tests/ScratchDirectory.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kPatienceMs = 60000;  // Wine under load starts slowly
constexpr char kMissing[] = "Brindlemox: cannot load picture \"pvn_quad.png\": file not found\n";

// The folder of the test program, which the build shares with brindlemox.exe,
// its DLLs and its picture.
fs::path BuildFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

std::string TitleOf(HWND window) {
  char text[128] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}


// brindlemox.exe running as a process of its own, its standard output and
// error going to a file. Ended by force if a test leaves it running.
class ProgramProcess {
 public:
  ProgramProcess(const fs::path& program, const fs::path& workingDirectory, WORD showCommand)
      : said(fs::temp_directory_path() /
             ("brindlemox-process-said-" + std::to_string(GetCurrentProcessId()) + ".txt")) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE output = CreateFileA(said.string().c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = showCommand;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string commandLine = "\"" + program.string() + "\"";
    started = CreateProcessA(program.string().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                             0, nullptr, workingDirectory.string().c_str(), &startup,
                             &process) != 0;
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  }
  ~ProgramProcess() {
    if (started) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, kPatienceMs);
      }
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    std::error_code ignored;
    fs::remove(said, ignored);
  }
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // The process's top-level window of that class for which `ready` holds,
  // once there is one; null when none came in time.
  template <typename Ready>
  HWND WaitForWindow(const char* className, Ready ready) const {
    const DWORD start = GetTickCount();
    do {
      if (const HWND window = FindWindowOf(className); window != nullptr && ready(window))
        return window;
      Sleep(50);
    } while (GetTickCount() - start < kPatienceMs);
    return nullptr;
  }

  // The exit code, or -1 when the process did not end in time.
  long ExitCode() const {
    if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
  }

  // What the program wrote to standard error (and output) so far, with
  // Windows' line ends as "\n".
  std::string Said() const {
    std::ifstream in(said, std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    std::erase(text, '\r');
    return text;
  }

  bool started = false;

 private:
  struct Search {
    DWORD processId;
    const char* className;
    HWND found;
  };

  static BOOL CALLBACK TakeIfSought(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner != search->processId || std::string(name) != search->className) return TRUE;
    search->found = window;
    return FALSE;
  }

  HWND FindWindowOf(const char* className) const {
    Search search{process.dwProcessId, className, nullptr};
    EnumWindows(TakeIfSought, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  fs::path said;
  PROCESS_INFORMATION process{};
};

bool Anything(HWND) { return true; }

// A message box's text, in the static control Windows gives the id 0xFFFF.
std::string BoxText(HWND box) {
  char text[128] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

// A message box is made hidden and filled in before it is shown.
bool ShownWithItsText(HWND box) { return IsWindowVisible(box) && !BoxText(box).empty(); }
bool ShowsTheFrameRate(HWND window) { return TitleOf(window).rfind("Brindlemox :: ", 0) == 0; }

// Runs the show until its title gives the frame rate, then presses Escape;
// returns the exit code.
long RunUntilTheFrameRateThenEscape(const ProgramProcess& program) {
  const HWND window = program.WaitForWindow("QelWin", ShowsTheFrameRate);
  if (window == nullptr) return -2;
  PostMessageA(window, platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
  return program.ExitCode();
}

}  // namespace

// A hidden window gives the device nothing to present into, so its
// constructor fails inside QelGFX36.dll: the program says so in the box and,
// with the reason the device gave, in one line on standard error, draws no
// frame, and ends with exit code 1 once the box is dismissed.
TEST(ProgramProcess, WhenTheDeviceCannotBeMadeTheBoxSaysSoAndTheExitCodeIsOne) {
  ProgramProcess program(BuildFolder() / "brindlemox.exe", BuildFolder(), SW_HIDE);
  ASSERT_TRUE(program.started);
  const HWND box = program.WaitForWindow("#32770", ShownWithItsText);
  ASSERT_NE(box, nullptr) << program.Said();
  EXPECT_EQ(TitleOf(box), "QelGFX Fatal Error");
  EXPECT_EQ(BoxText(box), "Could not initialize graphics subsystem");
  const HWND window = program.WaitForWindow("QelWin", Anything);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TitleOf(window), "Brindlemox");
  EXPECT_FALSE(IsWindowVisible(window));

  EXPECT_EQ(program.Said(),
            "QelGFX Fatal Error: Could not initialize graphics subsystem "
            "(cannot present: no visible window on this thread to present into)\n");

  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.ExitCode(), 1);
}

// Started in the build folder, in an empty folder, and as a copy without its
// picture: the show runs on in every case, and only the copy says that it
// has no picture (black tiles). A copy finds its picture in
// ..\share\brindlemox as well, as in an installed tree.
TEST(ProgramProcess, TheShowFindsItsPictureBesideItselfAndRunsOnWithoutIt) {
  ScratchDirectory scratch;
  const fs::path empty = scratch.path / "empty";
  const fs::path copy = scratch.path / "bin";
  fs::create_directories(empty);
  fs::create_directories(copy);
  fs::copy_file(BuildFolder() / "brindlemox.exe", copy / "brindlemox.exe");
  for (const fs::directory_entry& entry : fs::directory_iterator(BuildFolder()))
    if (entry.path().extension() == ".dll")
      fs::copy_file(entry.path(), copy / entry.path().filename());

  const struct {
    const char* name;
    fs::path program;
    fs::path workingDirectory;
    fs::path picture;  // where a copy of the picture is put first, if anywhere
    const char* says;
  } cases[] = {
      {"in its own folder", BuildFolder() / "brindlemox.exe", BuildFolder(), {}, ""},
      {"in an empty folder", BuildFolder() / "brindlemox.exe", empty, {}, ""},
      {"a copy without its picture", copy / "brindlemox.exe", empty, {}, kMissing},
      {"a copy with its picture in share", copy / "brindlemox.exe", empty,
       scratch.path / "share" / "brindlemox", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.picture.empty()) {
      fs::create_directories(c.picture);
      fs::copy_file(BuildFolder() / "pvn_quad.png", c.picture / "pvn_quad.png");
    }
    ProgramProcess program(c.program, c.workingDirectory, SW_SHOWNORMAL);
    ASSERT_TRUE(program.started);
    EXPECT_EQ(RunUntilTheFrameRateThenEscape(program), 0) << program.Said();
    EXPECT_EQ(program.Said(), c.says);
  }
}

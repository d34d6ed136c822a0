// The real brindlemox.exe as Windows starts it: its own process, started in
// its own folder or in another, with the show command its starter asks for,
// and watched from outside through its windows, its standard error and its
// exit code.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "shell/CommandLine.h"
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
  ProgramProcess(const fs::path& program, const fs::path& workingDirectory, WORD showCommand,
                 const std::string& arguments = "")
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
    std::string commandLine = "\"" + program.string() + "\"" + arguments;
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
    std::string text = Written();
    std::erase(text, '\r');
    return text;
  }

  // The bytes it wrote to standard output and error, as they are.
  std::string Written() const {
    std::ifstream in(said, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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

// The command line WinMain is given: --help and --version answered on
// standard output, anything else refused in one line with exit code 2; the
// program ends by itself, which a shown window would keep it from. A quoted
// argument reaches the shell whole.
TEST(ProgramProcess, HelpAndVersionAreAnsweredAndOtherArgumentsRefusedWithoutAWindow) {
  const struct {
    const char* arguments;
    long exitCode;
    std::string said;
  } cases[] = {
      {" --version", 0, "brindlemox " BRINDLEMOX_VERSION "\n"},
      {" --help", 0, ProgramUsage()},
      {" --frobnicate", 2,
       "Brindlemox: unknown argument '--frobnicate' (brindlemox --help lists what it takes)\n"},
      {" \"two words\" --help", 2,
       "Brindlemox: unknown argument 'two words' (brindlemox --help lists what it takes)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    ProgramProcess program(BuildFolder() / "brindlemox.exe", BuildFolder(), SW_SHOWNORMAL,
                           c.arguments);
    ASSERT_TRUE(program.started);
    EXPECT_EQ(program.ExitCode(), c.exitCode);
    EXPECT_EQ(program.Said(), c.said);
  }
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

namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

// The screen as the user sees it, 0x00RRGGBB, rows from the top.
std::vector<uint32_t> ReadScreen(int width, int height) {
  std::vector<uint32_t> pixels;
  const HDC screen = GetDC(nullptr);
  const HDC copy = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    const HGDIOBJ previous = SelectObject(copy, bitmap);
    if (BitBlt(copy, 0, 0, width, height, screen, 0, 0, SRCCOPY)) {
      const auto* first = static_cast<const uint32_t*>(bits);
      pixels.assign(first, first + static_cast<size_t>(width) * height);
      for (uint32_t& p : pixels) p &= 0xFFFFFFu;
    }
    SelectObject(copy, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(copy);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Whether the screen shows the frame letterboxed: black outside the largest
// 4:3 box, the middle of each frame pixel's block in the box that pixel, and
// no colour in the box that the frame lacks (nothing smoothed). Which of two
// frame pixels a shown pixel exactly on their border takes is left open.
testing::AssertionResult ShowsLetterboxed(const std::vector<uint32_t>& screen, int width,
                                          int height, const std::vector<uint32_t>& frame) {
  if (screen.size() != static_cast<size_t>(width) * height)
    return testing::AssertionFailure() << "the screen could not be read";
  const platform::ShownRect box = platform::LetterboxRect(width, height, kFrameWidth, kFrameHeight);
  const std::unordered_set<uint32_t> colours(frame.begin(), frame.end());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t shown = screen[static_cast<size_t>(y) * width + x];
      const bool inside =
          x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
      if (!inside && shown != 0)
        return testing::AssertionFailure() << "not black outside the box at " << x << "," << y;
      if (inside && colours.count(shown) == 0)
        return testing::AssertionFailure() << "a colour the frame lacks at " << x << "," << y;
    }
  for (int fy = 0; fy < kFrameHeight; ++fy)
    for (int fx = 0; fx < kFrameWidth; ++fx) {
      const int x = box.x + (2 * fx + 1) * box.width / (2 * kFrameWidth);
      const int y = box.y + (2 * fy + 1) * box.height / (2 * kFrameHeight);
      if (screen[static_cast<size_t>(y) * width + x] !=
          frame[static_cast<size_t>(fy) * kFrameWidth + fx])
        return testing::AssertionFailure()
               << "frame pixel " << fx << "," << fy << " is not in its block";
    }
  return testing::AssertionSuccess()
         << "box " << box.width << "x" << box.height << " at " << box.x << "," << box.y;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Waits up to 10 s for the window to take that place and size.
testing::AssertionResult ComesTo(HWND window, const RECT& wanted) {
  RECT now{};
  for (int i = 0; i < 200; ++i) {
    if (GetWindowRect(window, &now) && SameRect(now, wanted)) return testing::AssertionSuccess();
    Sleep(50);
  }
  return testing::AssertionFailure() << "the window is at " << now.left << "," << now.top << " "
                                     << now.right - now.left << "x" << now.bottom - now.top;
}

}  // namespace

// F11 and Alt+Enter, handled by the default window procedure: the window
// covers the screen and shows the frame letterboxed (the capture tool's
// frame at 7000 ms, in the tile zoom's still picture), comes back to where
// it was, and Escape in fullscreen still ends the show with exit code 0.
TEST(ProgramProcess, F11AndAltEnterToggleFullscreenLetterboxedAndEscapeStillEnds) {
  ProgramProcess capture(BuildFolder() / "brindlemox-capture.exe", BuildFolder(), SW_HIDE,
                         " --fps 1 --frames 8 --raw");
  ASSERT_TRUE(capture.started);
  ASSERT_EQ(capture.ExitCode(), 0);
  const std::string raw = capture.Written();
  ASSERT_EQ(raw.size(), size_t{kFrameWidth} * kFrameHeight * 4);
  std::vector<uint32_t> frame(size_t{kFrameWidth} * kFrameHeight);
  std::memcpy(frame.data(), raw.data(), raw.size());
  for (uint32_t& p : frame) p &= 0xFFFFFFu;

  ProgramProcess program(BuildFolder() / "brindlemox.exe", BuildFolder(), SW_SHOWNORMAL);
  ASSERT_TRUE(program.started);
  const HWND window = program.WaitForWindow("QelWin", ShowsTheFrameRate);
  ASSERT_NE(window, nullptr) << program.Said();
  const DWORD shown = GetTickCount();
  RECT home{};
  ASSERT_TRUE(GetWindowRect(window, &home));
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const RECT screen{0, 0, width, height};
  constexpr LPARAM kAlt = LPARAM{1} << 29;

  PostMessageA(window, platform::WM_KEYDOWN, platform::VK_F11, 1);
  ASSERT_TRUE(ComesTo(window, screen));
  testing::AssertionResult letterboxed = testing::AssertionFailure() << "never looked";
  for (DWORD at : {6200u, 6500u, 6800u, 7100u, 7400u}) {
    const DWORD now = GetTickCount() - shown;
    if (now < at) Sleep(at - now);
    letterboxed = ShowsLetterboxed(ReadScreen(width, height), width, height, frame);
    if (letterboxed) break;
  }
  EXPECT_TRUE(letterboxed);

  PostMessageA(window, platform::WM_KEYDOWN, platform::VK_F11, 1);
  EXPECT_TRUE(ComesTo(window, home));
  PostMessageA(window, platform::WM_SYSKEYDOWN, platform::VK_RETURN, kAlt);
  EXPECT_TRUE(ComesTo(window, screen));
  PostMessageA(window, platform::WM_SYSKEYDOWN, platform::VK_RETURN, kAlt);
  EXPECT_TRUE(ComesTo(window, home));
  PostMessageA(window, platform::WM_KEYDOWN, platform::VK_F11, 1);
  EXPECT_TRUE(ComesTo(window, screen));
  PostMessageA(window, platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(program.Said(), "");
}

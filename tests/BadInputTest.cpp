// Bad inputs from outside, each tried on the real thing: pictures the
// program cannot use, the capture tool's command line, outputs that cannot
// be written or that go away, and no display for the real program.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "framework/PngFile.h"
#include "tests/PixelChecks.h"
#include "tests/ScratchDirectory.h"
#include "tests/ShellHarness.h"
#include "tools/capture/Capture.h"
#include "tools/capture/PngFrameWriter.h"
#include "tools/pngforge/PngForge.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  bool exited = false;  // false: killed by a signal
  int exitCode = -1;
  int signal = 0;
  std::string out;
  std::string err;
};

struct Launch {
  std::vector<std::string> args;  // args[0] is the program
  std::vector<std::string> unset{};
  std::vector<std::pair<std::string, std::string>> set{};
  int stdoutFd = -1;  // -1: a pipe read into Outcome::out
  // With a stdout pipe: read this many bytes, then close the pipe and read
  // no more (-1: read to the end).
  long readThenClose = -1;
  std::string workingDirectory{};  // empty: this process's
  std::vector<int> closed{};       // standard descriptors the program starts without
  // The largest file the program may write (0: no limit). A write beyond it
  // fails with EFBIG, as one on a full disk fails with ENOSPC.
  rlim_t fileSizeLimit = 0;
};

// Runs the program in a child process, with stdin from /dev/null.
Outcome RunProgram(const Launch& launch) {
  int outPipe[2] = {-1, -1}, errPipe[2];
  if (launch.stdoutFd < 0 && pipe(outPipe) != 0) return {};
  if (pipe(errPipe) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    dup2(launch.stdoutFd >= 0 ? launch.stdoutFd : outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    // Only the ends it writes: a read end left open here would keep the
    // child's own pipe from ever breaking.
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1], devNull, launch.stdoutFd})
      if (fd > STDERR_FILENO) close(fd);
    for (int fd : launch.closed) close(fd);
    if (!launch.workingDirectory.empty() && chdir(launch.workingDirectory.c_str()) != 0) _exit(126);
    if (launch.fileSizeLimit != 0) {
      const rlimit limit{launch.fileSizeLimit, launch.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
      signal(SIGXFSZ, SIG_IGN);
    }
    for (const std::string& name : launch.unset) unsetenv(name.c_str());
    for (const auto& [name, value] : launch.set) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& a : launch.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Outcome outcome;
  close(errPipe[1]);
  if (outPipe[1] >= 0) close(outPipe[1]);
  if (outPipe[0] >= 0 && launch.readThenClose == 0) {
    close(outPipe[0]);
    outPipe[0] = -1;
  }
  pollfd fds[2] = {{errPipe[0], POLLIN, 0}, {outPipe[0], POLLIN, 0}};
  char buffer[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    // A child silent for a minute is hung: end it rather than the test run.
    const int ready = poll(fds, 2, 60000);
    if (ready <= 0) {
      kill(child, SIGKILL);
      for (pollfd& p : fds)
        if (p.fd >= 0) close(p.fd);
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      size_t want = sizeof buffer;
      std::string& into = i == 0 ? outcome.err : outcome.out;
      if (i == 1 && launch.readThenClose > 0)
        want = std::min(want, static_cast<size_t>(launch.readThenClose) - into.size());
      const ssize_t n = read(fds[i].fd, buffer, want);
      if (n > 0) into.append(buffer, static_cast<size_t>(n));
      const bool enough = i == 1 && launch.readThenClose > 0 &&
                          into.size() >= static_cast<size_t>(launch.readThenClose);
      if (n <= 0 || enough) {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  outcome.exited = WIFEXITED(status);
  outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return outcome;
}

Outcome Capture(std::vector<std::string> args, int stdoutFd = -1, long readThenClose = -1) {
  args.insert(args.begin(), BRINDLEMOX_CAPTURE_PATH);
  return RunProgram({args, {}, {}, stdoutFd, readThenClose});
}

long Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> NamesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A frame file of the capture that decodes to one colour.
bool FrameIsAll(const fs::path& file, uint32_t colour) {
  DecodedPicture picture;
  std::string reason;
  return DecodePngFile(file.string().c_str(), picture, reason) &&
         AllOneColour(picture.pixels, colour);
}

// The build's capture tool copied to `file`, which then lies where no
// picture is (unless the test puts one there).
std::string CopyOfTheTool(const fs::path& file) {
  fs::create_directories(file.parent_path());
  fs::copy_file(BRINDLEMOX_CAPTURE_PATH, file);
  return file.string();
}

}  // namespace

TEST(CaptureCommandLine, ABadOptionOrValueExitsWithTwoAndTheUsageAndWritesNothing) {
  ScratchDirectory scratch;
  const std::string out = (scratch.path / "frames").string();
  // One of each kind: unknown option, value missing, value out of range,
  // and no output chosen (every message is checked in CaptureTest).
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--bogus", "--out", out}, "unknown option '--bogus'"},
      {{"--out", out, "--seed"}, "--seed needs a value"},
      {{"--fps", "0", "--out", out}, "--fps must be a whole number from 1 to 1000"},
      {{"--out", out, "--raw"}, "give exactly one of --out DIR and --raw"},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += " [" + a + "]";
    SCOPED_TRACE("brindlemox-capture" + shown);
    const Outcome o = Capture(c.args);
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_TRUE(o.out.empty());
    EXPECT_EQ(o.err.rfind("brindlemox-capture: " + c.says, 0), 0u) << o.err;
    EXPECT_NE(o.err.find("\nusage: brindlemox-capture"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST(CaptureCommandLine, HelpAndVersionAnswerOnStandardOutputWithExitCodeZero) {
  const Outcome help = Capture({"--help"});
  ASSERT_TRUE(help.exited) << "signal " << help.signal;
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("usage: brindlemox-capture ", 0), 0u) << help.out;
  for (const char* option : {"--fps", "--seed", "--duration", "--frames", "--out", "--raw",
                             "--picture", "--allow-missing-picture", "--help", "--version"})
    EXPECT_NE(help.out.find(std::string("\n  ") + option), std::string::npos) << option;

  const Outcome version = Capture({"--version"});
  ASSERT_TRUE(version.exited) << "signal " << version.signal;
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(version.out, "brindlemox-capture " BRINDLEMOX_VERSION "\n");

  // An answer that cannot be written is a failure, said on standard error.
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const Outcome lost = Capture({"--version"}, full);
  close(full);
  EXPECT_EQ(lost.exitCode, 1);
  EXPECT_EQ(lost.err, "brindlemox-capture: cannot write to standard output\n");
}

TEST(CaptureCommandLine, RawVideoToATerminalIsRefusedWithTwo) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) GTEST_SKIP() << "no pseudo-terminal here";
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  const Outcome o = Capture({"--raw", "--frames", "1"}, terminal);
  close(terminal);
  close(master);
  EXPECT_EQ(o.exitCode, 2);
  EXPECT_NE(o.err.find("--raw writes video; pipe it to a program"), std::string::npos) << o.err;
}

// A control first: the same command writes its frames into a fresh directory.
TEST(CaptureOutput, AnOutputDirectoryThatCannotBeMadeOrWrittenFailsWithOneLine) {
  ScratchDirectory scratch;
  const fs::path good = scratch.path / "made" / "here";
  Outcome o = Capture({"--frames", "1,2", "--out", good.string()});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_TRUE(fs::is_regular_file(good / "frame_000001.png"));
  EXPECT_TRUE(fs::is_regular_file(good / "frame_000002.png"));

  // Paths that fail for root as well: under a regular file, a regular file
  // itself, and a directory of a file system that takes no new files.
  const fs::path file = scratch.path / "plain-file";
  std::ofstream(file) << "not a directory";
  const struct {
    std::string dir;
    std::string says;
  } cases[] = {
      {(file / "frames").string(), "cannot create directory " + (file / "frames").string()},
      {file.string(), "cannot create directory " + file.string()},
      {"/proc", "cannot write /proc/frame_000001.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dir);
    o = Capture({"--frames", "1-3", "--out", c.dir});
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(Lines(o.err), 1) << o.err;
    EXPECT_EQ(o.err.rfind("brindlemox-capture: " + c.says, 0), 0u) << o.err;
  }
  EXPECT_TRUE(fs::is_regular_file(file));

  // A frame in the middle that cannot be written: the frames before it are
  // there, none after it, although they are encoded side by side.
  const fs::path partly = scratch.path / "partly";
  fs::create_directories(partly / "frame_000003.png");
  o = Capture({"--frames", "1-10", "--out", partly.string()});
  ASSERT_TRUE(o.exited) << "signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.err, "brindlemox-capture: cannot write " + (partly / "frame_000003.png").string() +
                       ": Is a directory\n");
  EXPECT_TRUE(fs::is_regular_file(partly / "frame_000001.png"));
  EXPECT_TRUE(fs::is_regular_file(partly / "frame_000002.png"));
  for (uint64_t k = 4; k <= 10; ++k) EXPECT_FALSE(fs::exists(PngFramePath(partly.string(), k))) << k;
}

// `brindlemox-capture --raw | head -c 1000`, and a reader that is gone before
// the first frame: the tool stops with one line that says the reader went
// away and exit 1, not killed by SIGPIPE.
TEST(CaptureOutput, AReaderThatGoesAwayEndsTheRawVideoCleanly) {
  for (long readFirst : {1000L, 0L}) {
    SCOPED_TRACE("reader closes after " + std::to_string(readFirst) + " bytes");
    const Outcome o = Capture({"--raw"}, -1, readFirst);
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.out.size(), static_cast<size_t>(readFirst));
    EXPECT_EQ(o.err,
              "brindlemox-capture: cannot write to standard output: the reader went away "
              "(broken pipe)\n");
  }
}

TEST(CaptureOutput, AFullDeviceUnderRawFailsWithOneLine) {
  const int full = open("/dev/full", O_WRONLY);
  if (full < 0) GTEST_SKIP() << "no /dev/full here";
  const Outcome o = Capture({"--raw", "--frames", "1-5"}, full);
  close(full);
  ASSERT_TRUE(o.exited) << "signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.err, "brindlemox-capture: cannot write to standard output\n");
}

// A disk that fills up in the middle of a frame's file (here the limit on
// the size of a file, which fails the write the same way): the tool names
// that frame and exits with 1; the frames before it are whole, and of that
// frame nothing is left, not even a part under another name.
TEST(CaptureOutput, AFrameCutShortByAFullDiskLeavesNothingOfIt) {
  ScratchDirectory scratch;
  const fs::path dir = scratch.path / "frames";
  Launch launch{{BRINDLEMOX_CAPTURE_PATH, "--frames", "1-60", "--out", dir.string()}};
  launch.fileSizeLimit = 8192;  // the first frames are smaller, the later ones larger
  const Outcome o = RunProgram(launch);
  ASSERT_TRUE(o.exited) << "signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  const std::string says = "brindlemox-capture: cannot write " + dir.string() + "/frame_";
  ASSERT_EQ(o.err.rfind(says, 0), 0u) << o.err;
  EXPECT_EQ(Lines(o.err), 1) << o.err;
  const uint64_t failed = std::stoull(o.err.substr(says.size(), 6));
  EXPECT_EQ(o.err.substr(says.size() + 6), ".png: " + std::string(std::strerror(EFBIG)) + "\n");
  ASSERT_GT(failed, 1u) << "no frame fitted below the limit";
  std::vector<std::string> whole;
  for (uint64_t k = 1; k < failed; ++k) {
    whole.push_back(fs::path(PngFramePath("", k)).filename().string());
    DecodedPicture picture;
    std::string reason;
    EXPECT_TRUE(DecodePngFile(PngFramePath(dir.string(), k).c_str(), picture, reason))
        << k << ": " << reason;
  }
  EXPECT_EQ(NamesIn(dir), whole);
}

// The tool alone in a folder of its own finds no picture: it says where it
// looked and writes nothing, neither a frame nor a byte of video, nor the
// output folder; asked for black tiles, it records them, with the
// program's line. Installed beside a share folder, or with the picture
// beside it, it finds the picture from any working directory, and records
// what the build's tool records.
TEST(CaptureWithoutPicture, TheToolSaysWhereItLookedAndWritesNothingUnlessBlackTilesAreAllowed) {
  ScratchDirectory scratch;
  const fs::path root = fs::canonical(scratch.path);
  const fs::path alone = root / "alone";
  const std::string tool = CopyOfTheTool(alone / "brindlemox-capture");
  const std::vector<std::string> seventhSecond = {"--fps", "1", "--frames", "7"};  // the whole picture
  auto run = [&](const std::string& program, const fs::path& in, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    Launch launch{args};
    launch.workingDirectory = in.string();
    return RunProgram(launch);
  };

  std::vector<std::string> args = seventhSecond;
  args.insert(args.end(), {"--out", "frames"});
  Outcome o = run(tool, alone, args);
  ASSERT_TRUE(o.exited) << "signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.err, "brindlemox-capture: cannot find the picture: no pvn_quad.png in the working "
                   "directory, at " + (alone / "pvn_quad.png").string() + " or at " +
                   (root / "share" / "brindlemox" / "pvn_quad.png").string() +
                   "; name it with --picture PATH (--allow-missing-picture records black "
                   "tiles instead)\n");
  EXPECT_FALSE(fs::exists(alone / "frames"));
  o = run(tool, alone, {"--frames", "1", "--raw"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out.size(), 0u);

  args.push_back("--allow-missing-picture");
  o = run(tool, alone, args);
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.err, "Brindlemox: cannot load picture \"pvn_quad.png\": file not found\n");
  EXPECT_TRUE(FrameIsAll(alone / "frames" / "frame_000007.png", 0));

  // What the build's tool records where its picture lies.
  args = seventhSecond;
  args.insert(args.end(), {"--out", (root / "expected").string()});
  o = run(BRINDLEMOX_CAPTURE_PATH, fs::current_path(), args);
  ASSERT_EQ(o.exitCode, 0) << o.err;
  const std::string expected = ReadBytes(root / "expected" / "frame_000007.png");
  ASSERT_FALSE(FrameIsAll(root / "expected" / "frame_000007.png", 0));

  const fs::path elsewhere = root / "elsewhere";
  fs::create_directories(elsewhere);
  const std::string installed = CopyOfTheTool(root / "prefix" / "bin" / "brindlemox-capture");
  fs::create_directories(root / "prefix" / "share" / "brindlemox");
  fs::copy_file("pvn_quad.png", root / "prefix" / "share" / "brindlemox" / "pvn_quad.png");
  fs::copy_file("pvn_quad.png", alone / "pvn_quad.png");
  for (const std::string& program : {installed, tool}) {
    SCOPED_TRACE(program);
    args = seventhSecond;
    const fs::path out = elsewhere / fs::path(program).parent_path().filename();
    args.insert(args.end(), {"--out", out.string()});
    o = run(program, elsewhere, args);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(ReadBytes(out / "frame_000007.png") == expected);
  }
}

// Started without standard error, or without all three standard streams,
// the tool writes the frames it writes with them, and its exit code still
// tells: 0 for black tiles asked for (the program's line about the missing
// picture going nowhere), 1 without the picture.
TEST(ClosedStandardStreams, TheCaptureToolWritesTheSameFramesAndTheSameExitCode) {
  ScratchDirectory scratch;
  const std::string alone = CopyOfTheTool(scratch.path / "alone" / "brindlemox-capture");
  const std::vector<std::string> frames = {"--fps", "1", "--frames", "1,7,9"};
  auto capture = [&](const std::string& program, const std::string& out, std::vector<int> closed,
                     std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {program};
    args.insert(args.end(), frames.begin(), frames.end());
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"--out", (scratch.path / out).string()});
    Launch launch{args};
    launch.closed = std::move(closed);
    // A folder without the picture: the build's tool finds its own beside it.
    launch.workingDirectory = (scratch.path / "alone").string();
    return RunProgram(launch);
  };
  const std::vector<std::string> names = {"frame_000001.png", "frame_000007.png",
                                          "frame_000009.png"};
  Outcome o = capture(BRINDLEMOX_CAPTURE_PATH, "open", {});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  ASSERT_EQ(NamesIn(scratch.path / "open"), names);

  const struct {
    const char* name;
    std::vector<int> closed;
  } cases[] = {{"standard error closed", {STDERR_FILENO}},
               {"all three closed", {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = std::to_string(c.closed.size());
    o = capture(BRINDLEMOX_CAPTURE_PATH, out, c.closed);
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 0);
    ASSERT_EQ(NamesIn(scratch.path / out), names);
    for (const std::string& name : names)
      EXPECT_TRUE(ReadBytes(scratch.path / out / name) == ReadBytes(scratch.path / "open" / name))
          << name;

    o = capture(alone, out + "-black", c.closed, {"--allow-missing-picture"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_TRUE(FrameIsAll(scratch.path / (out + "-black") / "frame_000007.png", 0));
    o = capture(alone, out + "-none", c.closed);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_FALSE(fs::exists(scratch.path / (out + "-none")));
  }
}

// The SDL program itself, when the build made it: with no display to open a
// window on, and with a display that names no server.
TEST(ProgramWithoutDisplay, SaysItCannotOpenAWindowAndExitsWithOne) {
#ifndef BRINDLEMOX_PROGRAM_PATH
  GTEST_SKIP() << "the SDL program is not built";
#else
  const std::vector<std::string> unset = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  Outcome o = RunProgram({{BRINDLEMOX_PROGRAM_PATH}, unset, {}});
  ASSERT_TRUE(o.exited) << "signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.err.rfind("Brindlemox: cannot open a window: ", 0), 0u) << o.err;
  EXPECT_EQ(Lines(o.err), 1) << o.err;

  // Set but empty, each names nothing: still no display, said at once
  // (an empty SDL_VIDEODRIVER once let SDL draw into memory for ever).
  for (const char* empty : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
    SCOPED_TRACE(std::string(empty) + " set but empty");
    std::vector<std::string> others;
    for (const std::string& name : unset)
      if (name != empty) others.push_back(name);
    o = RunProgram({{BRINDLEMOX_PROGRAM_PATH}, others, {{empty, ""}}});
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "Brindlemox: cannot open a window: no display found "
                     "(is DISPLAY or WAYLAND_DISPLAY set?)\n");
  }

  int display = 90;
  while (fs::exists("/tmp/.X11-unix/X" + std::to_string(display))) ++display;
  o = RunProgram({{BRINDLEMOX_PROGRAM_PATH},
                  {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
                  {{"DISPLAY", ":" + std::to_string(display)}}});
  ASSERT_TRUE(o.exited) << "signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.err.find("Brindlemox: cannot open a window: "), std::string::npos) << o.err;
#endif
}

// With a display named and none answering there, the one line says what is
// wrong with each display that is set, and nothing else is said (no Wayland
// library complaints): a Wayland socket that does not exist, one where
// nobody listens, one that cannot be found for want of XDG_RUNTIME_DIR, an
// X display with no server, and a Wayland and an X display at once.
TEST(ProgramWithoutDisplay, SaysWhatIsWrongWithEachDisplayThatIsSet) {
#ifndef BRINDLEMOX_PROGRAM_PATH
  GTEST_SKIP() << "the SDL program is not built";
#else
  ScratchDirectory runtime;
  const std::string folder = runtime.path.string();
  // A socket file that nobody listens on any more, as a compositor that
  // died leaves it.
  const std::string stale = folder + "/wayland-stale";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(stale.size(), sizeof address.sun_path);
  stale.copy(address.sun_path, stale.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(listener);
  int display = 90;
  while (fs::exists("/tmp/.X11-unix/X" + std::to_string(display))) ++display;
  const std::string x11 = ":" + std::to_string(display);

  const std::string missingWayland = "no Wayland compositor at WAYLAND_DISPLAY=wayland-none (" +
                                     folder + "/wayland-none): no such socket";
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> set;
    std::string says;
  } cases[] = {
      {"a Wayland socket that does not exist",
       {{"WAYLAND_DISPLAY", "wayland-none"}, {"XDG_RUNTIME_DIR", folder}},
       missingWayland},
      {"a Wayland socket where nobody listens",
       {{"WAYLAND_DISPLAY", "wayland-stale"}, {"XDG_RUNTIME_DIR", folder}},
       "no Wayland compositor answers at WAYLAND_DISPLAY=wayland-stale (" + stale + ")"},
      {"a Wayland socket given as a path", {{"WAYLAND_DISPLAY", stale}},
       "no Wayland compositor answers at WAYLAND_DISPLAY=" + stale},
      {"a Wayland display without XDG_RUNTIME_DIR", {{"WAYLAND_DISPLAY", "wayland-0"}},
       "WAYLAND_DISPLAY=wayland-0 names no socket, as XDG_RUNTIME_DIR is not set"},
      {"an X display with no server", {{"DISPLAY", x11}},
       "no X server answers at DISPLAY=" + x11},
      {"both",
       {{"WAYLAND_DISPLAY", "wayland-none"}, {"XDG_RUNTIME_DIR", folder}, {"DISPLAY", x11}},
       missingWayland + "; no X server answers at DISPLAY=" + x11},
  };
  // Built with the sanitizers, the program's leak check would report what
  // SDL's D-Bus connection keeps when SDL gives up on the display; that is
  // not ours, and it is not the line this test reads.
  const char* asanOptions = std::getenv("ASAN_OPTIONS");
  const std::string noLeakCheck =
      std::string(asanOptions != nullptr ? asanOptions : "") + ":detect_leaks=0";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> unset = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER",
                                            "XDG_RUNTIME_DIR"};
    auto set = c.set;
    set.emplace_back("ASAN_OPTIONS", noLeakCheck);
    const Outcome o = RunProgram({{BRINDLEMOX_PROGRAM_PATH}, unset, set});
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "Brindlemox: cannot open a window: " + c.says + "\n");
  }
#endif
}

namespace {

// The SDL program's own command line, with a display named that does not
// exist: --help and --version are answered before any window is tried,
// and an argument it does not take is refused in one line, exit code 2.
TEST(ProgramCommandLine, HelpAndVersionAnswerOnStandardOutputAndAnythingElseIsRefusedWithTwo) {
#ifndef BRINDLEMOX_PROGRAM_PATH
  GTEST_SKIP() << "the SDL program is not built";
#else
  const std::vector<std::string> unset = {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  const std::vector<std::pair<std::string, std::string>> noDisplay = {{"DISPLAY", ":9999"}};
  const auto run = [&](std::vector<std::string> args, int stdoutFd = -1) {
    args.insert(args.begin(), BRINDLEMOX_PROGRAM_PATH);
    return RunProgram({args, unset, noDisplay, stdoutFd});
  };
  for (const char* asked : {"--help", "-h"}) {
    const Outcome help = run({asked});
    ASSERT_TRUE(help.exited) << "signal " << help.signal;
    EXPECT_EQ(help.exitCode, 0) << asked;
    EXPECT_EQ(help.err, "") << asked;
    EXPECT_EQ(help.out.rfind("usage: brindlemox\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("\n  --version"), std::string::npos) << help.out;
  }
  const Outcome version = run({"--version"});
  ASSERT_TRUE(version.exited) << "signal " << version.signal;
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(version.out, "brindlemox " BRINDLEMOX_VERSION "\n");

  // Each argument reaches the shell as it was given, spaces and quotes too.
  for (const std::string refused : {"--fullscreen", "two words", "say \"hi\"", ""}) {
    const Outcome o = run({refused, "--help"});
    ASSERT_TRUE(o.exited) << "signal " << o.signal;
    EXPECT_EQ(o.exitCode, 2) << refused;
    EXPECT_EQ(o.out, "") << refused;
    EXPECT_EQ(o.err, "Brindlemox: unknown argument '" + refused +
                         "' (brindlemox --help lists what it takes)\n");
  }

  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const Outcome lost = run({"--version"}, full);
  close(full);
  EXPECT_EQ(lost.exitCode, 1);
  EXPECT_EQ(lost.err, "Brindlemox: cannot write to standard output\n");
#endif
}

struct Show {
  int exitCode = -1;
  std::string said;
  std::vector<std::vector<uint32_t>> frames;
};

// The whole program on the virtual clock at one frame a second, from 0 to
// 8000 ms: eight frames of the tile zoom, then the starfield's first.
Show PlayNineSeconds() {
  CaptureOptions options;
  options.fps = 1;
  options.durationMs = 8001;
  Show show;
  std::string error;
  Ledger().Clear();
  testing::internal::CaptureStderr();
  show.exitCode = RunCapture(options, [&show](uint64_t, const uint32_t* pixels, int w, int h,
                                              std::string&) {
    show.frames.emplace_back(pixels, pixels + static_cast<size_t>(w) * h);
    return true;
  }, error);
  show.said = testing::internal::GetCapturedStderr();
  return show;
}

void WritePicture(const pngforge::Bytes& bytes) {
  std::ofstream("pvn_quad.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool AllOf(const std::vector<uint32_t>& frame, uint32_t colour) { return AllOneColour(frame, colour); }

}  // namespace

// What the program does with pictures it cannot use, next to one it can: a
// single pixel, stretched over the whole screen once the tiles are grown.
TEST(BadPicture, AnUnusablePictureGivesOneLineBlackTilesAndTheShowRunsOn) {
  pngforge::Image one;
  one.width = one.height = 1;
  one.samples = {0x12, 0x34, 0x56};
  Show control;
  {
    ScratchWorkingDirectory dir;
    WritePicture(pngforge::Forge(one));
    control = PlayNineSeconds();
  }
  ASSERT_EQ(control.exitCode, 0);
  ASSERT_EQ(control.frames.size(), 9u);
  EXPECT_TRUE(control.said.empty()) << control.said;
  EXPECT_TRUE(AllOf(control.frames[0], 0));
  EXPECT_TRUE(AllOf(control.frames[6], 0x123456u));  // 6000 ms: the tiles are whole
  EXPECT_TRUE(AllOf(control.frames[7], 0x123456u));

  // A file that cannot be read and one the decoder refuses; every kind of
  // unusable picture is checked on the device itself in PngInputTest.
  const pngforge::Bytes declared = pngforge::Assemble(
      {pngforge::Chunk("IHDR", pngforge::HeaderData(100000, 100000, 8, pngforge::kRgb, false)),
       pngforge::Chunk("IDAT", pngforge::StoredZlib(pngforge::Scanlines(one))),
       pngforge::Chunk("IEND", {})});
  const struct {
    const char* name;
    std::function<void()> make;
  } cases[] = {
      {"no file", [] {}},
      {"100000x100000 declared", [&] { WritePicture(declared); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Show show;
    {
      ScratchWorkingDirectory dir;
      c.make();
      show = PlayNineSeconds();
    }
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_EQ(Lines(show.said), 1) << show.said;
    EXPECT_EQ(show.said.rfind("Brindlemox: cannot load picture \"pvn_quad.png\": ", 0), 0u)
        << show.said;
    ASSERT_EQ(show.frames.size(), 9u);
    for (size_t k = 0; k < 8; ++k) EXPECT_TRUE(AllOf(show.frames[k], 0)) << "frame " << k + 1;
    EXPECT_TRUE(show.frames[8] == control.frames[8]) << "the starfield differs";
    for (const SurfaceRecord& r : Ledger().surfaces) EXPECT_EQ(r.releases, 1);
  }
}

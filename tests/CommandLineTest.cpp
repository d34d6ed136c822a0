// The program's command line (shell/CommandLine.h): read as Windows splits
// one, joined from a list of arguments so that it reads back the same, and
// answered by the entry point before any window is made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/EmulatedWindow.h"
#include "shell/CommandLine.h"
#include "shell/DemoShell.h"
#include "tests/ShellHarness.h"

using Arguments = std::vector<std::string>;

// Windows' own examples of how a command line is split (the C runtime's
// "parsing C command-line arguments").
TEST(CommandLine, IsSplitAsWindowsSplitsIt) {
  EXPECT_EQ(SplitCommandLine(R"("abc" d e)"), (Arguments{"abc", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\b d"e f"g h)"), (Arguments{R"(a\\\b)", "de fg", "h"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\"b c d)"), (Arguments{R"(a\"b)", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\\"b c" d e)"), (Arguments{R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(SplitCommandLine("  \t "), Arguments{});
  EXPECT_EQ(SplitCommandLine(""), Arguments{});
  EXPECT_EQ(SplitCommandLine(R"("" x)"), (Arguments{"", "x"}));
  EXPECT_EQ(SplitCommandLine("\t--help   -h\t"), (Arguments{"--help", "-h"}));
}

TEST(CommandLine, JoinedArgumentsReadBackUnchanged) {
  const Arguments awkward = {"plain", "", " ", "two words", "\"", "a\\", "a\\\"b", "\\\\",
                             "tab\there", "end\\\\", "\"quoted\"", "--help"};
  std::vector<const char*> argv = {"brindlemox"};
  for (const std::string& a : awkward) argv.push_back(a.c_str());
  const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(SplitCommandLine(line), awkward) << line;
  // Arguments that need no quotes get none.
  const char* simple[] = {"brindlemox", "--version", "x"};
  EXPECT_EQ(JoinCommandLine(3, simple), "--version x");
  EXPECT_EQ(JoinCommandLine(1, simple), "");
}

TEST(CommandLine, OnlyHelpAndVersionAreTakenAndTheFirstRequestCounts) {
  struct Case {
    const char* line;
    CommandLineRequest request;
    const char* problem;
  };
  const Case cases[] = {
      {"", CommandLineRequest::Show, ""},
      {nullptr, CommandLineRequest::Show, ""},
      {"   ", CommandLineRequest::Show, ""},
      {"--help", CommandLineRequest::Help, ""},
      {"-h", CommandLineRequest::Help, ""},
      {"\"--help\"", CommandLineRequest::Help, ""},
      {"--version", CommandLineRequest::Version, ""},
      {"--version --frobnicate", CommandLineRequest::Version, ""},
      {"--help --version", CommandLineRequest::Help, ""},
      {"--frobnicate --help", CommandLineRequest::Refused, "unknown argument '--frobnicate'"},
      {"--HELP", CommandLineRequest::Refused, "unknown argument '--HELP'"},
      {"help", CommandLineRequest::Refused, "unknown argument 'help'"},
      {"\"two words\"", CommandLineRequest::Refused, "unknown argument 'two words'"},
      {"\"\"", CommandLineRequest::Refused, "unknown argument ''"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line != nullptr ? c.line : "(none)");
    const CommandLineReading reading = ReadCommandLine(c.line);
    EXPECT_EQ(reading.request, c.request);
    EXPECT_EQ(reading.problem, c.problem);
  }
}

// The entry point answers before it makes a window: help and the version on
// standard output with 0, a refusal in one line on standard error with 2.
TEST(CommandLine, TheEntryPointAnswersWithoutAWindow) {
  struct Case {
    const char* line;
    int exitCode;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {"--version", 0, "brindlemox " BRINDLEMOX_VERSION "\n", ""},
      {"--help", 0, ProgramUsage(), ""},
      {"--fullscreen", 2, "",
       "Brindlemox: unknown argument '--fullscreen' (brindlemox --help lists what it takes)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ShellHarness::Fresh();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int exitCode = DemoMain(nullptr, nullptr, c.line, 10);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(exitCode, c.exitCode);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(platform::EmulatedMainWindow(), nullptr) << "a window was made";
  }
  ShellHarness::Fresh();
  // The usage names what the program takes and its exit codes.
  const std::string usage = ProgramUsage();
  EXPECT_EQ(usage.rfind("usage: brindlemox\n", 0), 0u);
  for (const char* word : {"--help, -h", "--version", "Escape", "F11", "Alt+Enter", "Exit codes"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
}

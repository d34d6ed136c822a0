// The program's command line. Windows hands the entry point one string, the
// line after the program's name; the backends that start from a list of
// arguments (SDL's main) join theirs into such a line, quoted as Windows
// quotes it, and the shell reads the arguments back out of it.
//
// The program takes --help (or -h) and --version; anything else is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The arguments of a Windows command line: separated by spaces and tabs; a
// double quote starts or ends a quoted part, in which spaces belong to the
// argument; 2n backslashes before a quote stand for n and the quote quotes,
// 2n+1 for n and a literal quote; other backslashes are themselves.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The command line that SplitCommandLine reads back as exactly these
// arguments (argv[1] to argv[argc - 1]).
std::string JoinCommandLine(int argc, const char* const* argv);

enum class CommandLineRequest { Show, Help, Version, Refused };

struct CommandLineReading {
  CommandLineRequest request = CommandLineRequest::Show;
  std::string problem;  // why it was refused, one phrase
};

// What the line asks for, read from left to right: the show when it is
// empty; help or the version at the first that asks for it; refused at an
// argument the program does not take (before any request).
CommandLineReading ReadCommandLine(const char* commandLine);

// The text of --help and of --version, each ending in a line break.
const char* ProgramUsage();
const char* ProgramVersion();

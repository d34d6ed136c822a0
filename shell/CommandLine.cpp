#include "shell/CommandLine.h"

#include <cstddef>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1)
          argument += '"';
        else
          quoted = !quoted;
        ++i;
      } else {
        argument.append(backslashes, '\\');
        if (i < line.size() && (quoted || !IsBlank(line[i]))) argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int a = 1; a < argc; ++a) {
    const std::string_view argument = argv[a];
    if (!line.empty()) line += ' ';
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
      line += argument;
      continue;
    }
    line += '"';
    size_t backslashes = 0;
    for (const char c : argument) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      // Backslashes before a quote are doubled, and the quote escaped.
      line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    // And before the closing quote.
    line.append(2 * backslashes, '\\');
    line += '"';
  }
  return line;
}

CommandLineReading ReadCommandLine(const char* commandLine) {
  for (const std::string& argument : SplitCommandLine(commandLine != nullptr ? commandLine : "")) {
    if (argument == "--help" || argument == "-h") return {CommandLineRequest::Help, {}};
    if (argument == "--version") return {CommandLineRequest::Version, {}};
    return {CommandLineRequest::Refused, "unknown argument '" + argument + "'"};
  }
  return {};
}

const char* ProgramUsage() {
  return "usage: brindlemox\n"
         "       brindlemox --help | --version\n"
         "\n"
         "Plays the Brindlemox intro in a 640x480 window: a tile zoom, a starfield, a plasma\n"
         "and metaballs on a fixed timeline, the last until the show is ended.\n"
         "  --help, -h   show this text and exit\n"
         "  --version    show the version and exit\n"
         "\n"
         "Keys: Escape ends the show; F11 or Alt+Enter switches to fullscreen and back;\n"
         "Alt+F4 closes the window, as its close button does.\n"
         "\n"
         "Exit codes: 0 the show was ended, 1 it could not start (no display, or no\n"
         "graphics device), 2 a bad argument.\n";
}

const char* ProgramVersion() { return "brindlemox " BRINDLEMOX_VERSION "\n"; }

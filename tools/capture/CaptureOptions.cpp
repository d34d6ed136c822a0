#include "tools/capture/CaptureOptions.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

namespace {

constexpr uint64_t kMaxUint32 = 0xFFFFFFFFu;

// A whole decimal number from min to max, nothing else in the text.
bool ParseNumber(std::string_view text, uint64_t min, uint64_t max, uint64_t& value) {
  if (text.empty() || text.size() > 20) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value >= min && value <= max;
}

bool Fail(std::string& error, const char* message) {
  error = message;
  return false;
}

// A flag that may be given once: --raw, --allow-missing-picture.
bool SetFlagOnce(bool& flag, std::string_view option, std::string& error) {
  if (flag) {
    error = std::string(option) + " given twice";
    return false;
  }
  return flag = true;
}

// A value that may be given once and not empty: --out DIR, --picture PATH.
bool SetTextOnce(std::string_view value, std::string& text, std::string_view option,
                 std::string_view needs, std::string& error) {
  if (value.empty()) {
    error = std::string(option) + " needs " + std::string(needs);
    return false;
  }
  if (!text.empty()) {
    error = std::string(option) + " given twice";
    return false;
  }
  text = std::string(value);
  return true;
}

bool ParseFrameList(std::string_view list, std::vector<FrameRange>& frames) {
  if (list.empty()) return false;
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    const size_t dash = item.find('-');
    FrameRange range{};
    if (dash == std::string_view::npos) {
      if (!ParseNumber(item, 1, kMaxUint32, range.first)) return false;
      range.last = range.first;
    } else {
      if (!ParseNumber(item.substr(0, dash), 1, kMaxUint32, range.first) ||
          !ParseNumber(item.substr(dash + 1), 1, kMaxUint32, range.last) ||
          range.last < range.first)
        return false;
    }
    frames.push_back(range);
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

// One option of the command line: a flag, or an option whose value is the
// next argument. `apply` stores it into the options, or says what is wrong.
struct OptionRule {
  std::string_view name;
  bool takesValue;
  bool (*apply)(std::string_view value, CaptureOptions& options, std::string& error);
};

bool AskForHelp(std::string_view, CaptureOptions& options, std::string&) {
  return options.help = true;
}

constexpr OptionRule kOptionRules[] = {
    {"--help", false, AskForHelp},
    {"-h", false, AskForHelp},
    {"--version", false,
     [](std::string_view, CaptureOptions& o, std::string&) { return o.version = true; }},
    {"--raw", false,
     [](std::string_view, CaptureOptions& o, std::string& error) {
       return SetFlagOnce(o.raw, "--raw", error);
     }},
    {"--fps", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       uint64_t number = 0;
       if (!ParseNumber(value, 1, 1000, number))
         return Fail(error, "--fps must be a whole number from 1 to 1000");
       o.fps = static_cast<uint32_t>(number);
       return true;
     }},
    {"--seed", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       uint64_t number = 0;
       if (!ParseNumber(value, 0, kMaxUint32, number))
         return Fail(error, "--seed must be a whole number from 0 to 4294967295");
       o.seed = static_cast<uint32_t>(number);
       return true;
     }},
    {"--duration", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       if (!ParseNumber(value, 1, kMaxUint32, o.durationMs))
         return Fail(error, "--duration must be a whole number of ms from 1 to 4294967295");
       return true;
     }},
    {"--frames", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       if (!ParseFrameList(value, o.frames))
         return Fail(error, "--frames must be a list like 1,15,960-970 of frames from 1");
       return true;
     }},
    {"--out", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       return SetTextOnce(value, o.outDir, "--out", "a directory", error);
     }},
    {"--picture", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       return SetTextOnce(value, o.picture, "--picture", "a file", error);
     }},
    {"--describe", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       return SetTextOnce(value, o.describe, "--describe", "a file or -", error);
     }},
    {"--point", true,
     [](std::string_view value, CaptureOptions& o, std::string& error) {
       const size_t comma = value.find(',');
       uint64_t x = 0;
       uint64_t y = 0;
       if (comma == std::string_view::npos || !ParseNumber(value.substr(0, comma), 0, 639, x) ||
           !ParseNumber(value.substr(comma + 1), 0, 479, y))
         return Fail(error, "--point must be X,Y with X from 0 to 639 and Y from 0 to 479");
       o.points.emplace_back(static_cast<int>(x), static_cast<int>(y));
       return true;
     }},
    {"--allow-missing-picture", false,
     [](std::string_view, CaptureOptions& o, std::string& error) {
       return SetFlagOnce(o.allowMissingPicture, "--allow-missing-picture", error);
     }},
};

}  // namespace

const char* CaptureUsage() {
  return "usage: brindlemox-capture [--fps N] [--seed N] [--duration MS | --frames LIST]\n"
         "                          [--picture PATH] [--allow-missing-picture]\n"
         "                          [--describe FILE [--point X,Y]...]\n"
         "                          (--out DIR | --raw | --describe FILE)\n"
         "       brindlemox-capture --help | --version\n"
         "\n"
         "Plays the presentation offscreen on a virtual clock and writes its frames.\n"
         "  --fps N         frames per second of the virtual clock, 1 to 1000 (default 60)\n"
         "  --seed N        random seed, 0 to 4294967295 (default 1)\n"
         "  --duration MS   capture the frames that start before MS ms, 1 to 4294967295\n"
         "                  (default 30000)\n"
         "  --frames LIST   write only these frames, e.g. 1,15,960-970 (frames count from 1;\n"
         "                  every frame up to the largest is rendered; --duration is ignored)\n"
         "  --out DIR       write frame k as DIR/frame_NNNNNN.png (DIR is created)\n"
         "  --raw           write 640x480 bgr0 pixels per frame to standard output\n"
         "  --picture PATH  the tile zoom's picture; by default pvn_quad.png in the\n"
         "                  working directory, else beside this tool, else in\n"
         "                  ../share/brindlemox from this tool's folder\n"
         "  --describe FILE write a JSON line per written frame: its timeline, the effect\n"
         "                  on screen and its numbers ('-': standard output, not with\n"
         "                  --raw); without --out and --raw no frames are written\n"
         "  --point X,Y     add the readout of screen point X,Y (0..639, 0..479) to each\n"
         "                  --describe line; may be given more than once\n"
         "  --allow-missing-picture\n"
         "                  record black tiles when there is no usable picture\n"
         "                  (without it the tool stops before the first frame)\n"
         "  --help, -h      show this text and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "Exit codes: 0 done, 1 no usable picture or an output could not be written,\n"
         "2 a bad option or value; stopped by a signal, 128 + its number (the frame file\n"
         "being written is removed).\n";
}

const char* CaptureVersion() { return "brindlemox-capture " BRINDLEMOX_VERSION "\n"; }

bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                         std::string& error) {
  // These values may be given once, as --out and --picture may: a second
  // one would silently win over the first.
  constexpr std::string_view kOnce[] = {"--fps", "--seed", "--duration", "--frames"};
  std::vector<std::string_view> given;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    const OptionRule* rule = std::find_if(std::begin(kOptionRules), std::end(kOptionRules),
                                          [&](const OptionRule& r) { return r.name == name; });
    if (rule == std::end(kOptionRules)) {
      error = "unknown option '" + std::string(name) + "'";
      return false;
    }
    std::string_view value;
    if (rule->takesValue) {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (std::find(std::begin(kOnce), std::end(kOnce), name) != std::end(kOnce)) {
      if (std::find(given.begin(), given.end(), name) != given.end()) {
        error = std::string(name) + " given twice";
        return false;
      }
      given.push_back(name);
    }
    if (!rule->apply(value, options, error)) return false;
    // Help and the version are answered whatever else the line holds.
    if (options.help || options.version) return true;
  }
  if (!options.outDir.empty() && options.raw) {
    error = "give exactly one of --out DIR and --raw";
    return false;
  }
  if (options.describe.empty()) {
    if (!options.points.empty()) {
      error = "--point needs --describe FILE";
      return false;
    }
    if (!options.raw && options.outDir.empty()) {
      error = "give exactly one of --out DIR and --raw";
      return false;
    }
  } else if (options.describe == "-" && options.raw) {
    error = "--describe - and --raw would both write to standard output";
    return false;
  }
  return true;
}

uint64_t FrameStep(uint32_t fps) { return (1000000u + fps / 2) / fps; }

uint64_t LastFrame(const CaptureOptions& options) {
  if (!options.frames.empty()) {
    uint64_t last = 0;
    for (const FrameRange& r : options.frames) last = std::max(last, r.last);
    return last;
  }
  // Frames k with (k - 1) * step < duration * 1000.
  const uint64_t step = FrameStep(options.fps);
  return (options.durationMs * 1000 + step - 1) / step;
}

bool IsFrameWritten(const CaptureOptions& options, uint64_t k) {
  if (options.frames.empty()) return k >= 1 && k <= LastFrame(options);
  return std::any_of(options.frames.begin(), options.frames.end(),
                     [k](const FrameRange& r) { return r.first <= k && k <= r.last; });
}

// BenchOptions: one handler per option; every value is checked in full ("12x" is no number).
#include "BenchOptions.h"

#include "BenchCompare.h"

#include "app/KeyControls.h"
#include "gpu/Tunables.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

constexpr int kMaxSide = 16384;
constexpr int kMaxFrames = 1000000;

std::optional<long> parseInteger(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseNumber(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> parseFlag(const std::string& text) {
    if (text == "1" || text == "on") {
        return true;
    }
    if (text == "0" || text == "off") {
        return false;
    }
    return std::nullopt;
}

// "0 or 1" for an on/off switch; "0 (NAME), 1 (NAME) or 2 (NAME)" for a cycle.
std::string switchValues(const KeySwitch& keySwitch) {
    if (keySwitch.isOnOff()) {
        return "0 or 1";
    }
    std::string values;
    for (int state = 0; state < keySwitch.setting.states; ++state) {
        values += (state == 0                             ? ""
                   : state + 1 < keySwitch.setting.states ? ", "
                                                          : " or ") +
                  std::to_string(state) + " (" + keySwitch.stateName(state) + ")";
    }
    return values;
}

// The views' command-line names, comma-separated.
std::string viewList() {
    std::string list;
    for (const DebugViewRow& row : debugViews) {
        list += (list.empty() ? "" : ", ") + debugViewArgument(row.view);
    }
    return list;
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            return items;
        }
        start = comma + 1;
    }
}

// The words of `text` in lines of at most `width` characters, each indented by `indent` spaces.
std::string wrapped(const std::string& text, size_t indent, size_t width) {
    std::string lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        std::string word = text.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
            lines += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return lines + (line.empty() ? "" : std::string(indent, ' ') + line + "\n");
}

// One line per switch of the table: its option, its values, its key and text and its state at
// start, and a cycle's states by name.
std::string switchUsage() {
    std::string usage;
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (!keySwitch.benchName) {
            continue;
        }
        std::string values = "0";
        for (int state = 1; state < keySwitch.setting.states; ++state) {
            values += "|" + std::to_string(state);
        }
        std::string option = "  --" + std::string(keySwitch.benchName) + " " + values;
        std::string label = keySwitch.label;
        std::string text = label.substr(0, label.find_first_of(";:"));
        for (const char* verb : {" Enabled", " changed to"}) {
            size_t at = text.find(verb);
            text = at == std::string::npos ? text : text.substr(0, at);
        }
        usage += option + std::string(option.size() < 28 ? 28 - option.size() : 1, ' ') +
                 keySwitch.keyName + " " + text + ", " + switchState(keySwitch) + " at start\n";
        if (!keySwitch.isOnOff()) {
            usage += wrapped(switchValues(keySwitch), 28, 80);
        }
    }
    return usage;
}

// Each handler stores its value and returns an error text, empty on success.
using Handler = std::function<std::string(BenchOptions&, const std::string&)>;

// A switch's option: 0 or 1 (on or off) for an on/off switch, a state number for a cycle.
Handler switchInto(const KeySwitch& keySwitch) {
    return [&keySwitch](BenchOptions& options, const std::string& value) -> std::string {
        std::optional<long> state = parseInteger(value);
        if (keySwitch.isOnOff()) {
            std::optional<bool> flag = parseFlag(value);
            state = flag ? std::optional<long>(*flag ? 1 : 0) : std::nullopt;
        }
        if (!state || *state < 0 || *state >= keySwitch.setting.states) {
            return "expects " + switchValues(keySwitch);
        }
        options.switches[keySwitch.benchName] = static_cast<int>(*state);
        return "";
    };
}

std::string parseSize(BenchOptions& options, const std::string& value) {
    std::optional<WindowSize> size = parseWindowSize(value);
    if (!size) {
        return "expects WIDTHxHEIGHT, each 1.." + std::to_string(kMaxSide);
    }
    options.size = *size;
    return "";
}

std::string parseTimeStep(BenchOptions& options, const std::string& value) {
    std::optional<double> step = parseNumber(value);
    if (!step || *step <= 0.0) {
        return "expects a positive number of seconds";
    }
    options.timeStep = *step;
    return "";
}

std::string parseTourTime(double& target, const std::string& value) {
    std::optional<double> time = parseNumber(value);
    if (!time || *time < 0.0) {
        return "expects a tour time in seconds, 0 or more";
    }
    target = *time;
    return "";
}

std::string parseTo(BenchOptions& options, const std::string& value) {
    double time = 0.0;
    std::string error = parseTourTime(time, value);
    if (error.empty()) {
        options.to = time;
    }
    return error;
}

std::string parseFrames(BenchOptions& options, const std::string& value) {
    std::optional<long> count = parseInteger(value);
    if (!count || *count < 1 || *count > kMaxFrames) {
        return "expects a frame count from 1 to " + std::to_string(kMaxFrames);
    }
    options.frames = static_cast<int>(*count);
    return "";
}

std::string parseWarmup(BenchOptions& options, const std::string& value) {
    std::optional<long> count = parseInteger(value);
    if (!count || *count < 0 || *count > 1000) {
        return "expects a frame count from 0 to 1000";
    }
    options.warmupFrames = static_cast<int>(*count);
    return "";
}

std::string parseRepeats(BenchOptions& options, const std::string& value) {
    std::optional<long> count = parseInteger(value);
    if (!count || *count < 1 || *count > 20) {
        return "expects a repeat count from 1 to 20";
    }
    options.repeats = static_cast<int>(*count);
    return "";
}

std::string parseUpdateShadowMaps(BenchOptions& options, const std::string& value) {
    std::optional<bool> flag = parseFlag(value);
    if (!flag) {
        return "expects 0 or 1";
    }
    options.updateShadowMaps = *flag;
    return "";
}

std::string parseCaptures(BenchOptions& options, const std::string& value) {
    std::vector<double> times;
    for (const std::string& item : splitList(value)) {
        std::optional<double> time = parseNumber(item);
        if (!time || *time < 0.0) {
            return "expects tour times in seconds separated by commas, e.g. 5,42.5";
        }
        times.push_back(*time);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    options.captureTimes = times;
    return "";
}

std::string parseSweepSizes(BenchOptions& options, const std::string& value) {
    std::vector<WindowSize> sizes;
    for (const std::string& item : splitList(value)) {
        std::optional<WindowSize> size = parseWindowSize(item);
        if (!size) {
            return "expects sizes WIDTHxHEIGHT separated by commas";
        }
        sizes.push_back(*size);
    }
    options.sweepSizes = sizes;
    options.sweep = true;
    return "";
}

std::map<std::string, Handler> buildValueOptions() {
    std::map<std::string, Handler> handlers = {
        {"--size", parseSize},
        {"--dt", parseTimeStep},
        {"--from", [](BenchOptions& o, const std::string& v) { return parseTourTime(o.from, v); }},
        {"--to", parseTo},
        {"--frames", parseFrames},
        {"--warmup", parseWarmup},
        {"--repeat", parseRepeats},
        {"--update-shadow-maps", parseUpdateShadowMaps},
        {"--gpu-timer",
         [](BenchOptions& o, const std::string& v) -> std::string {
             std::optional<bool> flag = parseFlag(v);
             if (!flag) {
                 return "expects 0 or 1";
             }
             o.gpuTimer = *flag;
             return "";
         }},
        {"--capture", parseCaptures},
        {"--capture-dir",
         [](BenchOptions& o, const std::string& v) -> std::string {
             if (v.empty()) {
                 return "expects a directory";
             }
             o.captureDirectory = v;
             return "";
         }},
        {"--json",
         [](BenchOptions& o, const std::string& v) -> std::string {
             if (v.empty()) {
                 return "expects a file name";
             }
             o.jsonPath = v;
             return "";
         }},
        {"--csv",
         [](BenchOptions& o, const std::string& v) -> std::string {
             if (v.empty()) {
                 return "expects a file name";
             }
             o.csvPath = v;
             return "";
         }},
        {"--sweep-sizes", parseSweepSizes},
        {"--view",
         [](BenchOptions& o, const std::string& v) -> std::string {
             std::optional<DebugView> view = debugViewFromArgument(v);
             if (!view) {
                 return "expects a view: " + viewList();
             }
             o.view = *view;
             return "";
         }},
    };
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (keySwitch.benchName) {
            handlers["--" + std::string(keySwitch.benchName)] = switchInto(keySwitch);
        }
    }
    return handlers;
}

const std::map<std::string, Handler>& valueOptions() {
    static const std::map<std::string, Handler> handlers = buildValueOptions();
    return handlers;
}

// Combinations that parse one by one but cannot run together.
std::string checkCombination(const BenchOptions& options) {
    if (options.to && *options.to < options.from) {
        return "--to must not be before --from";
    }
    if (options.to && options.frames) {
        return "--frames and --to cannot be combined: give the range end or the frame count";
    }
    if (options.sweep && !options.captureTimes.empty()) {
        return "--capture cannot be combined with --sweep";
    }
    return "";
}

} // namespace

SwitchStates currentSwitchStates() {
    SwitchStates states;
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (keySwitch.benchName) {
            states[keySwitch.benchName] = keySwitch.setting.get();
        }
    }
    return states;
}

bool operator==(const WindowSize& a, const WindowSize& b) {
    return a.width == b.width && a.height == b.height;
}

std::optional<WindowSize> parseWindowSize(const std::string& text) {
    size_t cross = text.find('x');
    if (cross == std::string::npos) {
        return std::nullopt;
    }
    std::optional<long> width = parseInteger(text.substr(0, cross));
    std::optional<long> height = parseInteger(text.substr(cross + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > kMaxSide || *height > kMaxSide) {
        return std::nullopt;
    }
    return WindowSize{static_cast<int>(*width), static_cast<int>(*height)};
}

ParseResult parseBenchOptions(const std::vector<std::string>& arguments) {
    ParseResult result;
    BenchOptions& options = result.options;
    bool sizeGiven = false;
    bool runOptionGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--compare") {
            if (value || i + 2 >= arguments.size()) {
                result.error = "--compare needs two reports: --compare BASE.json NEW.json";
                return result;
            }
            options.compare = std::make_pair(arguments[i + 1], arguments[i + 2]);
            i += 2;
            continue;
        }
        runOptionGiven = runOptionGiven || (name != "--help" && name != "-h");
        if (name == "--sweep" || name == "--no-progress" || name == "--headless" ||
            name == "--gl-groups") {
            if (value) {
                result.error = name + " takes no value";
                return result;
            }
            if (name == "--sweep") {
                options.sweep = true;
            } else if (name == "--headless") {
                options.headless = true;
            } else if (name == "--gl-groups") {
                options.glGroups = true;
            } else {
                options.progress = false;
            }
            continue;
        }
        if (name == "--set") {
            if (!value && i + 1 >= arguments.size()) {
                result.error = "--set needs NAME=VALUE";
                return result;
            }
            TunableSetting setting = parseTunableSetting(value ? *value : arguments[++i]);
            if (!setting.error.empty()) {
                result.error = "--set: " + setting.error;
                result.exitCode = 1;
                return result;
            }
            options.tunables[setting.tunable->name] = setting.value;
            continue;
        }
        auto handler = valueOptions().find(name);
        if (handler == valueOptions().end()) {
            result.error = "unknown option " + name + " (see --help)";
            return result;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                result.error = name + " needs a value";
                return result;
            }
            value = arguments[++i];
        }
        std::string error = handler->second(options, *value);
        if (!error.empty()) {
            result.error = name + " " + error + ", got \"" + *value + "\"";
            return result;
        }
        sizeGiven = sizeGiven || name == "--size";
    }
    result.error = checkCombination(options);
    if (result.error.empty() && options.compare && runOptionGiven) {
        result.error = "--compare takes no other options: it renders nothing";
    }
    if (result.error.empty() && options.sweep && sizeGiven) {
        result.error = "--size cannot be combined with --sweep: use --sweep-sizes";
    }
    result.ok = result.error.empty();
    return result;
}

std::string checkTourRange(const BenchOptions& options, double tourLength) {
    if (options.from <= tourLength) {
        return "";
    }
    char text[128];
    std::snprintf(text, sizeof text,
                  "--from %g is past the end of the tour (%.2f s): no frame to render",
                  options.from, tourLength);
    return text;
}

namespace {

// Each tunable with its start value and range, a line each, for --help.
std::string tunableUsage() {
    std::string text;
    for (const Tunable& tunable : tunables()) {
        char line[160];
        std::string start = tunableText(tunable, tunable.start);
        std::snprintf(line, sizeof line, "%28s%-19s %s (%s to %s)\n", "", tunable.name,
                      start.c_str(), tunableText(tunable, tunable.minimum).c_str(),
                      tunableText(tunable, tunable.maximum).c_str());
        text += line;
    }
    return text;
}

} // namespace

std::string benchUsage() {
    return "Usage: cathedral-bench [options]\n"
           "Renders the camera tour with a hidden window and a fixed time step, timing every\n"
           "pass with GPU timer queries. Tour times are seconds of the flight as shown, the\n"
           "seconds of the F9 overlay (the whole tour lasts about 111 s). The report goes to\n"
           "standard output; the program's own console lines go to standard error.\n"
           "\n"
           "  --size WxH                window and render size (default 1024x768)\n"
           "  --dt S                    tour seconds per frame (default 0.5)\n"
           "  --from T                  first tour time (default 0)\n"
           "  --to T                    last tour time (default: end of the tour)\n"
           "  --frames N                render N frames from --from instead of a range\n"
           "  --warmup N                unmeasured frames at --from first (default 1)\n"
           "  --repeat N                render the frames N times and report each frame's\n"
           "                            fastest repeat (steadier when the cores are shared)\n"
           "  switch states, as the function keys set them (default: as the demo starts):\n" +
           switchUsage() +
           "  --update-shadow-maps 0|1  0: cube maps rendered on the first frame only\n"
           "  --capture T1,T2,...       save the frames at these tour times as PNG\n"
           "  --capture-dir DIR         where captures go (default .)\n"
           "  --view NAME               what the frames show (F8), one of:\n" +
           wrapped(viewList(), 28, 80) +
           "  --set NAME=VALUE          a tunable's value for the run (repeatable; default:\n"
           "                            its start value), NAME one of:\n" +
           tunableUsage() +
           "  --json FILE               write the report as JSON too: where it ran (GL\n"
           "                            strings, sizes, vsync, build, commit, CPU, date,\n"
           "                            command line), the summaries and every frame's\n"
           "                            samples\n"
           "  --csv FILE                write one row per frame: tour time, each pass's GPU\n"
           "                            ms, frame GPU, wall and CPU ms (tools/bench/plot.sh\n"
           "                            plots it)\n"
           "  --sweep                   run at 1280x720, 1920x1080 and 2560x1440, each with\n"
           "                            the cube maps updated every frame and static; ratios\n"
           "                            to the first size with cube maps every frame\n"
           "  --sweep-sizes WxH,...     the sweep's sizes (implies --sweep)\n"
           "  --gpu-timer 0|1           0: no timer queries (wall and CPU times only)\n"
           "  --no-progress             no progress bar on standard error\n"
           "  --headless                no window: an EGL context on the GPU's EGL device,\n"
           "                            else on Mesa's surfaceless platform (chosen by\n"
           "                            itself when no display can be opened)\n"
           "  --gl-groups               every pass in a GL debug group named as in the\n"
           "                            table, for frame debuggers (the driver's echo of\n"
           "                            each group goes to standard error)\n"
           "  --help                    this text\n"
           "\n"
           "  --compare BASE.json NEW.json\n" +
           wrapped("renders nothing: prints per pass and for the frame the two medians, their "
                   "ratio and whether the difference is beyond noise. Both reports must hold the "
                   "same sizes, view, switch states and tour frames. Each side may be a "
                   "comma-separated list of reports, merged keeping every frame's fastest value. "
                   "The rule: " +
                       compareRule() + ".",
                   28, 80);
}

#include "command_line.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <CLI/CLI.hpp>

#include "KolvexSdk.h"

namespace {

// Kolvex_Record counts milliseconds in 32 bits.
constexpr double kLongestSeconds = 2147483.0;
constexpr int kMostFrames = 100000000;

// Whole decimal numbers only: "1.7", "1e10", "0x10" and "010" (which C
// would read as octal) are refused rather than read as something else.
// The text is rewritten to its plain form, so CLI11's own conversion reads
// exactly the number that was checked.
CLI::Validator WholeNumber(long long min, long long max) {
    const std::string range = std::to_string(min) + ".." + std::to_string(max);
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const char* s = text.c_str();
            char* end = nullptr;
            errno = 0;
            const long long v = std::strtoll(s, &end, 10);
            const char* digits = (*s == '-' || *s == '+') ? s + 1 : s;
            const bool plain = *digits >= '0' && *digits <= '9' && *end == '\0' && errno == 0;
            if (!plain) return "takes a whole number (" + range + "), not '" + text + "'";
            if (v < min || v > max) return "takes " + range + ", not " + text;
            text = std::to_string(v);
            return "";
        },
        "");
}

CLI::Validator Seconds() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            const double v = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(v) || v <= 0 || v > kLongestSeconds)
                return "takes seconds above 0 and up to " + std::to_string(static_cast<long>(kLongestSeconds)) +
                       ", not '" + text + "'";
            return "";
        },
        "");
}

CLI::Validator KnownParameter() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return FindParameter(text) ? "" : "unknown parameter '" + text + "' (kolvex-cli params lists them)";
        },
        "");
}

// The formats a still file can take, by extension; the tool writes raw files
// itself and the library the others.
CLI::Validator StillFileName() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const size_t dot = text.find_last_of('.');
            std::string ext = dot == std::string::npos ? "" : text.substr(dot);
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            for (const char* known : {".png", ".tif", ".tiff", ".bmp", ".jpg", ".jpeg", ".raw"})
                if (ext == known) return "";
            return "the extension chooses the format: .png, .tif, .bmp, .jpg or .raw, not '" + text + "'";
        },
        "");
}

// "usage: kolvex-cli snapshot [--device N] [--output FILE] ...", from the
// options the command has, so that it never disagrees with them.
std::string UsageLine(const CLI::App* app) {
    std::string line = "usage: kolvex-cli";
    if (app->get_parent()) line += " " + app->get_name();
    else line += " [--version] COMMAND [OPTIONS]";
    for (const CLI::Option* o : app->get_options()) {
        if (o->get_name() == "--help" || o->get_name() == "--version") continue;
        if (o->get_positional()) {
            line += o->get_required() ? " " + o->get_name() : " [" + o->get_name() + "]";
            continue;
        }
        std::string text = o->get_name();
        if (!o->get_type_name().empty()) text += " " + o->get_type_name();
        line += " [" + text + "]";
    }
    return line;
}

class UsageFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string) const override { return UsageLine(app) + "\n"; }
};

const CLI::App* ChosenCommand(const CLI::App& app) {
    for (const CLI::App* sub : app.get_subcommands()) return sub;
    return nullptr;
}

std::string ErrorText(const CLI::App& app, const CLI::Error& e, const char* first) {
    const CLI::App* command = ChosenCommand(app);
    std::string what = e.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
        const size_t colon = what.find(": ");
        what = "unexpected argument '" + (colon == std::string::npos ? what : what.substr(colon + 2)) + "'";
    }
    if (!command && dynamic_cast<const CLI::RequiredError*>(&e))
        what = first && first[0] != '-' ? "unknown command '" + std::string(first) + "'" : "a command is needed";
    const std::string name = command ? command->get_name() + ": " : "";
    return "kolvex-cli: " + name + what + "\n" + UsageLine(command ? command : &app) + "\n" +
           "(kolvex-cli " + (command ? command->get_name() + " " : "") + "--help tells more)\n";
}

struct OneShotText {
    std::vector<std::string> params;
    std::string color, subsample, exposureUs, gain;
};

void AddDevice(CLI::App* command, CommandLine* out) {
    command->add_option("--device", out->device, "the camera's device number, as `list` shows it (default 0)")
        ->type_name("N")
        ->transform(WholeNumber(0, 31));
}

void AddOneShot(CLI::App* command, OneShotText* o) {
    const char* group = "for this command only (the camera keeps its stored values)";
    command
        ->add_option("--color", o->color,
                     "bits per pixel: 8 is the raw Bayer mosaic (gray with --param gray-mode=2), 16 the mosaic's "
                     "12-bit samples, 24 and 32 BGR(A), 48 and 64 BGR(A) with 12-bit samples")
        ->type_name("BITS")
        ->group(group);
    command->add_option("--subsample", o->subsample, "1 reads every other pixel and line")
        ->type_name("0|1")
        ->group(group);
    command->add_option("--exposure-us", o->exposureUs, "exposure time in microseconds")
        ->type_name("N")
        ->group(group);
    command->add_option("--gain", o->gain, "the sensor gain (global-gain)")->type_name("N")->group(group);
    command
        ->add_option("--param", o->params, "any parameter `kolvex-cli params` lists; may be given again")
        ->type_name("NAME=VALUE")
        ->group(group);
}

// The one-shot options as (parameter, value) pairs, checked against the
// parameter table; throws CLI11's ValidationError as a bad option does.
void CollectOneShot(const OneShotText& o, CommandLine* out) {
    auto add = [&](const std::string& option, const std::string& name, const std::string& value) {
        const ParameterInfo* p = FindParameter(name);
        if (!p) throw CLI::ValidationError(option + ": unknown parameter '" + name + "' (kolvex-cli params lists them)");
        int number = 0;
        std::string why;
        if (!ParseParameterValue(*p, value, &number, &why)) throw CLI::ValidationError(option + ": " + why);
        out->oneShot.push_back({p, number});
    };
    if (!o.color.empty()) add("--color", "color", o.color);
    if (!o.subsample.empty()) add("--subsample", "subsample", o.subsample);
    if (!o.gain.empty()) add("--gain", "global-gain", o.gain);
    if (!o.exposureUs.empty()) add("--exposure-us", "exposure-us", o.exposureUs);
    for (const std::string& text : o.params) {
        const size_t eq = text.find('=');
        if (eq == std::string::npos) throw CLI::ValidationError("--param: takes NAME=VALUE, not '" + text + "'");
        add("--param", text.substr(0, eq), text.substr(eq + 1));
    }
}

}  // namespace

std::string VersionText() {
    const unsigned number = static_cast<unsigned>(Kolvex_GetDllVersion());
    char text[160];
    if (number == KOLVEX_CLI_VERSION_NUMBER)
        std::snprintf(text, sizeof text, "kolvex-cli %s (library %s, version number 0x%08X)", KOLVEX_CLI_VERSION,
                      KOLVEX_CLI_VERSION, number);
    else
        std::snprintf(text, sizeof text,
                      "kolvex-cli %s with a library of another release (version number 0x%08X, not 0x%08X)",
                      KOLVEX_CLI_VERSION, number, static_cast<unsigned>(KOLVEX_CLI_VERSION_NUMBER));
    return text;
}

int ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::ostream& text, std::ostream& err) {
    CLI::App app("kolvex-cli: the camera from the command line.", "kolvex-cli");
    app.formatter(std::make_shared<UsageFormatter>());
    app.set_version_flag("--version", VersionText());
    app.require_subcommand(1);
    app.footer(
        "`kolvex-cli help` is `kolvex-cli --help`; `kolvex-cli COMMAND --help` tells a command's options.\n"
        "Parameters (kolvex-cli params lists them with their ranges): `set` keeps a value for later runs of every\n"
        "program, as the library keeps it; options of the other commands apply to that command only.\n"
        "On Linux the library serves a virtual camera at device 0; KOLVEX_SIMULATOR chooses other virtual\n"
        "cameras (see the README).");

    OneShotText oneShot;
    std::string parameter, value;

    app.add_subcommand("version", "print the version of kolvex-cli and of the library");
    app.add_subcommand("list", "list the cameras: device number, name and whether another program uses it");
    CLI::App* info = app.add_subcommand("info", "show a camera's name, sensor, limits and readout window");
    AddDevice(info, out);
    CLI::App* params = app.add_subcommand("params", "list every parameter with its value, range, default and unit");
    AddDevice(params, out);
    CLI::App* get = app.add_subcommand("get", "print one parameter or all of them");
    get->add_option("PARAMETER", parameter, "a name `params` lists (or a filter number)")->check(KnownParameter());
    AddDevice(get, out);
    CLI::App* set = app.add_subcommand("set", "change a parameter; the camera keeps it for later runs");
    set->add_option("PARAMETER", parameter, "a name `params` lists (or a filter number)")
        ->required()
        ->check(KnownParameter());
    set->add_option("VALUE", value, "a whole number, decimal or 0x hexadecimal")->required();
    AddDevice(set, out);
    CLI::App* reset = app.add_subcommand("reset", "put every parameter the camera keeps back to its default");
    AddDevice(reset, out);

    CLI::App* snapshot = app.add_subcommand(
        "snapshot", "take one frame, print its size and pixel statistics and save it (default snapshot.png)");
    AddDevice(snapshot, out);
    snapshot
        ->add_option("--output", out->output,
                     "the file; its extension chooses the format: .png, .tif, .bmp, .jpg, or .raw for the pixels "
                     "alone (rows top first, each padded to 4 bytes)")
        ->type_name("FILE")
        ->check(StillFileName());
    AddOneShot(snapshot, &oneShot);

    CLI::App* record =
        app.add_subcommand("record", "record live video into an uncompressed AVI file (default recording.avi)");
    AddDevice(record, out);
    record->add_option("--seconds", out->seconds, "how long (default 3)")->type_name("S")->check(Seconds());
    record->add_option("--output", out->output, "the AVI file (any name; a warning when it does not end in .avi)")
        ->type_name("FILE");
    record->add_flag("--window", out->window, "show the preview window");
    AddOneShot(record, &oneShot);

    CLI::App* stream = app.add_subcommand("stream", "receive frames (default 100) with live statistics");
    AddDevice(stream, out);
    stream->add_option("--frames", out->frames, "stop after N frames")
        ->type_name("N")
        ->transform(WholeNumber(1, kMostFrames));
    stream->add_option("--seconds", out->seconds, "stop after S seconds")->type_name("S")->check(Seconds());
    stream->add_flag("--window", out->window, "show the preview window");
    stream->add_flag("--trigger", out->trigger,
                     "wait for the camera's trigger input: one frame per pulse, until --frames or --seconds");
    AddOneShot(stream, &oneShot);

    // `kolvex-cli help` is --help: a subcommand of that name would print its
    // own help rather than the tool's.
    std::vector<const char*> args(argv, argv + argc);
    if (argc > 1 && std::string(argv[1]) == "help") args[1] = "--help";

    try {
        app.parse(static_cast<int>(args.size()), args.data());
        const CLI::App* command = ChosenCommand(app);
        out->command = command->get_name();
        if (!parameter.empty()) out->parameter = FindParameter(parameter);
        if (out->command == "set") {
            const ParameterInfo& p = *out->parameter;
            if (!p.kept)
                throw CLI::ValidationError(std::string(p.name) +
                                           " is not kept between runs: give it to the command that uses it, as in "
                                           "`kolvex-cli snapshot --param " + p.name + "=" +
                                           std::to_string(p.defaultValue) + "`");
            std::string why;
            if (!ParseParameterValue(p, value, &out->value, &why)) throw CLI::ValidationError(why);
        }
        CollectOneShot(oneShot, out);
    } catch (const CLI::CallForHelp&) {
        const CLI::App* command = ChosenCommand(app);
        text << (command ? command->help() : app.help());
        return 0;
    } catch (const CLI::CallForVersion&) {
        text << VersionText() << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        err << ErrorText(app, e, argc > 1 ? argv[1] : nullptr);
        return 2;
    }
    return -1;
}

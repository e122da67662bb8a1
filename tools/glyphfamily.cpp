// glyphfamily: the four faces of every size of a family, made by the filters
// in-process, and converted by the X font tools into installable formats.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "bdf_font.hpp"
#include "charset_map.hpp"
#include "child_process.hpp"
#include "converted_fonts.hpp"
#include "face_choice.hpp"
#include "face_names.hpp"
#include "failure.hpp"
#if GLYPH_FAMILY_READING
#include "font_to_bdf.hpp"
#include "glyphbdf.hpp"
#endif
#include "family_options.hpp"
#include "family_plan.hpp"
#include "family_steps.hpp"
#include "file_io.hpp"
#include "font_chars.hpp"
#include "font_survey.hpp"
#include "fontconfig_file.hpp"
#include "job_pool.hpp"
#include "process_entry.hpp"
#include "staging.hpp"
#include "stop_signal.hpp"
#include "tools.hpp"
#include "user_install.hpp"

namespace glyph {
namespace {

namespace fs = std::filesystem;
using namespace family;

struct Converter {
    const char* program;
    const char* package;
    std::string path;  // found on PATH, or empty
};

struct Converters {
    Converter bdftopcf{"bdftopcf", "xfonts-utils", {}};
    Converter mkfontdir{"mkfontdir", "xfonts-utils", {}};
    Converter gzip{"gzip", "gzip", {}};

    const Converter* named(const std::string& program) const {
        for (const Converter* tool : {&bdftopcf, &mkfontdir, &gzip})
            if (program == tool->program) return tool;
        return nullptr;
    }
};

int fail(ByteSink& err, const std::string& message, int status = 1) {
    err.put("glyphfamily: " + message + "\n");
    err.flush();
    return status;
}

std::optional<std::int64_t> source_date_epoch(std::string& error) {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value) return std::nullopt;
    std::int64_t seconds = 0;
    const char* end = value + std::strlen(value);
    const auto [stop, problem] = std::from_chars(value, end, seconds);
    // Dates before 1970 or past 9999 are no build's.
    if (problem != std::errc() || stop != end || seconds < 0 || seconds > 253402300799)
        error = std::string("SOURCE_DATE_EPOCH is not a number of seconds: ") + value;
    return seconds;
}

// A converter's time before it is killed: GLYPHFAMILY_TIMEOUT seconds when
// set, else a minute and ten seconds per MiB it reads, far beyond what the
// converters take on Unifont, so that only a hung one meets it.
struct Deadlines {
    std::optional<std::chrono::seconds> fixed;
    std::chrono::milliseconds for_bytes(std::uintmax_t bytes) const {
        if (fixed) return *fixed;
        return std::chrono::seconds(60) +
               std::chrono::milliseconds(bytes * 10000 / (std::uintmax_t{1} << 20));
    }
};

Deadlines converter_deadlines(std::string& error) {
    Deadlines deadlines;
    const char* value = std::getenv("GLYPHFAMILY_TIMEOUT");
    if (!value || !*value) return deadlines;
    unsigned seconds = 0;
    const char* end = value + std::strlen(value);
    const auto [stop, problem] = std::from_chars(value, end, seconds);
    if (problem != std::errc() || stop != end || seconds == 0 || seconds > 1000000)
        error = std::string("GLYPHFAMILY_TIMEOUT is not a number of seconds: ") + value;
    deadlines.fixed = std::chrono::seconds(seconds);
    return deadlines;
}

std::uintmax_t size_of(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uintmax_t>(info.st_size) : 0;
}

// Looks the converters of the formats up; drops a format whose converter is
// missing when the formats are the default ones, else fails.
std::string find_converters(Converters& tools, Formats& formats, bool given, ByteSink& err) {
    const char* path = std::getenv("PATH");
    const auto need = [&](bool& format, const char* name,
                          std::initializer_list<Converter*> list) -> std::string {
        if (!format) return {};
        for (Converter* tool : list) {
            if (auto found = find_on_path(tool->program, path)) {
                tool->path = *found;
                continue;
            }
            const std::string missing =
                std::string(tool->program) + " (package " + tool->package + ") is not on PATH";
            if (given) return std::string("-f ") + name + ": " + missing;
            err.put("glyphfamily: " + missing + ": no " + name + " files made\n");
            err.flush();
            format = false;
            return {};
        }
        return {};
    };
    return need(formats.pcf, "pcf", {&tools.bdftopcf, &tools.gzip, &tools.mkfontdir});
}

// A font's file name without the extensions of the formats read.
std::string stem_of(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    for (const char* extension : {".gz", ".bdf", ".pcf", ".otb", ".ttf", ".otf"}) {
        const std::string_view ending = extension;
        if (name.size() > ending.size() && name.ends_with(ending))
            name.resize(name.size() - ending.size());
    }
    return name;
}

// The project's own programs, which a run calls in-process.
EntryFunction own_program(const std::string& name) {
    if (name == "glyphstout") return run_glyphstout;
    if (name == "glyphslope") return run_glyphslope;
    if (name == "glyphstoutslope") return run_glyphstoutslope;
    if (name == "glyphfamily") return run_glyphfamily;
#if GLYPH_FAMILY_READING
    if (name == "glyphbdf") return run_glyphbdf;
#endif
    return nullptr;
}

// A filter's message on one line: it ends with the offending line and its
// own line end.
std::string one_line(std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    for (char& c : message)
        if (c == '\n' || c == '\r') c = ' ';
    return message;
}

// The steps of a real run, in the stage.
class FamilyRun {
  public:
    FamilyRun(const FamilyPlan& plan, const std::map<std::string, const std::string*>& texts,
              const Converters& tools, const Deadlines& deadlines, const fs::path& stage)
        : plan_(plan), texts_(texts), tools_(tools), deadlines_(deadlines), stage_(stage) {}

    std::vector<Job> jobs() const {
        std::vector<Job> jobs;
        for (const Step& step : plan_.steps)
            jobs.push_back({[this, &step] { return run_step(step); }, step.after});
        return jobs;
    }

    // The folder's PCF fonts that stay, linked into the stage so that
    // mkfontdir lists them with the new ones; unlinked again after it.
    std::string link_folder_fonts(const fs::path& folder) {
        std::error_code error;
        if (!fs::is_directory(folder, error)) return {};
        std::set<std::string> replaced;
        for (const std::string& file : plan_.replaced)
            replaced.insert(fs::path(file).filename().string());
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (!name.ends_with(".pcf.gz") && !name.ends_with(".pcf")) continue;
            if (replaced.count(name) || fs::exists(stage_ / "pcf" / name)) continue;
            if (!entry.is_regular_file(error)) continue;
            fs::create_hard_link(entry.path(), stage_ / "pcf" / name, error);
            if (error) fs::copy_file(entry.path(), stage_ / "pcf" / name, error);
            if (error) return entry.path().string() + ": " + error.message();
            linked_.push_back(name);
        }
        return {};
    }

  private:
    std::string run_step(const Step& step) const {
        const std::vector<std::string>& first = step.commands.front();
        if (step.commands.size() == 1 && first.front() == "cat") return copy_font(step);
        if (step.commands.size() == 1 && own_program(first.front())) return run_own(step, first);
        std::string problem = run_pipeline(step);
        if (problem.empty() && first.front() == "mkfontdir") problem = check_fonts_dir_step(first);
        return problem;
    }

    std::string copy_font(const Step& step) const {
        const std::string& path = step.commands.front().back();
        const auto known = texts_.find(path);
        std::string text;
        if (known == texts_.end()) {
            if (std::string problem = read_file(path, text); !problem.empty()) return problem;
        }
        return write_file(step.output, known == texts_.end() ? text : *known->second);
    }

    std::string run_own(const Step& step, const std::vector<std::string>& command) const {
        const int fd = ::open(step.output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return step.output + ": " + std::strerror(errno);
        MemorySource no_input("");
        FdSink out(fd, 1 << 16);
        StringSink err;
        const std::vector<std::string> args(command.begin() + 1, command.end());
        int status = 1;
        try {
            status = own_program(command.front())(args, no_input, out, err);
        } catch (...) {
            ::close(fd);
            throw;
        }
        const bool closed = ::close(fd) == 0;
        if (status != 0) {
            std::string message = one_line(err.text());
            if (message.starts_with("glyphfamily: ")) return message.substr(13);
            return command.back() + ": " + command.front() + ": " +
                   (message.empty() ? "the font cannot be opened" : message);
        }
        if (!closed) return step.output + ": " + std::strerror(errno);
        return {};
    }

    // Runs a converter within its deadline; an empty string, or why it failed.
    std::string convert(const std::vector<std::string>& command, const std::string& on,
                        std::uintmax_t bytes, const std::string* input,
                        const std::string* output) const {
        const Converter* tool = tools_.named(command.front());
        if (!tool || tool->path.empty()) return command.front() + " is not on PATH";
        const ChildLimits limits{deadlines_.for_bytes(bytes)};
        const ChildResult result = run_child(tool->path, command, output, limits, input);
        if (result.ok) return {};
        const std::string what = command.front() + " on " + on;
        if (result.stopped_by) return what + " stopped";
        if (result.timed_out)
            return what + " took more than " +
                   std::to_string(
                       std::chrono::ceil<std::chrono::seconds>(limits.deadline).count()) +
                   " s and was killed (GLYPHFAMILY_TIMEOUT sets the time)";
        return what + " failed: " + one_line(result.messages);
    }

    // A pipeline of converters, each reading what the one before wrote,
    // through files of the stage; a PCF font is checked after each program
    // that writes one.
    std::string run_pipeline(const Step& step) const {
        const std::string& on = step.commands.front().back();
        const std::uintmax_t bytes = size_of(step.commands.front().back());
        std::string previous;
        for (std::size_t i = 0; i < step.commands.size(); ++i) {
            const std::vector<std::string>& command = step.commands[i];
            const bool last = i + 1 == step.commands.size();
            const std::string output =
                last ? step.output
                     : (stage_ / "work" /
                        (fs::path(step.output).filename().string() + "." + std::to_string(i)))
                           .string();
            if (std::string problem =
                    convert(command, on, bytes, previous.empty() ? nullptr : &previous,
                            step.output.empty() && last ? nullptr : &output);
                !problem.empty())
                return problem;
            if (!previous.empty()) ::unlink(previous.c_str());
            if (command.front() == "bdftopcf" || output.ends_with(".pcf.gz")) {
                if (std::string problem = check_pcf(output); !problem.empty())
                    return command.front() +
                           (command.front() == "gzip" ? " wrote no compressed PCF font for "
                                                      : " wrote no PCF font for ") +
                           on + ": " + problem;
            }
            previous = output;
        }
        return {};
    }

    std::string check_fonts_dir_step(const std::vector<std::string>& command) const {
        const std::string fonts_dir = command.back() + "/fonts.dir";
        std::vector<std::string> fonts = linked_;
        for (const Step& step : plan_.steps)
            if (step.output.ends_with(".pcf.gz"))
                fonts.push_back(fs::path(step.output).filename().string());
        if (::access(fonts_dir.c_str(), F_OK) != 0) return "mkfontdir wrote no pcf/fonts.dir";
        if (std::string problem = check_fonts_dir(fonts_dir, fonts); !problem.empty())
            return "mkfontdir wrote a broken pcf/fonts.dir: " + problem;
        return {};
    }

  public:
    // The links made for mkfontdir, gone before the commit.
    void unlink_folder_fonts() const {
        for (const std::string& name : linked_)
            ::unlink((stage_ / "pcf" / name).c_str());
    }

  private:
    const FamilyPlan& plan_;
    const std::map<std::string, const std::string*>& texts_;
    const Converters& tools_;
    const Deadlines& deadlines_;
    fs::path stage_;
    std::vector<std::string> linked_;
};

std::string signal_name(int signo) {
    switch (signo) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(signo);
    }
}

// A message as the user knows the files: the stage's paths, which no one
// sees, shown as those of the output folder, which they become.
std::string outside_stage(std::string message, const fs::path& stage, const std::string& dir) {
    for (const std::string& from : {fs::absolute(stage).string(), stage.string()}) {
        for (std::size_t at = 0; (at = message.find(from, at)) != std::string::npos;
             at += dir.size())
            message.replace(at, from.size(), dir);
    }
    return message;
}

unsigned processors() {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (online > 0) return static_cast<unsigned>(online);
    return std::max(1u, std::thread::hardware_concurrency());
}

// A regular face as given, read whole: a BDF font, or a strike of a font of
// another format converted to BDF.
struct GivenFont {
    std::string path;
    std::string stem;
    std::optional<int> strike;
    std::string text;
    BdfFont font;
};

std::string read_given(const std::string& path, GivenFont& given) {
    given.path = path;
    if (given.text.empty()) {
        if (std::string problem = read_file(path, given.text); !problem.empty()) return problem;
    }
    BdfReadResult read = read_bdf_font(given.text);
    if (!read.error.empty()) return path + ": " + read.error;
    given.font = std::move(read.font);
    return {};
}

bool is_bdf(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && text.substr(start).starts_with("STARTFONT");
}

// The regular faces of an input: a BDF font as it is, or every strike (of
// those -z names) of a font FreeType reads, converted as glyphbdf does.
std::string read_input(const std::string& path, const std::vector<int>& wanted,
                       std::vector<GivenFont>& fonts) {
    GivenFont given;
    given.stem = stem_of(path);
    if (std::string problem = read_file(path, given.text); !problem.empty()) return problem;
    if (is_bdf(given.text)) {
        std::string problem = read_given(path, given);
        fonts.push_back(std::move(given));
        return problem;
    }
#if GLYPH_FAMILY_READING
    try {
        const std::vector<reading::StrikeInfo> strikes = reading::list_strikes(path);
        std::size_t taken = 0;
        for (const reading::StrikeInfo& strike : strikes) {
            if (!wanted.empty() &&
                std::find(wanted.begin(), wanted.end(), strike.pixel_size) == wanted.end())
                continue;
            GivenFont converted;
            converted.stem = given.stem;
            if (strikes.size() > 1) converted.stem += "-" + std::to_string(strike.pixel_size);
            converted.strike = strike.pixel_size;
            converted.text = reading::font_to_bdf(path, strike.pixel_size);
            if (std::string problem = read_given(path, converted); !problem.empty()) return problem;
            fonts.push_back(std::move(converted));
            ++taken;
        }
        if (taken == 0) {
            std::string sizes;
            for (const reading::StrikeInfo& strike : strikes)
                sizes += (sizes.empty() ? "" : ", ") + std::to_string(strike.pixel_size);
            return path + ": no strike of the sizes -z gives; it has " + sizes;
        }
        return {};
    } catch (const reading::FontError& problem) {
        return path + ": " + problem.message;
    }
#else
    (void)wanted;
    return read_given(path, given);
#endif
}

// A size of the plan from a font read whole: `error` says why it cannot be one.
std::string size_entry(const std::string& path, const std::string& stem, const BdfFont& font,
                       SizeEntry& size) {
    RegularName regular = regular_name(font);
    if (!regular.error.empty()) return path + ": " + regular.error;
    size.path = path;
    size.stem = stem;
    size.survey = survey_font(font);
    size.name = std::move(regular.name);
    size.options = choose_options(size.survey);
    if (const std::optional<CharsetMap> map =
            CharsetMap::find(size.survey.registry, size.survey.encoding)) {
        FontChars chars = font_chars(font, *map, charset(size.survey) == "ISO10646-1");
        if (!chars.error.empty()) return path + ": " + chars.error;
        size.coverage = code_points(chars);
    }
    return {};
}

// The regular faces that earlier runs left in the folder's bdf/, of the
// family of `family`: each with its three derived faces beside it.
std::vector<SizeEntry> folder_sizes(const fs::path& bdf, const std::string& family) {
    std::vector<SizeEntry> sizes;
    std::error_code error;
    if (!fs::is_directory(bdf, error)) return sizes;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(bdf, error))
        if (entry.path().extension() == ".bdf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string stem = file.stem().string();
        bool complete = true;
        for (Face face : FACES) {
            if (face == Face::regular) continue;
            complete = complete && !stem.ends_with(face_suffix(face)) &&
                       fs::exists(bdf / (stem + face_suffix(face) + ".bdf"), error);
        }
        if (!complete) continue;
        GivenFont read;
        if (!read_given(file.string(), read).empty()) continue;
        if (survey_font(read.font).family != family) continue;
        SizeEntry size;
        if (size_entry(file.string(), stem, read.font, size).empty())
            sizes.push_back(std::move(size));
    }
    return sizes;
}

// The date of the OpenType files: SOURCE_DATE_EPOCH, else the newest of the
// given fonts' modification times, so that the same fonts give the same bytes.
std::int64_t otb_date(const std::optional<std::int64_t>& epoch,
                      const std::vector<std::string>& fonts) {
    if (epoch) return *epoch;
    std::int64_t newest = 0;
    for (const std::string& font : fonts) {
        struct stat info;
        if (::stat(font.c_str(), &info) == 0)
            newest = std::max<std::int64_t>(newest, info.st_mtime);
    }
    return newest;
}

std::string fc_cache_path() {
    return find_on_path("fc-cache", std::getenv("PATH")).value_or("");
}

int install_family(const FamilyPlan& plan, const std::string& dir, ByteSink& out, ByteSink& err) {
    std::vector<fs::path> files;
    for (const std::string& name : plan.otb_names)
        files.push_back(fs::path(dir) / "otb" / name);
    const InstallResult installed = install_for_user(
        user_folders(plan.family), files, fs::path(dir) / "otb" / fontconfig_file_name(plan.family),
        fc_cache_path());
    if (!installed.error.empty()) return fail(err, installed.error);
    out.put(installed.report);
    out.flush();
    return 0;
}

int run_family(const FamilyOptions& options, ByteSink& out, ByteSink& err) {
    std::string error;
    const std::optional<std::int64_t> epoch = source_date_epoch(error);
    if (!error.empty()) return fail(err, error);
    const Deadlines deadlines = converter_deadlines(error);
    if (!error.empty()) return fail(err, error);

    std::vector<GivenFont> given;
    for (const std::string& path : options.fonts)
        if (std::string problem = read_input(path, options.strikes, given); !problem.empty())
            return fail(err, problem);
    PlanInputs inputs;
    for (const GivenFont& font : given) {
        SizeEntry size;
        if (std::string problem = size_entry(font.path, font.stem, font.font, size);
            !problem.empty())
            return fail(err, problem);
        size.strike = font.strike;
        inputs.sizes.push_back(std::move(size));
    }
    const FontSurvey& first = inputs.sizes.front().survey;
    inputs.formats = options.formats;
    if (inputs.formats.otb && !CharsetMap::find(first.registry, first.encoding))
        inputs.charset_mapped = false;
    if (options.install && (!inputs.formats.otb || !inputs.charset_mapped))
        return fail(err, "--install: no OpenType files to install");
    Converters tools;
    if (std::string problem = find_converters(tools, inputs.formats, options.formats_given, err);
        !problem.empty())
        return fail(err, problem);
    inputs.date = otb_date(epoch, options.fonts);
    const std::string dir = options.out_dir.empty() ? file_name_of(first.family) : options.out_dir;
    inputs.folder_root = dir;
    inputs.in_folder = folder_sizes(fs::path(dir) / "bdf", first.family);
    std::error_code no_folder;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(dir) / "otb", no_folder))
        inputs.folder_otb.push_back(entry.path().filename().string());
    std::sort(inputs.folder_otb.begin(), inputs.folder_otb.end());
    std::map<std::string, const std::string*> texts;
    for (const GivenFont& font : given)
        if (!font.strike)
            texts[font.path.starts_with("-") ? "./" + font.path : font.path] = &font.text;

    if (options.dry_run) {
        inputs.out_root = dir;
        PlanResult made = make_plan(std::move(inputs), options);
        if (!made.error.empty()) return fail(err, made.error);
        out.put(plan_text(made.plan));
        out.flush();
        return 0;
    }
    std::vector<std::string> kept = {"bdf"};
    if (inputs.formats.pcf) kept.push_back("pcf");
    if (inputs.formats.otb) kept.push_back("otb");
    const Target target = resolve_target(dir, kept);
    if (!target.error.empty()) return fail(err, target.error);
    const StopSignals signals;
    Stage stage(target);
    if (!stage.removed().empty()) {
        std::string names;
        for (const std::string& name : stage.removed())
            names += (names.empty() ? "" : ", ") + name;
        err.put("glyphfamily: removed what interrupted runs left: " + names + "\n");
        err.flush();
    }
    if (!stage.error().empty()) return fail(err, stage.error());
    for (const char* folder : {"bdf", "pcf", "otb", "work"})
        stage.folder(folder);
    inputs.out_root = fs::absolute(stage.path()).string();
    PlanResult made = make_plan(std::move(inputs), options);
    if (!made.error.empty()) return fail(err, made.error);
    const FamilyPlan& plan = made.plan;
    if (!plan.otb_note.empty()) {
        err.put("glyphfamily: " + plan.otb_note + "\n");
        err.flush();
    }

    FamilyRun run(plan, texts, tools, deadlines, fs::absolute(stage.path()));
    std::string problem;
    if (plan.formats.pcf) problem = run.link_folder_fonts(fs::path(dir) / "pcf");
    if (problem.empty()) problem = run_jobs(run.jobs(), options.jobs ? options.jobs : processors());
    run.unlink_folder_fonts();
    // A signal during the commit undoes it; one after it finds the run done.
    stage.remove_on_commit(plan.replaced);
    if (problem.empty()) problem = stage.commit();
    if (const int signo = stop_signal(); signo && !problem.empty()) {
        err.put("glyphfamily: stopped by " + signal_name(signo) + "; " + dir + " is as it was\n");
        err.flush();
        return 128 + signo;
    }
    if (!problem.empty()) return fail(err, outside_stage(problem, stage.path(), dir));
    out.put(summary_text(plan, dir));
    out.flush();
    if (options.install) return install_family(plan, dir, out, err);
    return 0;
}

int run_command(const FamilyOptions& options, ByteSink& out, ByteSink& err) {
    if (options.step == "face") return write_face_step(options, out, err);
    if (options.step == "otb") return write_otb_step(options, out, err);
    if (options.step == "fontconfig") return write_fontconfig_step(options, out);
    return run_family(options, out, err);
}

}  // namespace

int run_glyphfamily(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                    ByteSink& err) {
    (void)in;
    try {
        const ParsedOptions parsed = parse_family_options(args);
        if (!parsed.error.empty()) {
            err.put("glyphfamily: " + parsed.error + "\n" + family_usage());
            err.flush();
            return 2;
        }
        if (parsed.options.help) {
            out.put(family_usage());
            out.flush();
            return 0;
        }
        return run_command(parsed.options, out, err);
    } catch (const std::bad_alloc&) {
        return fail(err, "FATAL: Memory exhausted");
    } catch (const IoFailure& io) {
        return fail(err, std::string("Write error: ") + std::strerror(io.error));
    } catch (const std::exception& problem) {
        return fail(err, problem.what());
    }
}

}  // namespace glyph

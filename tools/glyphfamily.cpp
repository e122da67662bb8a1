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
#include <thread>

#include "charset_copy.hpp"
#include "child_process.hpp"
#include "converted_fonts.hpp"
#include "face_choice.hpp"
#include "failure.hpp"
#include "family_options.hpp"
#include "family_plan.hpp"
#include "file_io.hpp"
#include "font_survey.hpp"
#include "job_pool.hpp"
#include "otb_dates.hpp"
#include "process_entry.hpp"
#include "staging.hpp"
#include "stop_signal.hpp"
#include "tools.hpp"

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
    Converter fonttosfnt{"fonttosfnt", "xfonts-utils", {}};
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
    std::string error = need(formats.pcf, "pcf", {&tools.bdftopcf, &tools.gzip, &tools.mkfontdir});
    if (error.empty()) error = need(formats.otb, "otb", {&tools.fonttosfnt});
    return error;
}

std::string stem_of(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    if (name.size() > 4 && name.ends_with(".bdf")) name.resize(name.size() - 4);
    return name;
}

EntryFunction filter_entry(Face face) {
    switch (face) {
        case Face::bold:
            return run_glyphstout;
        case Face::oblique:
            return run_glyphslope;
        case Face::bold_oblique:
            return run_glyphstoutslope;
        case Face::regular:
            break;
    }
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

// The jobs of a real run, in the stage.
class FamilyRun {
  public:
    FamilyRun(const FamilyPlan& plan, const std::vector<std::string>& texts,
              const Converters& tools, const Deadlines& deadlines, const fs::path& stage)
        : plan_(plan), texts_(texts), tools_(tools), deadlines_(deadlines), stage_(stage) {}

    std::vector<Job> jobs() const {
        std::vector<Job> jobs;
        for (const FaceRun& run : plan_.faces)
            jobs.push_back({[this, &run] { return make_face(run); }, {}});
        const auto face_job = [&](std::size_t size, Face face) {
            return size * FACES.size() + static_cast<std::size_t>(face);
        };
        // The OpenType files take longest: they start first.
        for (const OtbRun& run : plan_.otb) {
            Job job{[this, &run] { return make_otb(run); }, {}};
            for (std::size_t size = 0; size < plan_.sizes.size(); ++size)
                job.after.push_back(face_job(size, run.face));
            jobs.push_back(std::move(job));
        }
        std::vector<std::size_t> pcf_jobs;
        for (const PcfRun& run : plan_.pcf) {
            pcf_jobs.push_back(jobs.size());
            jobs.push_back(
                {[this, &run] { return make_pcf(run); }, {face_job(run.size, run.face)}});
        }
        if (!pcf_jobs.empty()) jobs.push_back({[this] { return make_fonts_dir(); }, pcf_jobs});
        return jobs;
    }

  private:
    std::string at(const std::string& relative) const { return (stage_ / relative).string(); }

    std::string make_face(const FaceRun& run) const {
        const std::string& font = plan_.sizes[run.size].path;
        const std::string output = at(run.output);
        const EntryFunction entry = filter_entry(run.face);
        if (!entry) return write_file(output, texts_[run.size]);
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return output + ": " + std::strerror(errno);
        MemorySource no_input("");
        FdSink out(fd, 1 << 16);
        StringSink err;
        const int status = entry(run.args, no_input, out, err);
        const bool closed = ::close(fd) == 0;
        if (status != 0) {
            const std::string message = one_line(err.text());
            return font + ": " + face_program(run.face) + ": " +
                   (message.empty() ? "the font cannot be opened" : message);
        }
        if (!closed) return output + ": " + std::strerror(errno);
        return {};
    }

    // Runs a converter on `input` (a path in the stage, as messages name it)
    // within its deadline; an empty string, or why it failed.
    std::string convert(const Converter& tool, const std::vector<std::string>& args,
                        const std::string& input, std::uintmax_t bytes,
                        const std::string* output = nullptr) const {
        const ChildLimits limits{deadlines_.for_bytes(bytes)};
        const ChildResult result = run_child(tool.path, args, output, limits);
        if (result.ok) return {};
        const std::string on = std::string(tool.program) + " on " + input;
        if (result.stopped_by) return on + " stopped";
        if (result.timed_out)
            return on + " took more than " +
                   std::to_string(
                       std::chrono::ceil<std::chrono::seconds>(limits.deadline).count()) +
                   " s and was killed (GLYPHFAMILY_TIMEOUT sets the time)";
        return on + " failed: " + without_stage(one_line(result.messages));
    }

    // A converter names the files as it was given them, in the stage, which
    // the user never sees: they are named as the plan names them.
    std::string without_stage(std::string message) const {
        const std::string prefix = stage_.string() + "/";
        for (std::size_t at; (at = message.find(prefix)) != std::string::npos;)
            message.erase(at, prefix.size());
        return message;
    }

    std::string make_pcf(const PcfRun& run) const {
        std::vector<std::string> args = {tools_.bdftopcf.program};
        if (run.terminal) args.push_back("-t");
        args.push_back(at(run.input));
        const std::string pcf = at(run.pcf), output = at(run.output);
        const std::uintmax_t bytes = size_of(at(run.input));
        if (std::string error = convert(tools_.bdftopcf, args, run.input, bytes, &pcf);
            !error.empty())
            return error;
        if (std::string problem = check_pcf(pcf); !problem.empty())
            return "bdftopcf wrote no PCF font for " + run.input + ": " + problem;
        if (std::string error =
                convert(tools_.gzip, {"gzip", "-n", "-9", "-c", pcf}, run.pcf, bytes, &output);
            !error.empty())
            return error;
        if (std::string problem = check_pcf(output); !problem.empty())
            return "gzip wrote no compressed PCF font for " + run.input + ": " + problem;
        ::unlink(pcf.c_str());
        return {};
    }

    std::string make_fonts_dir() const {
        if (std::string error = convert(tools_.mkfontdir, {"mkfontdir", at("pcf")}, "pcf", 0);
            !error.empty())
            return error;
        std::vector<std::string> fonts;
        for (const PcfRun& run : plan_.pcf)
            fonts.push_back(fs::path(run.output).filename().string());
        if (::access(at("pcf/fonts.dir").c_str(), F_OK) != 0)
            return "mkfontdir wrote no pcf/fonts.dir";
        if (std::string problem = check_fonts_dir(at("pcf/fonts.dir"), fonts); !problem.empty())
            return "mkfontdir wrote a broken pcf/fonts.dir: " + problem;
        return {};
    }

    std::string make_otb(const OtbRun& run) const {
        if (run.recode) {
            for (std::size_t i = 0; i < run.faces.size(); ++i) {
                std::string text;
                std::string error = read_file(at(run.faces[i]), text);
                if (error.empty()) error = write_file(at(run.inputs[i]), as_iso10646(text));
                if (!error.empty()) return error;
            }
        }
        const std::string output = at(run.output);
        std::vector<std::string> args = {"fonttosfnt", "-b", "-c", "-g",  "2",
                                         "-m",         "2",  "-o", output};
        std::uintmax_t bytes = 0;
        for (const std::string& input : run.inputs) {
            args.push_back(at(input));
            bytes += size_of(at(input));
        }
        if (std::string error = convert(tools_.fonttosfnt, args, run.faces[0], bytes);
            !error.empty())
            return error;
        if (::access(output.c_str(), F_OK) != 0) return "fonttosfnt wrote no " + run.output;
        if (plan_.epoch) return set_file_head_dates(output, *plan_.epoch);
        return {};
    }

    const FamilyPlan& plan_;
    const std::vector<std::string>& texts_;
    const Converters& tools_;
    const Deadlines& deadlines_;
    fs::path stage_;
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

unsigned processors() {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (online > 0) return static_cast<unsigned>(online);
    return std::max(1u, std::thread::hardware_concurrency());
}

int run_family(const FamilyOptions& options, ByteSink& out, ByteSink& err) {
    std::string error;
    const std::optional<std::int64_t> epoch = source_date_epoch(error);
    if (!error.empty()) return fail(err, error);
    const Deadlines deadlines = converter_deadlines(error);
    if (!error.empty()) return fail(err, error);

    std::vector<SizeEntry> sizes;
    std::vector<std::string> texts;
    for (const std::string& path : options.fonts) {
        std::string text;
        if (std::string problem = read_file(path, text); !problem.empty())
            return fail(err, problem);
        SurveyResult survey = survey_font(text);
        if (!survey.error.empty()) return fail(err, path + ": " + survey.error);
        FaceOptions chosen = choose_options(survey.font);
        sizes.push_back({path, stem_of(path), std::move(survey.font), std::move(chosen)});
        texts.push_back(std::move(text));
    }

    Formats formats = options.formats;
    Converters tools;
    if (std::string problem = find_converters(tools, formats, options.formats_given, err);
        !problem.empty())
        return fail(err, problem);
    PlanResult made = make_plan(std::move(sizes), formats, options, epoch);
    if (!made.error.empty()) return fail(err, made.error);
    const FamilyPlan& plan = made.plan;
    const std::string dir = options.out_dir.empty() ? file_name_of(plan.family) : options.out_dir;
    if (options.dry_run) {
        out.put(plan_text(plan, dir));
        out.flush();
        return 0;
    }

    std::vector<std::string> kept;
    if (plan.formats.bdf) kept.push_back("bdf");
    if (plan.formats.pcf) kept.push_back("pcf");
    if (plan.formats.otb) kept.push_back("otb");
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

    const FamilyRun run(plan, texts, tools, deadlines, fs::absolute(stage.path()));
    std::string problem = run_jobs(run.jobs(), options.jobs ? options.jobs : processors());
    // A signal during the commit undoes it; one after it finds the run done.
    if (problem.empty()) problem = stage.commit();
    if (const int signo = stop_signal(); signo && !problem.empty()) {
        err.put("glyphfamily: stopped by " + signal_name(signo) + "; " + dir + " is as it was\n");
        err.flush();
        return 128 + signo;
    }
    if (!problem.empty()) return fail(err, problem);
    out.put(summary_text(plan, dir));
    out.flush();
    return 0;
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
        return run_family(parsed.options, out, err);
    } catch (const std::bad_alloc&) {
        return fail(err, "FATAL: Memory exhausted");
    } catch (const IoFailure& io) {
        return fail(err, std::string("Write error: ") + std::strerror(io.error));
    } catch (const std::exception& problem) {
        return fail(err, problem.what());
    }
}

}  // namespace glyph

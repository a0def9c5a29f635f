// nocturo-soak: random but legal events against the whole application, with the rules a
// photographer relies on checked after every one. A failure is shrunk to a short nocturo-sim
// script, printed and kept.
//
// The events run in a child process, which logs the lines since the last launch; so a crash
// or a sanitizer report is shrunk as well as a broken rule. Each try of the shrinker replays
// its lines in a child of its own.

#include "soak/EventGenerator.h"
#include "soak/Shrinker.h"
#include "soak/SoakSession.h"
#include "soak/TinyResources.h"
#include "timed/TimedLight.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef NOCTURO_RESOURCE_DIR
#define NOCTURO_RESOURCE_DIR "resources"
#endif

namespace nocturo {
namespace {

namespace fs = std::filesystem;

struct Options {
    long events = 100000;
    std::uint64_t seed = 0;
    bool seedGiven = false;
    std::string resources = NOCTURO_RESOURCE_DIR;
    bool realPictures = false;
    std::string dir;
    std::string keep = "soak-failure.sim";
    std::string replay;
    std::string log;
    long shrinkBudget = 4000;
};

void usage(std::ostream& out) {
    out << "usage: nocturo-soak [--events N] [--seed S] [--keep FILE] [--dir DIR]\n"
           "                    [--resources DIR] [--real-pictures] [--shrink-budget N] [--log "
           "FILE]\n"
           "       nocturo-soak --replay SCRIPT\n"
           "Runs N random but legal events (default 100000) and checks the application's rules\n"
           "after each. A failure is shrunk to a nocturo-sim script, printed and written to\n"
           "FILE (default soak-failure.sim); the exit status is then 1. --replay runs a script\n"
           "with the same checks. Settings files live in DIR (default a new folder under\n"
           "/dev/shm, or $TMPDIR). --log writes every event to FILE.\n";
}

// A folder for the settings files; in memory when possible, since every write is flushed.
std::string makeWorkDir(const std::string& parent) {
    std::string base = parent;
    if (base.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && tmp[0] ? tmp : "/tmp");
    }
    std::string pattern = base + "/nocturo-soak-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        return {};
    return name.data();
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// ---- replaying

struct ReplayResult {
    std::string kind; // "ok", "violation", "refused" or "crash"
    std::string detail;
    std::size_t line = 0; // from 1
};

ReplayResult replayHere(const std::vector<std::string>& lines, const std::string& settings,
                        const std::string& resources) {
    std::error_code ignored;
    fs::remove(settings, ignored);
    SoakSession session(settings, resources);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Outcome o = session.run(lines[i]);
        if (!o.refusal.empty())
            return {"refused", o.refusal, i + 1};
        if (o.violation)
            return {"violation", o.violation.text(), i + 1};
    }
    return {"ok", {}, 0};
}

// The same in a child process, so that a crash is an answer too.
ReplayResult replayApart(const std::vector<std::string>& lines, const std::string& workDir,
                         const std::string& resources, bool quiet) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {"crash", "cannot make a pipe", 0};
    std::cout.flush();
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (quiet) {
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
        }
        ::alarm(600);
        std::string settings = workDir + "/replay-" + std::to_string(::getpid()) + ".json";
        ReplayResult r = replayHere(lines, settings, resources);
        std::string text = r.kind + "\n" + std::to_string(r.line) + "\n" + r.detail;
        [[maybe_unused]] auto written = ::write(pipeFds[1], text.data(), text.size());
        std::error_code ignored;
        fs::remove(settings, ignored);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string how = WIFSIGNALED(status)
                              ? std::string("killed by signal ") + std::to_string(WTERMSIG(status))
                              : "exit status " + std::to_string(WEXITSTATUS(status));
        return {"crash", how, 0};
    }
    ReplayResult r;
    std::istringstream in(text);
    std::string number;
    std::getline(in, r.kind);
    std::getline(in, number);
    std::getline(in, r.detail, '\0');
    r.line = static_cast<std::size_t>(std::strtoul(number.c_str(), nullptr, 10));
    return r;
}

// ---- shrinking waits

std::optional<double> waitOf(const std::string& line) {
    if (!line.starts_with("wait "))
        return std::nullopt;
    char* end = nullptr;
    double seconds = std::strtod(line.c_str() + 5, &end);
    return *end == '\0' ? std::optional<double>(seconds) : std::nullopt;
}

std::string waitLine(double seconds, int decimals) {
    char text[64];
    if (decimals < 0)
        std::snprintf(text, sizeof text, "wait %.17g", seconds);
    else
        std::snprintf(text, sizeof text, "wait %.*f", decimals, seconds);
    return text;
}

// Makes a shrunk script easier to read where the failure allows: neighbouring waits become
// one, and each wait is rounded up to as few decimals as will do.
std::vector<std::string> simplerWaits(std::vector<std::string> lines, const Shrinker::Test& fails,
                                      long& tries) {
    for (std::size_t i = 0; i + 1 < lines.size();) {
        auto a = waitOf(lines[i]), b = waitOf(lines[i + 1]);
        if (a && b) {
            std::vector<std::string> merged = lines;
            merged[i] = waitLine(*a + *b, -1);
            merged.erase(merged.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            ++tries;
            if (fails(merged)) {
                lines = std::move(merged);
                continue;
            }
        }
        ++i;
    }
    for (std::string& line : lines) {
        auto seconds = waitOf(line);
        if (!seconds)
            continue;
        for (int decimals = 0; decimals <= 6; ++decimals) {
            double scale = std::pow(10.0, decimals);
            std::string rounded = waitLine(std::ceil(*seconds * scale) / scale, decimals);
            if (rounded == line)
                break;
            std::string kept = line;
            line = rounded;
            ++tries;
            if (fails(lines))
                break;
            line = kept;
        }
    }
    return lines;
}

// ---- the soak

struct Counts {
    long touches = 0, severalFingers = 0, cancels = 0, controls = 0, presses = 0, waits = 0;
    long launches = 0, keys = 0, runs = 0, runsLit = 0, runsCancelled = 0;
    double waited = 0.0;
};

// The child's work. Exit status 0 when every event passed, 10 when one broke a rule or was
// refused (the reason goes to `failurePath`).
int runEvents(const Options& options, const std::string& workDir, const std::string& resources,
              const std::string& segmentPath, const std::string& failurePath, long* eventNow) {
    SoakSession session(workDir + "/settings.json", resources);
    EventGenerator generator(options.seed);
    Counts counts;
    auto started = std::chrono::steady_clock::now();

    // The lines since the last launch, preceded by what recreates the file and the clock then.
    int log = ::open(segmentPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    auto append = [&](const std::string& line) {
        std::string text = line + "\n";
        [[maybe_unused]] auto written = ::write(log, text.data(), text.size());
    };

    std::ofstream everything;
    if (!options.log.empty())
        everything.open(options.log);

    for (long i = 1; i <= options.events; ++i) {
        *eventNow = i;
        std::string line = generator.next(session.app());
        if (everything.is_open())
            everything << line << "\n";
        if (line == "launch") {
            [[maybe_unused]] int truncated = ::ftruncate(log, 0);
            ::lseek(log, 0, SEEK_SET);
            for (const std::string& l : session.prelude())
                append(l);
            ++counts.launches;
        }
        if (line == "launch" || session.app())
            append(line);

        if (line.starts_with("touch")) {
            ++counts.touches;
            counts.cancels += line.starts_with("touch cancel");
        } else if (line.starts_with("control")) {
            ++counts.controls;
        } else if (line.starts_with("press")) {
            ++counts.presses;
        } else if (line.starts_with("wait")) {
            ++counts.waits;
            counts.waited += std::strtod(line.c_str() + 5, nullptr);
        } else if (line.starts_with("key")) {
            ++counts.keys;
        }

        using Phase = TimedLight::Phase;
        auto phaseNow = [&] {
            return session.app() ? session.app()->controller().timedLight().phase() : Phase::Idle;
        };
        Phase before = phaseNow();
        Outcome outcome = session.run(line);
        Phase after = phaseNow();
        bool runningBefore = before == Phase::Countdown || before == Phase::Light;
        bool runningAfter = after == Phase::Countdown || after == Phase::Light;
        counts.runs += !runningBefore && runningAfter;
        counts.runsLit += after == Phase::Light && before != Phase::Light;
        counts.runsCancelled += runningBefore && session.app() && after == Phase::Idle;
        if (session.app() && session.app()->window()->touchCount() >= 2)
            ++counts.severalFingers;
        if (!outcome.ok()) {
            std::ofstream failure(failurePath);
            if (!outcome.refusal.empty())
                failure << "refused\n" << outcome.refusal << "\n";
            else
                failure << "violation\n" << outcome.violation.text() << "\n";
            failure << i << "\n";
            ::close(log);
            return 10;
        }
        if (i % 100000 == 0)
            std::cerr << "nocturo-soak: " << i << " events\n";
    }
    ::close(log);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("nocturo-soak: %ld events (seed %llu) in %.1f s, every rule held after each\n"
                "  %ld touch events (%ld cancelled, %ld with several fingers down), %ld control "
                "changes, %ld presses,\n"
                "  %ld waits over %.0f s of virtual time, %ld launches, %ld settings-file writes\n"
                "  %ld keys, %ld timed lights started (%ld lit, %ld cancelled)\n",
                options.events, static_cast<unsigned long long>(options.seed), seconds,
                counts.touches, counts.cancels, counts.severalFingers, counts.controls,
                counts.presses, counts.waits, counts.waited, counts.launches,
                session.store().writes(), counts.keys, counts.runs, counts.runsLit,
                counts.runsCancelled);
    return 0;
}

int soak(const Options& options, const std::string& workDir, const std::string& resources) {
    std::string segmentPath = workDir + "/segment.sim";
    std::string failurePath = workDir + "/failure.txt";
    // The child says here which event it is at, so that a crash can be placed.
    void* shared =
        ::mmap(nullptr, sizeof(long), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    long fallback = 0;
    long* eventNow = shared == MAP_FAILED ? &fallback : static_cast<long*>(shared);
    *eventNow = 0;
    std::cout.flush();
    pid_t child = ::fork();
    if (child == 0) {
        int code = runEvents(options, workDir, resources, segmentPath, failurePath, eventNow);
        std::fflush(stdout);
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return 0;

    // What went wrong, and the test that a shorter script must still fail.
    ReplayResult wanted;
    std::string eventNumber = std::to_string(*eventNow);
    if (shared != MAP_FAILED)
        ::munmap(shared, sizeof(long));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 10) {
        std::vector<std::string> failure = readLines(failurePath);
        wanted.kind = failure.size() > 0 ? failure[0] : "violation";
        wanted.detail = failure.size() > 1 ? failure[1] : "";
        if (failure.size() > 2)
            eventNumber = failure[2];
    } else {
        wanted.kind = "crash";
        wanted.detail = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                            : "exit status " + std::to_string(WEXITSTATUS(status));
    }
    std::string rule = wanted.detail.substr(0, wanted.detail.find(':'));
    std::cout << "nocturo-soak: seed " << options.seed << ", event " << eventNumber << ": "
              << wanted.kind << ": " << wanted.detail << "\n";

    std::vector<std::string> lines = readLines(segmentPath);
    auto sameFailure = [&](const std::vector<std::string>& candidate) {
        ReplayResult r = replayApart(candidate, workDir, resources, true);
        if (r.kind != wanted.kind)
            return false;
        if (r.kind == "crash")
            return true;
        if (r.kind == "refused")
            return r.line == candidate.size() && r.detail == wanted.detail;
        return r.detail.substr(0, r.detail.find(':')) == rule;
    };
    if (!sameFailure(lines)) {
        std::cout << "nocturo-soak: the " << lines.size()
                  << " lines since the last launch do not fail again on their own; they are "
                     "kept unshrunk\n";
    } else {
        std::cout << "nocturo-soak: shrinking " << lines.size() << " lines\n";
        Shrinker shrinker(sameFailure, options.shrinkBudget);
        lines = shrinker.shrink(lines);
        long tries = shrinker.tries();
        lines = simplerWaits(lines, sameFailure, tries);
        std::cout << "nocturo-soak: " << lines.size() << " lines after " << tries << " tries"
                  << (shrinker.exhausted() ? " (budget spent)" : "") << "\n";
    }
    ReplayResult last = replayApart(lines, workDir, resources, false);

    std::ostringstream script;
    script << "# Found by the soak (seed " << options.seed << ", event " << eventNumber
           << "): " << wanted.kind << ": " << wanted.detail << "\n";
    script << "# Replayed: " << last.kind
           << (last.line ? " at line " + std::to_string(last.line) : "")
           << (last.detail.empty() ? "" : ": " + last.detail) << "\n";
    for (const std::string& line : lines)
        script << line << "\n";
    std::cout << script.str();
    std::ofstream keep(options.keep);
    keep << script.str();
    if (keep)
        std::cout << "nocturo-soak: kept in " << options.keep << "\n";
    return 1;
}

int replayScript(const Options& options, const std::string& workDir, const std::string& resources) {
    std::vector<std::string> lines = readLines(options.replay);
    if (lines.empty() && !fs::exists(options.replay)) {
        std::cerr << "nocturo-soak: cannot read " << options.replay << "\n";
        return 2;
    }
    ReplayResult r = replayHere(lines, workDir + "/settings.json", resources);
    if (r.kind == "ok") {
        std::cout << "nocturo-soak: " << options.replay << ": every rule held after each of "
                  << lines.size() << " lines\n";
        return 0;
    }
    std::cout << options.replay << ": line " << r.line << ": " << r.kind << ": " << r.detail
              << "\n";
    return r.kind == "refused" ? 2 : 1;
}

} // namespace
} // namespace nocturo

int main(int argc, char** argv) {
    using namespace nocturo;
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage(std::cerr);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            usage(std::cout);
            return 0;
        } else if (a == "--events") {
            options.events = std::strtol(value().c_str(), nullptr, 10);
        } else if (a == "--seed") {
            options.seed = std::strtoull(value().c_str(), nullptr, 10);
            options.seedGiven = true;
        } else if (a == "--resources") {
            options.resources = value();
        } else if (a == "--real-pictures") {
            options.realPictures = true;
        } else if (a == "--dir") {
            options.dir = value();
        } else if (a == "--keep") {
            options.keep = value();
        } else if (a == "--replay") {
            options.replay = value();
        } else if (a == "--log") {
            options.log = value();
        } else if (a == "--shrink-budget") {
            options.shrinkBudget = std::strtol(value().c_str(), nullptr, 10);
        } else {
            std::cerr << "nocturo-soak: unknown option " << a << "\n";
            usage(std::cerr);
            return 2;
        }
    }
    if (!options.seedGiven)
        options.seed = std::random_device{}();

    std::string workDir = makeWorkDir(options.dir);
    if (workDir.empty()) {
        std::cerr << "nocturo-soak: cannot make a working folder\n";
        return 2;
    }
    int status;
    {
        TinyResources tiny(options.resources);
        std::string resources =
            options.realPictures || tiny.dir().empty() ? options.resources : tiny.dir();
        status = options.replay.empty() ? soak(options, workDir, resources)
                                        : replayScript(options, workDir, resources);
    }
    std::error_code ignored;
    fs::remove_all(workDir, ignored);
    return status;
}

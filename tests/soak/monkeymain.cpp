// varlok_monkey: drives the real main window with the virtual mouse, at
// random from a seed, and checks after its steps that nothing was lost.
//
//   varlok_monkey [--seed S] [--seconds T] [--actions N] [--folder DIR]
//                 [--keep] [--install DIR]
//
// Runs until T seconds (60 unless given) or N actions have passed. Every
// step is written to monkey.log in the run's folder (a fresh temporary one
// unless given, removed after a run without faults unless --keep). A fault
// of an invariant prints the seed, the step and the last steps, keeps the
// folder and ends with exit status 1; a step that hangs for two minutes
// prints the same and every thread's stack (gdb) and aborts. The same seed
// replays the same actions; where a thread's timing decides (which message
// boxes open, and so the answers drawn for them), a replay may part from the
// run.

#include <unistd.h>

#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "monkey.h"
#include "monkeyworld.h"
#include "ui/customcontrols.h"
#include "ui/paintmanagerui.h"
#include "ui/resourcemanager.h"
#include "ui/support/uidriver.h"
#include "ui/windowhandle.h"

namespace {

using namespace std::chrono_literals;
using varlok::soak::Monkey;
using varlok::soak::MonkeyWorld;

// How often the invariants are checked, in steps.
constexpr int kAnswerEvery = 10;
constexpr int kStoresEvery = 25;
constexpr int kMirrorEvery = 150;
// A step that runs longer than this hangs.
constexpr auto kHang = 120s;
// The steps printed with a fault.
constexpr std::size_t kTail = 30;

struct Options {
    std::uint64_t seed = std::random_device()();
    std::chrono::seconds duration{60};
    long long actions = 0;
    std::filesystem::path folder;
    bool keep = false;
    std::filesystem::path install = VARLOK_BUILD_DATA_DIR;
};

std::optional<Options> Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seed" && hasValue) {
            options.seed = std::stoull(argv[++i]);
        } else if (arg == "--seconds" && hasValue) {
            options.duration = std::chrono::seconds(std::stoll(argv[++i]));
        } else if (arg == "--actions" && hasValue) {
            options.actions = std::stoll(argv[++i]);
        } else if (arg == "--folder" && hasValue) {
            options.folder = argv[++i];
        } else if (arg == "--install" && hasValue) {
            options.install = argv[++i];
        } else if (arg == "--keep") {
            options.keep = true;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// The steps so far: all of them in the log file, the last ones for a report.
class StepLog {
public:
    explicit StepLog(const std::filesystem::path& file) : m_file(file) {}

    // A line: the step's number, how long it took, and what it did.
    void Add(long long step, std::chrono::milliseconds took, const std::string& what) {
        const std::lock_guard lock(m_mutex);
        const std::string line =
            std::to_string(step) + "\t" + std::to_string(took.count()) + " ms\t" + what;
        m_file << line << "\n" << std::flush;
        m_tail.push_back(line);
        if (m_tail.size() > kTail) {
            m_tail.pop_front();
        }
    }
    void PrintTail() const {
        const std::lock_guard lock(m_mutex);
        std::cerr << "the last steps:\n";
        for (const std::string& line : m_tail) {
            std::cerr << "  " << line << "\n";
        }
    }

private:
    mutable std::mutex m_mutex;
    std::ofstream m_file;
    std::deque<std::string> m_tail;
};

// Where every thread of this process stands, on the standard error: a hang
// may need a machine's pace to come back, so its stacks are taken when it
// happens. Needs gdb (and may attach to its parent); says so without it.
void PrintStacks() {
    const std::string command = "gdb --batch --quiet -p " + std::to_string(::getpid()) +
                                " -ex 'thread apply all bt' 1>&2 2>/dev/null" +
                                " || echo 'monkey: no stacks (gdb missing or refused)' 1>&2";
    static_cast<void>(std::system(command.c_str()));
}

// Ends a run whose step hangs: prints where and every thread's stack, then
// aborts.
class Watchdog {
public:
    Watchdog(std::uint64_t seed, const StepLog& log) : m_seed(seed), m_log(log) {
        m_thread = std::thread([this] { Run(); });
    }
    ~Watchdog() {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void StepStarts(long long step) {
        {
            const std::lock_guard lock(m_mutex);
            m_step = step;
            m_started = std::chrono::steady_clock::now();
        }
        m_wake.notify_all();
    }

private:
    void Run() {
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            const long long step = m_step;
            if (!m_wake.wait_until(lock, m_started + kHang,
                                   [this, step] { return m_done || m_step != step; })) {
                std::cerr << "monkey: step " << step << " (seed " << m_seed
                          << ") has run for two minutes\n";
                m_log.PrintTail();
                PrintStacks();
                std::abort();
            }
        }
    }

    const std::uint64_t m_seed;
    const StepLog& m_log;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    long long m_step = 0;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    bool m_done = false;
    std::thread m_thread;
};

bool LoadSkin(const std::filesystem::path& install) {
    varlok::ui::test::EnsureApplication();
    varlok::ui::CPaintManagerUI::SetInstancePath(install.string());
    varlok::ui::CPaintManagerUI::SetResourcePath((install / "skin").string());
    if (!varlok::ui::CResourceManager::GetInstance().LoadResource("res.xml")) {
        return false;
    }
    varlok::ui::RegisterCustomControls();
    return true;
}

std::filesystem::path MakeFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "varlok-monkey-XXXXXX").string();
    return ::mkdtemp(pattern.data()) != nullptr ? std::filesystem::path(pattern)
                                                : std::filesystem::path();
}

// The run itself: faults reported, the folder removed after a clean run.
int RunMonkey(Options& options, bool ownFolder) {
    StepLog log(options.folder / "monkey.log");
    Watchdog watchdog(options.seed, log);
    long long step = 0;
    std::vector<std::string> faults;
    const auto started = std::chrono::steady_clock::now();
    const auto report = [&](std::string_view when) {
        for (const std::string& fault : faults) {
            std::cerr << "monkey: FAULT " << when << " step " << step << " (seed " << options.seed
                      << "): " << fault << "\n";
        }
        log.PrintTail();
        std::cerr << "monkey: replay with --seed " << options.seed << " --actions " << step
                  << "; folder kept: " << options.folder.string() << "\n";
        return 1;
    };
    const auto take = [&faults](std::vector<std::string> found) {
        faults.insert(faults.end(), found.begin(), found.end());
    };
    std::map<std::string, int> counts;
    {
        MonkeyWorld world(options.folder / "world", options.install);
        world.Start();
        Monkey monkey(world, options.seed);
        while (std::chrono::steady_clock::now() - started < options.duration &&
               (options.actions == 0 || step < options.actions)) {
            watchdog.StepStarts(++step);
            // The step is logged before its checks run, so that a check that
            // hangs or crashes names the step before it; the checks' time gets
            // a line of its own.
            const auto took = [since = std::chrono::steady_clock::now()] {
                return std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - since);
            };
            const std::string done = monkey.Step();
            log.Add(step, took(), done);
            const auto checksStarted = took();
            std::string checks;
            if (step % kAnswerEvery == 0) {
                take(world.CheckWindowAnswers());
                checks += " answers";
            }
            if (step % kStoresEvery == 0) {
                take(world.CheckStores());
                checks += " stores";
            }
            if (step % kMirrorEvery == 0) {
                take(world.CheckMirrorAfterFullRead());
                checks += " mirror";
            }
            if (!checks.empty()) {
                log.Add(step, took() - checksStarted, "checks:" + checks);
            }
            if (!faults.empty()) {
                return report("after");
            }
        }
        watchdog.StepStarts(++step);
        log.Add(step, {}, "the end: faults ended, mouse read whole, program quit");
        world.EndDeviceFaults();
        world.EndDiskFaults();
        take(world.CheckWindowAnswers());
        take(world.CheckMirrorAfterFullRead());
        world.Quit();
        take(world.CheckStores());
        counts = monkey.Counts();
        --step;
    }
    if (!faults.empty()) {
        return report("at the end, after");
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started);
    std::cout << "monkey: seed " << options.seed << ": " << step << " actions in "
              << seconds.count() << " s, 0 faults\n";
    for (const auto& [what, count] : counts) {
        std::cout << "  " << what << ": " << count << "\n";
    }
    if (ownFolder && !options.keep) {
        std::error_code error;
        std::filesystem::remove_all(options.folder, error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<Options> options = Parse(argc, argv);
    if (!options) {
        std::cerr << "usage: varlok_monkey [--seed S] [--seconds T] [--actions N] "
                     "[--folder DIR] [--keep] [--install DIR]\n";
        return 2;
    }
    const bool ownFolder = options->folder.empty();
    if (ownFolder) {
        options->folder = MakeFolder();
    }
    std::filesystem::create_directories(options->folder);
    if (!LoadSkin(options->install)) {
        std::cerr << "varlok_monkey: no skin under " << options->install << "\n";
        return 2;
    }
    std::cout << "monkey: seed " << options->seed << " in " << options->folder.string()
              << " (replay: varlok_monkey --seed " << options->seed << ")" << std::endl;
    // Inside the program's own message loop, as the window always runs: what
    // a handler deletes later goes once its own loop gets back to it, never
    // inside a modal loop opened meanwhile.
    int result = 1;
    QTimer::singleShot(0, [&] {
        result = RunMonkey(*options, ownFolder);
        varlok::ui::PostQuitMessage(0);
    });
    static_cast<void>(varlok::ui::RunMessageLoop());
    return result;
}

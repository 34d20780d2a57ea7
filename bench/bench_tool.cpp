// Each qlvtool project command as a whole process beside its floor, qlv-floor-tool doing the
// same file work with QtCore and SQLite only: wall time and the child's CPU, start-up included.
#include "pairbench.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

extern char** environ;

using namespace qlv::bench;

namespace {

// Runs program with args, output discarded, adding its wall and CPU time to clocks.
void runChild(Clocks& clocks, const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto wall0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        std::abort();
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    clocks.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    clocks.cpu += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s failed\n", program.c_str(),
                     args.empty() ? "" : args[0].c_str());
        std::abort();
    }
}

struct Files {
    QTemporaryDir dir;
    std::string path(const char* name) const
    {
        return dir.filePath(QLatin1String(name)).toStdString();
    }
    Files()
    {
        Clocks ignored;
        runChild(ignored, QLVTOOL_PATH, {"new", path("p.qlv")});
        runChild(ignored, QLVTOOL_PATH, {"new", path("f.qlv")});
        // An image of 512 named, learned slots.
        QByteArray image(512 * 512, char(0));
        for (int n = 0; n < 512; ++n) {
            char* record = image.data() + n * 512;
            record[0] = char(0xAA);
            record[1] = 48;
            const QByteArray name = "KEY " + QByteArray::number(n + 1);
            std::memcpy(record + 240, name.constData(), std::size_t(name.size()));
        }
        QFile file(dir.filePath(QStringLiteral("image.bin")));
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            std::abort();
    }
};

// The arguments of a command for QLV and for the floor; outputs are removed before each run.
struct Case {
    const char* command;
    std::vector<std::string> (*args)(const Files&, bool floor);
    const char* output; // removed before each run, or nullptr
};

const Case cases[] = {
    {"new",
     [](const Files& f, bool floor) {
         return std::vector<std::string>{"new", f.path(floor ? "n2.qlv" : "n1.qlv")};
     },
     "n"},
    {"import",
     [](const Files& f, bool floor) {
         return std::vector<std::string>{"import", f.path("image.bin"),
                                         f.path(floor ? "i2.qlv" : "i1.qlv")};
     },
     "i"},
    {"compile",
     [](const Files& f, bool floor) {
         return std::vector<std::string>{"compile", f.path("p.qlv"),
                                         f.path(floor ? "c2.bin" : "c1.bin")};
     },
     "c"},
    {"info",
     [](const Files& f, bool) {
         return std::vector<std::string>{"info", f.path("p.qlv")};
     },
     nullptr},
    {"list",
     [](const Files& f, bool) {
         return std::vector<std::string>{"list", f.path("p.qlv")};
     },
     nullptr},
    {"set-name",
     [](const Files& f, bool floor) {
         return std::vector<std::string>{"set-name", f.path(floor ? "f.qlv" : "p.qlv"), "7",
                                         "POWER"};
     },
     nullptr},
    {"set-remark",
     [](const Files& f, bool floor) {
         return std::vector<std::string>{"set-remark", f.path(floor ? "f.qlv" : "p.qlv"), "9",
                                         "by the door"};
     },
     nullptr},
};

void removeOutputs(const Files& f, const Case& c)
{
    if (!c.output)
        return;
    for (const char* suffix : {"1", "2"})
        for (const char* ext : {".qlv", ".bin"})
            QFile::remove(
                QString::fromStdString(f.path((std::string(c.output) + suffix + ext).c_str())));
}

void BM_ToolCommand(benchmark::State& state)
{
    static Files files;
    const Case& c = cases[state.range(0)];
    state.SetLabel(c.command);
    Clocks qlv;
    Clocks floor;
    for (auto _ : state) {
        removeOutputs(files, c);
        runChild(qlv, QLVTOOL_PATH, c.args(files, false));
        runChild(floor, FLOOR_TOOL_PATH, c.args(files, true));
    }
    reportPair(state, qlv, floor);
}
BENCHMARK(BM_ToolCommand)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

#include "cleanuponsignal.h"

#include <QFile>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace qlv {

namespace {

struct Entry {
    std::atomic<char*> path{nullptr};
    std::atomic<bool> folder{false};
};

// Fixed storage: the handler must not allocate or take locks.
std::array<Entry, 64> g_entries;

constexpr std::array<int, 3> CleanedSignals{SIGTERM, SIGHUP, SIGINT};

void onSignal(int signal)
{
    cleanUpRegisteredPaths();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

} // namespace

void cleanUpRegisteredPaths()
{
    for (const bool folders : {false, true})
        for (Entry& entry : g_entries) {
            const char* path = entry.path.load();
            if (!path || entry.folder.load() != folders)
                continue;
            if (folders)
                ::rmdir(path);
            else
                ::unlink(path);
        }
}

void installCleanupOnSignals()
{
    for (const int signal : CleanedSignals) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

CleanupGuard::CleanupGuard(const QString& path, Kind kind)
{
    char* copy = ::strdup(QFile::encodeName(path).constData());
    if (!copy)
        return;
    for (std::size_t i = 0; i < g_entries.size(); ++i) {
        char* expected = nullptr;
        // A cleanup between these two stores at worst tries rmdir on a file or unlink on a
        // folder, which both refuse.
        if (g_entries[i].path.compare_exchange_strong(expected, copy)) {
            g_entries[i].folder.store(kind == Kind::Folder);
            m_slot = int(i);
            return;
        }
    }
    std::free(copy); // full: this path goes uncleaned rather than failing the write
}

CleanupGuard::~CleanupGuard()
{
    if (m_slot >= 0)
        std::free(g_entries[std::size_t(m_slot)].path.exchange(nullptr));
}

} // namespace qlv

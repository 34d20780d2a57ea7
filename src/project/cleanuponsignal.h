// Temporary files and folders that must not outlive the process when it is ended by SIGTERM,
// SIGHUP or SIGINT. The handler only unlinks and removes what is registered at that moment.
#pragma once

#include <QString>

namespace qlv {

// Installs the handler for SIGTERM, SIGHUP and SIGINT; after cleaning up it lets the signal end
// the process as it would have. Safe to call more than once.
void installCleanupOnSignals();

// The cleanup itself, as the handler runs it; async-signal-safe.
void cleanUpRegisteredPaths();

// Registers a path for the lifetime of the guard. Folders are removed after files, and only
// when empty by then.
class CleanupGuard {
public:
    enum class Kind { File, Folder };
    explicit CleanupGuard(const QString& path, Kind kind = Kind::File);
    ~CleanupGuard();
    CleanupGuard(const CleanupGuard&) = delete;
    CleanupGuard& operator=(const CleanupGuard&) = delete;

private:
    int m_slot = -1;
};

} // namespace qlv

// Files are replaced whole or not at all: written to a temporary file beside the target, synced,
// renamed over it, and the folder synced. A new file gets 0666 less the umask; a replaced one
// keeps its mode (and, where allowed, its owner); a symbolic link keeps pointing where it did,
// at the replaced file.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace qlv {

class CleanupGuard;

// Throws StoreError naming the file; an existing file is left as it was on failure.
void writeFileWhole(const QString& path, const QByteArray& bytes);

// Builds a file in a temporary name beside path (build receives that name), then puts it in
// place as writeFileWhole does. A failure anywhere removes the temporary file.
void buildFileWhole(const QString& path, const std::function<void(const QString&)>& build);

// A whole-file write whose temporary file is made at once, so that a target that cannot be
// written fails before the work that produces its content. Uncommitted, it leaves nothing.
class PendingFile {
public:
    explicit PendingFile(const QString& path); // throws StoreError
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The file that will be replaced: the target of a symbolic link, not the link.
    const QString& targetPath() const { return m_target; }
    const QString& temporaryPath() const { return m_temporary; }

    // Replaces the temporary file's content with bytes, then puts it in place.
    void commit(const QByteArray& bytes);
    // Puts the temporary file, as something else wrote it, in place.
    void commitAsWritten();

private:
    void putInPlace();
    [[noreturn]] void fail(const QString& reason);

    QString m_path;
    QString m_target;
    QString m_temporary;
    int m_mode = 0;
    bool m_replacing = false;
    unsigned m_owner = 0;
    unsigned m_group = 0;
    bool m_done = false;
    std::unique_ptr<CleanupGuard> m_guard;
    std::unique_ptr<CleanupGuard> m_journalGuard;
};

// The file a symbolic link leads to (through any chain of links), else path itself; absolute.
QString resolvedWriteTarget(const QString& path);

} // namespace qlv

// Reading what the user names as a file: only regular files (a FIFO or a device would block or
// never end), and never more than the caller can use.
#pragma once

#include <QByteArray>
#include <QString>

namespace qlv {

// Throws StoreError naming the file when it exists and is not a regular file.
void checkRegularFile(const QString& path);

// At most maxBytes + 1 bytes of a regular file, so the caller can tell one that is too large.
// Throws StoreError naming the file when it cannot be read or is not a regular file.
QByteArray readRegularFile(const QString& path, qint64 maxBytes);

} // namespace qlv

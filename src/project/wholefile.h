// Files are replaced whole or not at all: written beside the target, renamed over it.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace qlv {

// Throws StoreError naming the file; an existing file is left as it was on failure.
void writeFileWhole(const QString& path, const QByteArray& bytes);

// Builds a file in a temporary name beside path (build receives that name), then renames it
// over path. A failure in build or in the rename removes the temporary file.
void buildFileWhole(const QString& path, const std::function<void(const QString&)>& build);

} // namespace qlv

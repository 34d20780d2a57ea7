#include "workingcopy.h"

#include <core/storeerror.h>

#include <QDir>
#include <QLockFile>

namespace qlv {

WorkingCopy::WorkingCopy(const QString& folder)
{
    QDir dir(folder);
    for (int n = 1; n <= 99; ++n) {
        const QString name =
            n == 1 ? QStringLiteral("Temp.~tmp") : QStringLiteral("Temp%1.~tmp").arg(n);
        auto lock = std::make_unique<QLockFile>(dir.filePath(name + ".lock"));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_path = dir.filePath(name);
            m_lock = std::move(lock);
            return;
        }
        if (lock->error() == QLockFile::PermissionError)
            break;
    }
    throw StoreError(QStringLiteral("No working copy can be created in %1.")
                         .arg(QDir::toNativeSeparators(folder)));
}

WorkingCopy::~WorkingCopy() = default;

} // namespace qlv

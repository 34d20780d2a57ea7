// The file a new or imported project is edited in until its first Save. Each running copy of
// the program holds a lock on its own, so two copies never edit the same one.
#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace qlv {

class WorkingCopy {
public:
    // "Temp.~tmp" in folder, or "Temp2.~tmp", "Temp3.~tmp", ... when another copy holds it.
    // Throws StoreError when no name can be locked.
    explicit WorkingCopy(const QString& folder);
    ~WorkingCopy();
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    const QString& path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace qlv

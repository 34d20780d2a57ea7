// The core's questions answered without anyone to ask: a file is replaced only with --force,
// every other question is declined, and notices go to stderr.
#pragma once

#include <core/prompter.h>

namespace qlv::cli {

class CliPrompter : public Prompter {
public:
    explicit CliPrompter(bool force)
        : m_force(force)
    {
    }

    // Only a replace is answered Yes, and only with --force; every other question is declined.
    Answer ask(const Question& question) override;
    // To stderr; the detail goes on the lines below the text.
    void tell(const Notice& notice) override;
    std::optional<QString> chooseOpenFile(const FileRequest& request) override;
    std::optional<QString> chooseSaveFile(const FileRequest& request) override;

    bool forced() const { return m_force; }
    // Why the last declined question stopped an operation; empty when none was declined.
    const QString& refusal() const { return m_refusal; }
    // Whether the last declined question was the replace of a file.
    bool refusedReplace() const { return m_refusedReplace; }
    // The refusal of a replace without --force.
    static QString replaceRefusal() { return QStringLiteral("File already exist."); }
    // Whether anything has been written to stderr, so a failure is never left unexplained.
    bool hasReported() const { return m_reported; }

private:
    bool m_force;
    QString m_refusal;
    bool m_refusedReplace = false;
    bool m_reported = false;
};

} // namespace qlv::cli

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

    Answer askYesNo(const QString& title, const QString& text) override;
    Answer askYesNoCancel(const QString& title, const QString& text) override;
    void notice(const QString& text) override;
    // The detail goes on the lines below the text.
    void titledNotice(const QString& title, const QString& text,
                      const QString& detail = QString()) override;
    std::optional<QString> chooseOpenFile(const FileRequest& request) override;
    std::optional<QString> chooseSaveFile(const FileRequest& request) override;

    bool forced() const { return m_force; }
    // Why the last declined question stopped an operation; empty when none was declined.
    const QString& refusal() const { return m_refusal; }
    // The refusal of a replace without --force.
    static QString replaceRefusal() { return QStringLiteral("File already exist."); }
    // Whether anything has been written to stderr, so a failure is never left unexplained.
    bool hasReported() const { return m_reported; }

private:
    bool m_force;
    QString m_refusal;
    bool m_reported = false;
};

// The question the core asks before it writes over a file.
inline constexpr const char* ReplaceQuestion = "File already exist.Replace?";

} // namespace qlv::cli

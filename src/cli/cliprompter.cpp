#include "cliprompter.h"

#include "console.h"

namespace qlv::cli {

Answer CliPrompter::askYesNo(const QString&, const QString& text)
{
    if (text == QLatin1String(ReplaceQuestion)) {
        if (m_force)
            return Answer::Yes;
        m_refusal = replaceRefusal();
        return Answer::No;
    }
    m_refusal = QStringLiteral("Declined the question: %1").arg(text);
    return Answer::No;
}

Answer CliPrompter::askYesNoCancel(const QString&, const QString& text)
{
    // Every command saves what it changed itself, so such a question is never the user's to
    // answer; cancelling keeps anything from being lost.
    m_refusal = QStringLiteral("Declined the question: %1").arg(text);
    return Answer::Cancel;
}

void CliPrompter::notice(const QString& text)
{
    printErr(text);
    m_reported = true;
}

void CliPrompter::titledNotice(const QString&, const QString& text, const QString& detail)
{
    notice(text);
    if (!detail.isEmpty())
        printErr(detail);
}

std::optional<QString> CliPrompter::chooseOpenFile(const FileRequest&)
{
    m_refusal = QStringLiteral("No file name was given.");
    return std::nullopt;
}

std::optional<QString> CliPrompter::chooseSaveFile(const FileRequest&)
{
    m_refusal = QStringLiteral("No file name was given.");
    return std::nullopt;
}

} // namespace qlv::cli

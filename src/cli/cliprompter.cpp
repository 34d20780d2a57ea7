#include "cliprompter.h"

#include "console.h"

namespace qlv::cli {

Answer CliPrompter::ask(const Question& question)
{
    m_refusedReplace = false;
    if (question.kind == QuestionKind::ReplaceFile) {
        if (m_force)
            return Answer::Yes;
        m_refusal = replaceRefusal();
        m_refusedReplace = true;
        return Answer::No;
    }
    m_refusal = QStringLiteral("Declined the question: %1").arg(question.text);
    // Every command saves what it changed itself, so a question with Cancel is never the
    // user's to answer; cancelling keeps anything from being lost.
    return question.cancellable ? Answer::Cancel : Answer::No;
}

void CliPrompter::tell(const Notice& notice)
{
    printErr(notice.text);
    m_reported = true;
    if (!notice.detail.isEmpty())
        printErr(notice.detail);
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

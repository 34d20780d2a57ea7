#include "scriptedprompter.h"

namespace qlv::test {

ScriptedPrompter& ScriptedPrompter::answer(Answer reply)
{
    m_answers.push_back(reply);
    return *this;
}

ScriptedPrompter& ScriptedPrompter::chooseFile(std::optional<QString> path)
{
    m_files.push_back({!path.has_value(), path.value_or(QString())});
    return *this;
}

Answer ScriptedPrompter::ask(const Question& question)
{
    const bool cancellable = question.cancellable;
    calls.append({cancellable ? PrompterCall::YesNoCancel : PrompterCall::YesNo,
                  question.title,
                  question.text,
                  {},
                  {}});
    if (m_answers.empty()) {
        unexpected << question.text;
        return cancellable ? Answer::Cancel : Answer::No;
    }
    const Answer reply = m_answers.front();
    m_answers.pop_front();
    return reply == Answer::Cancel && !cancellable ? Answer::No : reply;
}

void ScriptedPrompter::tell(const Notice& notice)
{
    calls.append({PrompterCall::Notice, notice.title, notice.text, {}, notice.detail});
}

std::optional<QString> ScriptedPrompter::chooseOpenFile(const FileRequest& request)
{
    calls.append({PrompterCall::OpenFile,
                  QString(),
                  request.filter,
                  request.proposedName,
                  {},
                  request.family});
    return nextFile("open dialog");
}

std::optional<QString> ScriptedPrompter::chooseSaveFile(const FileRequest& request)
{
    calls.append({PrompterCall::SaveFile,
                  QString(),
                  request.filter,
                  request.proposedName,
                  {},
                  request.family});
    return nextFile("save dialog");
}

std::optional<QString> ScriptedPrompter::nextFile(const char* dialog)
{
    if (m_files.empty()) {
        unexpected << QString::fromLatin1(dialog);
        return std::nullopt;
    }
    const FileReply reply = m_files.front();
    m_files.pop_front();
    if (reply.cancelled)
        return std::nullopt;
    return reply.path;
}

QStringList ScriptedPrompter::notices() const
{
    QStringList texts;
    for (const PrompterCall& call : calls)
        if (call.kind == PrompterCall::Notice)
            texts << call.text;
    return texts;
}

QStringList ScriptedPrompter::questions() const
{
    QStringList texts;
    for (const PrompterCall& call : calls)
        if (call.kind == PrompterCall::YesNo || call.kind == PrompterCall::YesNoCancel)
            texts << call.text;
    return texts;
}

void ScriptedPrompter::clear()
{
    calls.clear();
    unexpected.clear();
    m_answers.clear();
    m_files.clear();
}

} // namespace qlv::test

#include "projectrig.h"

#include <project/derivedfields.h>

namespace qlv::test {

ProjectRig::ProjectRig(std::unique_ptr<ScriptedPrompter> ownPrompter)
    : ownedPrompter(std::move(ownPrompter))
    , prompter(*ownedPrompter)
    , project(prompter, dir.filePath(QStringLiteral("Temp.~tmp")))
{
}

bool ProjectRig::start()
{
    const bool started = project.NewExecute();
    prompter.clear();
    return started;
}

void postRecord(KeyTable& keys, int recNo, const CodeRecord& record)
{
    keys.setRecNo(recNo);
    KeyRow row = keys.current();
    row.irData = bytesOf(record);
    keys.post(row);
}

} // namespace qlv::test

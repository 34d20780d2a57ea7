// The commands on whole projects and images.
#include "arguments.h"
#include "console.h"
#include "handlers.h"
#include "session.h"

#include <legacy/legacyproject.h>
#include <project/filenames.h>

namespace qlv::cli {

namespace {

// One line a row: a tab or line break inside a text would break the columns.
QString cell(const std::optional<QString>& value)
{
    QString text = textOf(value);
    for (QChar& c : text)
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    return text;
}

} // namespace

void runNew(const Invocation& invocation)
{
    Session session(invocation.prompter);
    session.buildProject(invocation.args.at(0), {});
}

void runInfo(const Invocation& invocation)
{
    Session session(invocation.prompter);
    const ModelFields model = session.readModel(invocation.args.at(0));
    printOut(QStringLiteral("Module Name: ") + model.moduleName);
    printOut(QStringLiteral("Type: ") + model.type);
    printOut(QStringLiteral("Manufactory: ") + model.manufactory);
    printOut(QStringLiteral("Module ID: ") + model.moduleId);
    printOut(QStringLiteral("ReCyc: ") + QString::number(model.reCyc));
    printOut(QStringLiteral("Remark: ") + model.remark);
}

void runList(const Invocation& invocation)
{
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    const KeyTable& keys = session.keys();
    QString text;
    for (int i = 0; i < keys.recordCount(); ++i) {
        const KeyRow& row = keys.row(i);
        text += QStringList{QString::number(row.id), cell(row.function), cell(row.format),
                            cell(row.carry), cell(row.remark)}
                    .join(u'\t') +
                u'\n';
    }
    if (!text.isEmpty())
        printOut(text);
}

void runCompile(const Invocation& invocation)
{
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    session.require(session.project().compileTo(invocation.args.at(1)));
}

void runImport(const Invocation& invocation)
{
    const QString image = inputFile(invocation.args.at(0), QStringLiteral(".bin"));
    Session session(invocation.prompter);
    // Read directly rather than through openFile, so that an image named without ".bin"
    // is still read as an image; checked before anything is written.
    const std::optional<QByteArray> bytes = session.project().readEepromImage(image);
    session.require(bytes.has_value());
    session.buildProject(invocation.args.at(1),
                         [&] { session.require(session.project().postImageSlots(*bytes)); });
}

void runConvert(const Invocation& invocation)
{
    // No session: the window runs this for every Windows version's file it opens, so it
    // starts nothing it does not need.
    const QString legacy = inputFile(invocation.args.at(0), QStringLiteral(".qlv"));
    const QString target = withProjectExtension(invocation.args.at(1));
    confirmReplace(invocation.prompter, target);
    writeLegacyProject(readLegacyProject(legacy), target);
}

} // namespace qlv::cli

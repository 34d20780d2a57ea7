#include "devicerig.h"

#include <project/derivedfields.h>

namespace qlv::test {

namespace {

PortMap comOneTo(const QString& path)
{
    PortMap map;
    map.setPath(1, path);
    return map;
}

} // namespace

DeviceRig::DeviceRig(std::unique_ptr<ByteStream> stream)
    : project(prompter, dir.filePath(QStringLiteral("Temp.~tmp")))
    , link(prompter, project, std::move(stream), comOneTo(peer.slavePath()))
{
    project.NewExecute();
    prompter.clear();
}

bool DeviceRig::openPort()
{
    link.choosePort(0);
    return link.comm().portOpen();
}

void DeviceRig::putRecord(int index, const CodeRecord& record)
{
    project.keys().setRecNo(index + 1);
    KeyRow row = project.keys().current();
    row.irData = bytesOf(record);
    project.keys().post(row);
}

CodeRecord DeviceRig::recordAt(int index) const
{
    return recordOf(project.keys().row(index));
}

} // namespace qlv::test

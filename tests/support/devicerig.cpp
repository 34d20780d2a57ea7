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
    : link(prompter, project, std::move(stream), comOneTo(peer.slavePath()))
{
    start();
}

bool DeviceRig::openPort()
{
    link.choosePort(0);
    return link.comm().portOpen();
}

void DeviceRig::putRecord(int index, const CodeRecord& record)
{
    postRecord(project.keys(), index + 1, record);
}

CodeRecord DeviceRig::recordAt(int index) const
{
    return recordOf(project.keys().row(index));
}

} // namespace qlv::test

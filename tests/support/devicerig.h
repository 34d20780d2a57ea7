// A program on one end of a pseudo-terminal and a scripted K-817T on the other: a fresh
// project, a scripted Prompter, and a DeviceLink whose COM1 is the peer's slave.
#pragma once

#include "projectrig.h"
#include "ptypeer.h"

#include <device/devicelink.h>

#include <memory>

namespace qlv::test {

struct DeviceRig : ProjectRig {
    // The link talks through stream, the real serial backend unless a test wraps it.
    explicit DeviceRig(std::unique_ptr<ByteStream> stream = makeSerialStream());

    // Opens COM1 as the port chooser does at start-up; true when it opened.
    bool openPort();
    // Posts record into row index (0-based) as an edit would.
    void putRecord(int index, const CodeRecord& record);
    CodeRecord recordAt(int index) const;

    PtyPeer peer;
    DeviceLink link;
};

} // namespace qlv::test

#include "bytestream.h"

namespace qlv {

ByteStream::~ByteStream() = default;

} // namespace qlv

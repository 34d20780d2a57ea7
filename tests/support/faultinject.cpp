// Preloaded into qlvtool by the tests to make one system call fail, as a full or failing disk
// would: QLV_FAULT names the call (fsync, rename), QLV_FAULT_ERRNO the error (default EIO).
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

int injectedError(const char* call)
{
    const char* fault = std::getenv("QLV_FAULT");
    if (!fault || std::strcmp(fault, call) != 0)
        return 0;
    const char* number = std::getenv("QLV_FAULT_ERRNO");
    return number ? std::atoi(number) : EIO;
}

template <typename Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd)
{
    if (const int error = injectedError("fsync")) {
        errno = error;
        return -1;
    }
    static const auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int rename(const char* from, const char* to)
{
    if (const int error = injectedError("rename")) {
        errno = error;
        return -1;
    }
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    return real(from, to);
}

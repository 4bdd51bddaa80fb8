#include "platform/real/SessionBus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace zv {

namespace {

bool isExecutable(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool sessionBusUnreachable(const char* address, const char* runtimeDir, const std::string& binDir,
                           const char* searchPath) {
    if (address && *address) return false;
    // libdbus takes $XDG_RUNTIME_DIR/bus when it is a socket of this user.
    struct stat st{};
    if (runtimeDir && *runtimeDir && stat((std::string(runtimeDir) + "/bus").c_str(), &st) == 0 &&
        S_ISSOCK(st.st_mode) && st.st_uid == getuid())
        return false;
    if (isExecutable(binDir + "/dbus-launch")) return false;
    std::istringstream dirs(searchPath ? searchPath : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (isExecutable((dir.empty() ? std::string(".") : dir) + "/dbus-launch")) return false;
    return true;
}

void skipHopelessBusAutolaunch() {
    // Debian's libdbus runs dbus-launch from /usr/bin before it searches the PATH.
    if (sessionBusUnreachable(std::getenv("DBUS_SESSION_BUS_ADDRESS"), std::getenv("XDG_RUNTIME_DIR"), "/usr/bin",
                              std::getenv("PATH")))
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

}  // namespace zv

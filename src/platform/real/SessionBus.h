// The desktop's session bus (D-Bus), which Qt's accessibility bridge connects to
// the first time a widget's text or name is set, while the window is being built.
// With no bus address given and no bus at its usual place, libdbus falls back to
// "autolaunch": it forks the program to run dbus-launch, which finds or starts the
// bus of the X display. Where dbus-launch is not installed that fork can only fail:
// it costs the window's first frame a few milliseconds, and again each time a
// library asks for the bus. Only then is the fallback left out.
#pragma once

#include <string>

namespace zv {

// True when no session bus can be found: no DBUS_SESSION_BUS_ADDRESS (address),
// no socket "bus" in XDG_RUNTIME_DIR (runtimeDir), and no dbus-launch executable in
// binDir (where libdbus looks first) nor on the PATH (searchPath). Null means unset.
bool sessionBusUnreachable(const char* address, const char* runtimeDir, const std::string& binDir,
                           const char* searchPath);

// When the session bus is unreachable, sets DBUS_SESSION_BUS_ADDRESS to "disabled:"
// for this process, so that every later request for the bus fails at once instead
// of forking. Call first thing in main(), before any thread starts.
void skipHopelessBusAutolaunch();

}  // namespace zv

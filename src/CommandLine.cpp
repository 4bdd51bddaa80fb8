#include "CommandLine.h"

#ifndef ZORVANTA_VERSION
#error "ZORVANTA_VERSION must be defined by the build"
#endif

namespace zv {

std::string CommandLine::usage(const std::string& program) {
    return "Usage: " + program + " [--sing]\n"
           "Ear training: listen to a short melody and play it back on the piano.\n"
           "\n"
           "  --sing     also answer by singing into the default microphone\n"
           "             (headphones recommended)\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n";
}

CommandLine CommandLine::parse(const std::string& program, const std::vector<std::string>& args) {
    CommandLine c;
    for (const std::string& a : args) {
        if (a == "--sing") {
            c.sing = true;
        } else if (a == "--help" || a == "-h") {
            return {Action::Print, false, usage(program), 0};
        } else if (a == "--version") {
            return {Action::Print, false, "zorvanta " ZORVANTA_VERSION "\n", 0};
        } else {
            const std::string what = a.size() > 1 && a[0] == '-' ? "unknown option" : "unexpected argument";
            return {Action::Fail, false, program + ": " + what + " '" + a + "'\n" + usage(program), 2};
        }
    }
    return c;
}

}  // namespace zv

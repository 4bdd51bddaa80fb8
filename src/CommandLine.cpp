#include "CommandLine.h"

#ifndef ZORVANTA_VERSION
#error "ZORVANTA_VERSION must be defined by the build"
#endif

#include <algorithm>
#include <string_view>

namespace zv {

namespace {
// The options every Qt program takes (QApplication reads them itself): with a value,
// and without.
constexpr std::string_view kQtWithValue[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                             "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-display",
                                             "-geometry", "-style", "-stylesheet", "-session"};
constexpr std::string_view kQtFlags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

template <std::size_t N>
bool among(const std::string_view (&list)[N], const std::string& a) {
    return std::find(std::begin(list), std::end(list), a) != std::end(list);
}
}  // namespace

std::string CommandLine::usage(const std::string& program) {
    return "Usage: " + program + " [--sing] [Qt options]\n"
           "Ear training: listen to a short melody and play it back on the piano.\n"
           "\n"
           "  --sing     also answer by singing into the default microphone\n"
           "             (headphones recommended)\n"
           "  --no-history            keep no record of the games played\n"
           "  --progress              show the progress of the games kept\n"
           "  --export-history FILE   write the games kept to FILE (CSV) and exit\n"
           "  --import-history FILE   add the games of FILE (CSV) not kept yet, and exit\n"
           "  --forget-history        delete every game kept, and exit\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "Qt's own options (-platform NAME, -style NAME, ...) are passed on to Qt.\n";
}

CommandLine CommandLine::parse(const std::string& program, const std::vector<std::string>& args) {
    CommandLine c;
    const auto fail = [&](const std::string& message) {
        return CommandLine{Action::Fail, false, program + ": " + message + "\n" + usage(program), 2, {}};
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // Qt's options: "--name" is "-name", and "-name=value" is "-name value".
        const std::string single = a.rfind("--", 0) == 0 ? a.substr(1) : a;
        const std::size_t equals = single.find('=');
        const std::string name = single.substr(0, equals);
        if (among(kQtWithValue, name)) {
            if (equals == std::string::npos && i + 1 == args.size())
                return fail("option '" + a + "' needs a value");
            const std::string value = equals == std::string::npos ? args[++i] : single.substr(equals + 1);
            if (value.empty()) return fail("option '" + a + "' needs a value");
            c.qtArguments.insert(c.qtArguments.end(), {name, value});
        } else if (equals == std::string::npos && among(kQtFlags, name)) {
            c.qtArguments.push_back(name);
        } else if (a == "--sing") {
            c.sing = true;
        } else if (a == "--no-history") {
            c.noHistory = true;
        } else if (a == "--progress") {
            c.progress = true;
        } else if (a == "--forget-history") {
            c.forgetHistory = true;
        } else if (a == "--export-history" || a == "--import-history") {
            if (++i == args.size() || args[i].empty()) {
                CommandLine fail;
                fail.action = Action::Fail;
                fail.output = program + ": option '" + a + "' needs a file\n" + usage(program);
                fail.exitCode = 2;
                return fail;
            }
            (a == "--export-history" ? c.exportHistory : c.importHistory) = args[i];
        } else if (a == "--help" || a == "-h") {
            return {Action::Print, false, usage(program), 0, {}};
        } else if (a == "--version") {
            return {Action::Print, false, "zorvanta " ZORVANTA_VERSION "\n", 0, {}};
        } else {
            return fail((a.size() > 1 && a[0] == '-' ? "unknown option '" : "unexpected argument '") + a + "'");
        }
    }
    return c;
}

}  // namespace zv

// The program's command line, read before anything else starts (no display, no
// sound): what to do and, for --help, --version and a mistake, the text to print.
#pragma once

#include <string>
#include <vector>

namespace zv {

struct CommandLine {
    enum class Action { Run, Print, Fail };
    Action action = Action::Run;
    bool sing = false;       // --sing: answer by singing into the microphone
    std::string output;      // for Print (stdout) and Fail (stderr)
    int exitCode = 0;        // for Print and Fail
    // The history of games played (history/): --no-history keeps nothing; the others
    // act on it and end without opening the game (--progress shows it in a window).
    bool noHistory = false;
    bool progress = false;
    bool forgetHistory = false;
    std::string exportHistory{};  // --export-history FILE
    std::string importHistory{};  // --import-history FILE
    // For Run: Qt's own options as Qt reads them, to hand to QApplication after the
    // program's name. Each is given with one dash or two, and a value after it or
    // joined by '=' ("--platform offscreen", "-style=fusion"); here every one has one
    // dash and its value as the next argument, since Qt takes the joined form of a
    // few options only and would leave "--platform=offscreen" unread.
    std::vector<std::string> qtArguments{};

    // argv[1..]; the program's name for the messages.
    static CommandLine parse(const std::string& program, const std::vector<std::string>& args);
    static std::string usage(const std::string& program);
};

}  // namespace zv

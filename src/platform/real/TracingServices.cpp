#include "platform/real/TracingServices.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zv {

namespace {

std::string oneLine(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n')
            out += " / ";
        else
            out += text[i];
    }
    return out;
}

void emit(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

bool traceRequested() {
    const char* v = std::getenv("ZORVANTA_TRACE");
    return v && *v && std::strcmp(v, "0") != 0;
}

void TracingSound::play(int id) {
    const std::string& path = file(id);
    emit("sound " + path.substr(path.find_last_of('/') + 1));
    inner_.play(id);
}

void TracingBoxes::information(const std::string& caption, const std::string& text) {
    emit("box " + oneLine(caption) + ": " + oneLine(text));
    inner_.information(caption, text);
}

int TracingBoxes::askYesNo(const std::string& text) {
    const int answer = inner_.askYesNo(text);
    emit("ask " + oneLine(text) + " -> " + (answer == kYes ? "yes" : "no"));
    return answer;
}

}  // namespace zv

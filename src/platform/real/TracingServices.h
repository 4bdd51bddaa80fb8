// Opt-in trace of what the game does at its service seams, for end-to-end tests and
// for looking at a game from a terminal: decorators that print one line to stdout
// per sound played and per message box, then pass the call on unchanged.
//   sound <file name>                 a sound starts (the file's name, no folder)
//   box <caption>: <text>             an information box opens (line breaks as " / ")
//   ask <text> -> yes|no              a yes/no box was answered
#pragma once

#include "platform/Services.h"

namespace zv {

// Whether ZORVANTA_TRACE is set to a non-empty value other than "0".
bool traceRequested();

class TracingSound final : public SoundService {
public:
    explicit TracingSound(SoundService& inner) : inner_(inner) {}
    void setFiles(std::vector<std::string> files) override {
        inner_.setFiles(files);
        SoundService::setFiles(std::move(files));
    }
    void play(int id) override;
    void keepReady(bool ready) override { inner_.keepReady(ready); }

private:
    SoundService& inner_;
};

class TracingBoxes final : public MessageBoxes {
public:
    explicit TracingBoxes(MessageBoxes& inner) : inner_(inner) {}
    void information(const std::string& caption, const std::string& text) override;
    int askYesNo(const std::string& text) override;

private:
    MessageBoxes& inner_;
};

}  // namespace zv

#include "platform/real/DeviceModule.h"

#include <dlfcn.h>

#include <cstdio>

namespace zv {

DeviceModule::DeviceModule(std::string path) : path_(std::move(path)) {}

// The module stays loaded to the end: threads of SDL2 or JACK may still run its code
// while the process exits.
DeviceModule::~DeviceModule() = default;

Devices* DeviceModule::devices() {
    if (tried_) return devices_.get();
    tried_ = true;
    void* module = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto* create = module ? reinterpret_cast<Devices* (*)()>(dlsym(module, "zorvanta_devices_create")) : nullptr;
    if (!create) {
        std::fprintf(stderr, "zorvanta: cannot load %s (%s): no sound and no MIDI\n", path_.c_str(), dlerror());
        return nullptr;
    }
    devices_.reset(create());
    devices_->sound().setFiles(files());
    return devices_.get();
}

void DeviceModule::setFiles(std::vector<std::string> files) {
    if (devices_) devices_->sound().setFiles(files);
    SoundService::setFiles(std::move(files));
}

void DeviceModule::play(int id) {
    if (Devices* d = devices()) d->sound().play(id);
}

void DeviceModule::keepReady(bool ready) {
    Devices* d = ready || tried_ ? devices() : nullptr;
    if (d) d->sound().keepReady(ready);
}

}  // namespace zv

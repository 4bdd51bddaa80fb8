#include "platform/web/WebServices.h"

#include <emscripten.h>

// The page's side of each service lives in Module.platform (web/page/platform.js).
// clang-format off
EM_JS(void, zvPlaySound, (int id), { Module.platform.play(id); });
EM_JS(void, zvSetTimer, (int id, int interval, int enabled),
      { Module.platform.setTimer(id, interval, !!enabled); });
EM_ASYNC_JS(int, zvShowDialog, (const char* caption, const char* text, int yesNo), {
    return await Module.platform.dialog(UTF8ToString(caption), UTF8ToString(text), !!yesNo);
});
EM_JS(int, zvPictureNumber, (const char* path), { return Module.platform.pictureNumber(UTF8ToString(path)); });
EM_JS(int, zvPictureSize, (int number, int height), { return Module.platform.pictureSize(number, !!height); });
EM_JS(void, zvQuit, (), { Module.platform.quit(); });
// clang-format on

namespace zv {

void WebSound::play(int id) { zvPlaySound(id); }

void WebTimer::restartCount() { zvSetTimer(id_, interval(), enabled() ? 1 : 0); }

void WebMessageBoxes::information(const std::string& caption, const std::string& text) {
    zvShowDialog(caption.c_str(), text.c_str(), 0);
}

int WebMessageBoxes::askYesNo(const std::string& text) {
    return zvShowDialog(kAppTitle, text.c_str(), 1) ? kYes : kNo;
}

std::shared_ptr<const Picture> WebPictures::load(const std::string& path) {
    const int n = zvPictureNumber(path.c_str());
    if (n < 0) return nullptr;
    return std::make_shared<WebPicture>(n, zvPictureSize(n, 0), zvPictureSize(n, 1));
}

void WebApplication::quit() { zvQuit(); }

}  // namespace zv

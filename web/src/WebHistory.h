// The page's history (web/page/history.js keeps it in IndexedDB): the desktop's
// recorder, told by the game, hands each game to the page as CSV rows.
#pragma once

namespace zv {
class Game;
}

namespace zv::web {

// The recorder follows this game from now on, and the page is told the core is ready.
void attachHistory(Game& game);

}  // namespace zv::web

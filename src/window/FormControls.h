// Typed access to the main window's controls, looked up once by name and index so
// that handlers address them as the window does (Command1[i], Label4, ...) without a
// lookup on every use.
#pragma once

#include <array>

#include "window/ControlTable.h"

namespace zv {

struct FormControls {
    explicit FormControls(ControlTable& table);

    ControlTable& table;
    std::array<Control*, 14> Command1{}, Picture3{}, Label7{};
    std::array<Control*, 10> Command2{}, Label8{};
    Control* Command3;
    Control* Command4;
    std::array<Control*, 2> Command5{};
    std::array<Control*, 3> Option1{};
    std::array<Control*, 2> Option2{};
    std::array<Control*, 4> Option3{};
    std::array<Control*, 3> Picture2{};
    Control* Picture1;
    Control *Frame1, *Frame2, *Frame3, *Frame4, *Frame5;
    Control *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    Control* VScroll1;
    Control *Check1, *Check2, *Check3;
};

}  // namespace zv

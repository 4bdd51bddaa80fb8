#include "window/FormControls.h"

namespace zv {

FormControls::FormControls(ControlTable& t)
    : table(t),
      Command3(&t.at("Command3")),
      Command4(&t.at("Command4")),
      Picture1(&t.at("Picture1")),
      Frame1(&t.at("Frame1")),
      Frame2(&t.at("Frame2")),
      Frame3(&t.at("Frame3")),
      Frame4(&t.at("Frame4")),
      Frame5(&t.at("Frame5")),
      Label1(&t.at("Label1")),
      Label2(&t.at("Label2")),
      Label3(&t.at("Label3")),
      Label4(&t.at("Label4")),
      Label5(&t.at("Label5")),
      Label6(&t.at("Label6")),
      VScroll1(&t.at("VScroll1")),
      Check1(&t.at("Check1")),
      Check2(&t.at("Check2")),
      Check3(&t.at("Check3")) {
    for (int i = 0; i < 14; ++i) {
        Command1[i] = &t.at("Command1", i);
        Picture3[i] = &t.at("Picture3", i);
        Label7[i] = &t.at("Label7", i);
    }
    for (int i = 0; i < 10; ++i) {
        Command2[i] = &t.at("Command2", i);
        Label8[i] = &t.at("Label8", i);
    }
    for (int i = 0; i < 2; ++i) {
        Command5[i] = &t.at("Command5", i);
        Option2[i] = &t.at("Option2", i);
    }
    for (int i = 0; i < 3; ++i) {
        Option1[i] = &t.at("Option1", i);
        Picture2[i] = &t.at("Picture2", i);
    }
    for (int i = 0; i < 4; ++i) Option3[i] = &t.at("Option3", i);
}

}  // namespace zv

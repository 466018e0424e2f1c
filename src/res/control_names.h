#pragma once

namespace tramlet::res {

// The object name a control of the main window, the backup dialog or the
// repair window carries, so that tests and accessibility tools can find it
// by what it is: "play", "hourSlider", "startDate". Empty for an id that
// names no control.
const char* ControlName(int id);

}  // namespace tramlet::res

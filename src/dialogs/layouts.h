// The layouts of the program's three dialogs, in twips, as every back end builds them: the
// settings dialog `Configuration`, the message dialog `messageentry` and the error dialog
// `BugReportForm`. A control is named in code by its index in the layout's list (below).
#pragma once

#include "platform/dialogs.h"
#include "version.h"

namespace wumpets {

// Controls of `Configuration`, in the order of its layout list.
namespace cfg {
inline constexpr int fraOptions = 0, Frame5 = 1, Frame1 = 2, Frame4 = 3, Frame2 = 4;
inline constexpr int cmdOK = 5, cmdCancel = 6, Label4 = 7;
inline constexpr int pic0 = 8;  // pic(0) .. pic(15): the hidden store of preview pictures
inline constexpr int wumpetcheck1 = pic0 + 16;  // wumpetcheck(1) .. wumpetcheck(5)
inline constexpr int redrosecheck = wumpetcheck1 + 5, pinkrosecheck = redrosecheck + 1,
                     yellowrosecheck = redrosecheck + 2, whiterosecheck = redrosecheck + 3,
                     discoballcheck = redrosecheck + 4, peacecheck = redrosecheck + 5,
                     hippiecheck = redrosecheck + 6, lavalampcheck = redrosecheck + 7,
                     notes1check = redrosecheck + 8, notes2check = redrosecheck + 9,
                     preview = redrosecheck + 10;
inline constexpr int messagecheck = preview + 1, change = preview + 2, trailcheck = preview + 3,
                     congacheck = preview + 4, overlapcheck = preview + 5, colorcheck = preview + 6,
                     transcheck = preview + 7;
inline constexpr int musicchk0 = transcheck + 1;   // musicchk(0) .. musicchk(5)
inline constexpr int backcheck0 = musicchk0 + 6;  // backcheck(0) .. backcheck(3)
inline constexpr int speedchk = backcheck0 + 4, Label3 = speedchk + 1, Label1 = speedchk + 2,
                     Label2 = speedchk + 3;
inline constexpr int kCount = Label2 + 1;

constexpr int pic(int n) { return pic0 + n; }
constexpr int wumpetcheck(int n) { return wumpetcheck1 + n - 1; }
constexpr int musicchk(int n) { return musicchk0 + n; }
constexpr int backcheck(int n) { return backcheck0 + n; }
}  // namespace cfg

// Controls of `messageentry`.
namespace msg {
inline constexpr int textentry = 0, Text1 = 1, Apply = 2, Cancel = 3;
inline constexpr int kCount = 4;
}  // namespace msg

// Controls of `BugReportForm`.
namespace bug {
inline constexpr int Label1 = 0, Command1 = 1, Image3 = 2, Image1 = 3;
inline constexpr int kCount = 4;
}  // namespace bug

inline constexpr const char* kProductName = "Zelkin Wumpets";
inline constexpr const char* kVersionText = "Version " WUMPETS_VERSION;

const plat::DialogSpec& configuration_layout();
const plat::DialogSpec& messageentry_layout();
const plat::DialogSpec& bugreport_layout();

}  // namespace wumpets

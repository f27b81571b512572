#include "dialogs/layouts.h"

#include <algorithm>
#include <string>

#include "dialogs/captions.h"
#include "dialogs/song_captions.h"

namespace wumpets {

namespace {

using plat::Align;
using plat::ControlKind;
using plat::ControlSpec;
using plat::DialogSpec;

constexpr std::uint32_t kButtonFace = 0x00C0C0C0;    // &H00C0C0C0&
constexpr std::uint32_t kButtonShadow = 0x80000010;  // system colour 16
constexpr std::uint32_t kWhite = 0x00FFFFFF;

ControlSpec control(const std::string& name, ControlKind kind, int parent, const std::string& caption, int left,
                    int top, int width, int height, int tab, const std::string& tooltip = "") {
  ControlSpec c;
  c.name = name;
  c.kind = kind;
  c.parent = parent;
  c.caption = caption;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.tab = tab;
  c.tooltip = tooltip;
  return c;
}

ControlSpec frame(const std::string& name, const std::string& caption, int left, int top, int width, int height,
                  int tab, const std::string& tooltip) {
  ControlSpec c = control(name, ControlKind::Frame, -1, caption, left, top, width, height, tab, tooltip);
  c.bold = true;
  return c;
}

const char* song_caption(int n) { return kSongCaptions[n]; }

// What every layout gets once its controls are placed: room for each caption, and one Tab order
// across the whole dialog, by the controls' tab numbers, whatever frame holds them.
DialogSpec finished(DialogSpec d) {
  fit_captions(d);
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    const ControlSpec& c = d.controls[i];
    if (c.visible && c.tab >= 0 && plat::kind_takes_focus(c.kind)) d.tab_order.push_back(static_cast<int>(i));
  }
  std::stable_sort(d.tab_order.begin(), d.tab_order.end(), [&](int a, int b) {
    return d.controls[static_cast<std::size_t>(a)].tab < d.controls[static_cast<std::size_t>(b)].tab;
  });
  return d;
}

DialogSpec make_configuration() {
  using namespace cfg;
  DialogSpec d;
  d.caption = "Configuration";
  d.client_width = 7065;
  d.client_height = 6150;
  auto& v = d.controls;
  v.resize(kCount);

  v[fraOptions] = frame("fraOptions", "Select Objects", 120, 90, 6825, 2385, 7, "Select ");
  v[Frame5] = frame("Frame5", "Select Music", 120, 2640, 3435, 1305, 14, "Select Background Music");
  v[Frame1] = frame("Frame1", "Select Other Options", 3750, 2640, 3195, 2355, 4, "");
  v[Frame4] = frame("Frame4", "Select BackGround", 120, 4080, 3435, 915, 2, "Select A Background Image");
  v[Frame2] = frame("Frame2", "Select Speed", 120, 5130, 3435, 885, 9, "Speed Of Spinning Objects");

  v[cmdOK] = control("cmdOK", ControlKind::PushButton, -1, "&Apply Changes", 3750, 5700, 1425, 315, 0,
                     "Saves Settings And Exits");
  v[cmdOK].face = kButtonFace;
  v[cmdCancel] = control("cmdCancel", ControlKind::PushButton, -1, "&Cancel", 5520, 5700, 1425, 315, 1,
                         "Exits Without Saving Settings");
  v[Label4] = control("Label4", ControlKind::Label, -1, "Changes apply at the next start", 4020, 5310, 2655,
                      195, 29);
  v[Label4].align = Align::Centre;
  v[Label4].fore = kButtonShadow;

  // The store of preview pictures lies below the client area and is never shown.
  for (int n = 0; n <= 15; ++n) {
    v[pic(n)] = control("pic(" + std::to_string(n) + ")", ControlKind::Image, -1, "", 7200, 6240, 2100, 1965, -1);
    v[pic(n)].visible = false;
    v[pic(n)].picture = "pic" + std::to_string(n) + ".bmp";
  }

  const int fo = fraOptions;
  const char* dancers[5] = {"Blue Wumpet", "Green Wumpet", "Pink Wumpet", "Orange Wumpet", "Purple Wumpet"};
  const int dancer_top[5] = {330, 720, 1110, 1500, 1890};
  const int dancer_width[5] = {1335, 1335, 1215, 1245, 1245};
  const int dancer_tab[5] = {30, 32, 31, 33, 35};
  for (int n = 1; n <= 5; ++n) {
    v[wumpetcheck(n)] = control("wumpetcheck(" + std::to_string(n) + ")", ControlKind::CheckBox, fo,
                                dancers[n - 1], 150, dancer_top[n - 1], dancer_width[n - 1], 255, dancer_tab[n - 1]);
  }
  auto check = [&](int id, const char* name, int parent, const char* caption, int left, int top, int width, int tab,
                   const char* tooltip = "") {
    v[id] = control(name, ControlKind::CheckBox, parent, caption, left, top, width, 255, tab, tooltip);
  };
  check(redrosecheck, "redrosecheck", fo, "Red Roses", 1500, 330, 1335, 39);
  check(pinkrosecheck, "pinkrosecheck", fo, "Pink Roses", 1500, 720, 1335, 40);
  check(yellowrosecheck, "yellowrosecheck", fo, "Yellow Roses", 1500, 1110, 1335, 41);
  check(whiterosecheck, "whiterosecheck", fo, "White Roses", 1500, 1500, 1335, 42);
  check(discoballcheck, "discoballcheck", fo, "Disco Ball", 1500, 1890, 1215, 38);
  check(peacecheck, "peacecheck", fo, "Peace Signs", 2880, 330, 1245, 36);
  check(hippiecheck, "hippiecheck", fo, "Old Hippie", 2880, 720, 1245, 43);
  check(lavalampcheck, "lavalampcheck", fo, "Lava Lamps", 2880, 1110, 1245, 44);
  check(notes1check, "notes1check", fo, "Musical Notes 1", 2880, 1500, 1455, 37);
  check(notes2check, "notes2check", fo, "Musical Notes 2", 2880, 1890, 1455, 45);
  v[preview] = control("preview", ControlKind::PictureBox, fo, "", 4500, 240, 2160, 2025, 8, "Preview Window");
  v[preview].picture = "pic0.bmp";

  const int f1 = Frame1;
  check(messagecheck, "messagecheck", f1, "Text Message", 150, 330, 1335, 16,
        "Include Your Personalized Message On The Screen");
  v[change] = control("change", ControlKind::PushButton, f1, "Change", 1680, 330, 975, 255, 17,
                      "Change Your Personalized Message");
  check(trailcheck, "trailcheck", f1, "Acid Trails Enabled", 150, 660, 2055, 5, "Trails Follow The Objects");
  check(congacheck, "congacheck", f1, "Conga Mode", 150, 990, 1785, 6, "Wumpets Dance Conga Style");
  check(overlapcheck, "overlapcheck", f1, "Overlapping Images", 150, 1320, 1845, 21,
        "Wumpets Pass Through One Another");
  check(colorcheck, "colorcheck", f1, "Trippy Color Changers", 150, 1650, 2265, 34,
        "Wumpets Change Colors As They Dance");
  check(transcheck, "transcheck", f1, "Semi-Transparent Images", 150, 1980, 2265, 20,
        "Images Blend Into The Background");

  struct Place {
    int left, top, width, tab;
  };
  const Place songs[6] = {{90, 330, 1485, 22},   {1710, 990, 1605, 23}, {90, 990, 1575, 24},
                          {90, 660, 1365, 25},   {1710, 330, 1515, 26}, {1710, 660, 1605, 27}};
  for (int n = 0; n <= 5; ++n) {
    v[musicchk(n)] = control("musicchk(" + std::to_string(n) + ")", ControlKind::CheckBox, Frame5, song_caption(n),
                             songs[n].left, songs[n].top, songs[n].width, 225, songs[n].tab);
  }

  const char* backs[4] = {"Human Skulls", "Aztec Skeleton", "Flower Power", "Solid Black"};
  const Place back_places[4] = {{90, 240, 1335, 15}, {90, 540, 1455, 18}, {1710, 240, 1365, 19}, {1710, 550, 1215, 3}};
  for (int n = 0; n <= 3; ++n) {
    v[backcheck(n)] = control("backcheck(" + std::to_string(n) + ")", ControlKind::OptionButton, Frame4, backs[n],
                              back_places[n].left, back_places[n].top, back_places[n].width, 255, back_places[n].tab);
  }

  v[speedchk] = control("speedchk", ControlKind::HScrollBar, Frame2, "", 120, 300, 3195, 255, 10);
  v[speedchk].min = 0;
  v[speedchk].max = 140;
  v[speedchk].small_step = 1;
  v[speedchk].large_step = 1;
  v[Label3] = control("Label3", ControlKind::Label, Frame2, "Slow", 120, 570, 615, 255, 13);
  v[Label1] = control("Label1", ControlKind::Label, Frame2, "Normal", 1320, 570, 735, 255, 11,
                      "Speed Of Spinning Objects");
  v[Label1].align = Align::Centre;
  v[Label2] = control("Label2", ControlKind::Label, Frame2, "Fast", 2700, 570, 615, 255, 12,
                      "Speed Of Spinning Objects");
  v[Label2].align = Align::Right;
  return d;
}

DialogSpec make_messageentry() {
  using namespace msg;
  DialogSpec d;
  d.caption = "Form1";
  d.client_width = 5175;
  d.client_height = 1425;
  auto& v = d.controls;
  v.resize(kCount);
  v[textentry] = control("textentry", ControlKind::Label, -1, "Please Enter Your Text Message Below:", 120, 120,
                         4935, 255, 2);
  v[textentry].align = Align::Centre;
  v[Text1] = control("Text1", ControlKind::TextBox, -1, "", 360, 480, 4455, 285, 0);
  v[Text1].face = kWhite;
  v[Apply] = control("Apply", ControlKind::PushButton, -1, "&Apply Changes", 375, 960, 1815, 375, 1);
  v[Apply].face = kButtonFace;
  v[Cancel] = control("Cancel", ControlKind::PushButton, -1, "&Cancel", 3000, 960, 1815, 375, 3);
  v[Cancel].face = kButtonFace;
  return d;
}

DialogSpec make_bugreport() {
  using namespace bug;
  DialogSpec d;
  d.caption = "Error Code:";
  d.client_width = 6450;
  d.client_height = 1575;
  auto& v = d.controls;
  v.resize(kCount);
  v[Label1] = control("Label1", ControlKind::Label, -1,
                      "Congratulations, you have found a bug in our software. If you report the above Error Code to "
                      "us, we will send you a free copy of this screensaver once the bug is corrected ($9.95 Value). "
                      "Please click the link below to to fill out our online bug report form now.",
                      840, 120, 4815, 855, -1);
  v[Label1].align = Align::Centre;
  v[Command1] = control("Command1", ControlKind::PushButton, -1, "Report This Bug Now", 1440, 1080, 3495, 375, 0);
  v[Image3] = control("Image3", ControlKind::Image, -1, "", 0, 120, 1125, 1125, -1);
  v[Image3].picture = "icon1.bmp";
  v[Image1] = control("Image1", ControlKind::Image, -1, "", 5760, 120, 1125, 1125, -1);
  v[Image1].picture = "icon2.bmp";
  return d;
}

}  // namespace

const plat::DialogSpec& configuration_layout() {
  static const DialogSpec d = finished(make_configuration());
  return d;
}

const plat::DialogSpec& messageentry_layout() {
  static const DialogSpec d = finished(make_messageentry());
  return d;
}

const plat::DialogSpec& bugreport_layout() {
  static const DialogSpec d = finished(make_bugreport());
  return d;
}

}  // namespace wumpets

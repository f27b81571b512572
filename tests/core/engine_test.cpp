// The saver's scene: set-up, placement, collisions, every behaviour's frame cycle, layering,
// trails, semi-transparency, the forced-overflow report, music, input and the shutdown.
#include <algorithm>
#include <cmath>

#include "engine/behaviours.h"
#include "engine/saver_form.h"
#include "fixture.h"
#include "gfx/images.h"

using namespace wumpets;

namespace {

class Engine : public fx::Headless {
 protected:
  Scene& sc() { return st_.scene; }
  SaverForm& form() { return *st_.saver; }
  void screen_size(int w, int h) {
    cfg_.screen_width = w;
    cfg_.screen_height = h;
    headless::reset(cfg_);
  }
  // Everything on.
  static std::vector<std::string> all_on() {
    return {"wumpet1=1", "wumpet2=1", "wumpet3=1", "wumpet4=1", "wumpet5=1", "notes1=1", "notes2=1",
            "peace=1",   "hippie=1",  "yellowrose=1", "redrose=1", "pinkrose=1", "whiterose=1",
            "discoball=1", "lavalamp=1", "background= 0", "speed=60"};
  }
  static std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
  struct Pos {
    Long x, y;
    bool operator==(const Pos&) const = default;
  };
  static Pos at(const Sprite& s) { return {s.x, s.y}; }
};

}  // namespace

TEST_F(Engine, PlacementWorkedExample800x600) {
  screen_size(800, 600);
  start_saver(all_on());
  const Pos dancers[] = {{25, 25}, {225, 325}, {425, 25}, {625, 325}, {25, 325}};
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(at(sc().wumpets(i)), dancers[i - 1]) << i;
  EXPECT_EQ(at(sc().redroses(1)), (Pos{0, 499}));
  EXPECT_EQ(at(sc().redroses(2)), (Pos{50, 524}));
  EXPECT_EQ(at(sc().redroses(3)), (Pos{-25, 449}));
  EXPECT_EQ(at(sc().pinkroses(1)), (Pos{699, 499}));
  EXPECT_EQ(at(sc().pinkroses(2)), (Pos{649, 524}));
  EXPECT_EQ(at(sc().pinkroses(3)), (Pos{724, 449}));
  EXPECT_EQ(at(sc().whiteroses(1)), (Pos{0, 0}));
  EXPECT_EQ(at(sc().whiteroses(2)), (Pos{50, -25}));
  EXPECT_EQ(at(sc().whiteroses(3)), (Pos{-25, 50}));
  EXPECT_EQ(at(sc().yellowroses(1)), (Pos{699, 0}));
  EXPECT_EQ(at(sc().yellowroses(2)), (Pos{649, -25}));
  EXPECT_EQ(at(sc().yellowroses(3)), (Pos{724, 50}));
  EXPECT_EQ(at(sc().hippie), (Pos{348, 503}));
  EXPECT_EQ(at(sc().lavalamps(1)), (Pos{0, 240}));
  EXPECT_EQ(at(sc().lavalamps(2)), (Pos{749, 240}));
  EXPECT_EQ(at(sc().discoball), (Pos{354, 0}));
  for (int i = 1; i <= 8; ++i) {
    for (const Sprite* n : {&sc().notes1(i), &sc().notes2(i), &sc().peaces(i)}) {
      EXPECT_GE(n->x, 0);
      EXPECT_LE(n->x, 800 - n->width + std::abs(n->dx));
      EXPECT_GE(n->y, 0);
      EXPECT_LE(n->y, 600 - n->height);
    }
  }
}

TEST_F(Engine, PlacementWorkedExample1024x768AndParkedDancers) {
  screen_size(1024, 768);
  std::vector<std::string> settings = all_on();
  settings.erase(settings.begin());  // dancer 1 off
  start_saver(settings);
  EXPECT_EQ(at(sc().wumpets(1)), (Pos{1124, 868}));  // switched off: parked off screen
  EXPECT_EQ(at(sc().wumpets(2)), (Pos{281, 409}));
  EXPECT_EQ(at(sc().wumpets(3)), (Pos{537, 25}));
  EXPECT_EQ(at(sc().wumpets(4)), (Pos{793, 409}));
  EXPECT_EQ(at(sc().hippie), (Pos{460, 671}));
  EXPECT_EQ(at(sc().discoball), (Pos{466, 0}));
  EXPECT_EQ(sc().lavalamps(1).y, 324);
}

TEST_F(Engine, SetUpStartingValues) {
  start_saver(all_on());
  for (int i = 1; i <= 5; ++i) {
    const Sprite& w = sc().wumpets(i);
    EXPECT_GE(w.frame, 1);
    EXPECT_LE(w.frame, 7);
    EXPECT_EQ(std::abs(w.dx), 5);
    EXPECT_EQ(w.dy, 5);
  }
  bool left = false, right = false;
  for (int i = 1; i <= 8; ++i) {
    for (const Sprite* n : {&sc().notes1(i), &sc().notes2(i)}) {
      EXPECT_GE(n->frame, 1);
      EXPECT_LE(n->frame, 9);
      EXPECT_GE(std::abs(n->dx), 4);
      EXPECT_LE(std::abs(n->dx), 8);
      EXPECT_GE(n->dy, 4);
      EXPECT_LE(n->dy, 8);
      EXPECT_EQ(n->framestep, n->dx > 0 ? -1 : 1);
    }
    const Sprite& p = sc().peaces(i);
    EXPECT_GE(p.frame, 1);
    EXPECT_LE(p.frame, 14);
    EXPECT_EQ(p.framestep, p.dx > 0 ? -1 : 1);
    EXPECT_EQ(p.enabled, kTrue);
    (p.dx > 0 ? right : left) = true;
  }
  EXPECT_TRUE(left && right) << "each peace sign draws its own direction";
  EXPECT_EQ(sc().redroses(2).frame, 0);
  EXPECT_EQ(sc().discoball.frame, 0);
  EXPECT_EQ(sc().hippie.frames, 8);
  // Element 0 stays untouched.
  EXPECT_EQ(sc().wumpets(0).width, 0);
  EXPECT_EQ(sc().notes1(0).width, 0);
  EXPECT_EQ(sc().peaces(0).enabled, 0);
}

TEST_F(Engine, EverythingOffWritesNoGeometryAndShowsTheBackground) {
  start_saver({"background= 1"});
  EXPECT_EQ(sc().wumpets(1).width, 0);
  EXPECT_EQ(sc().notes1(1).width, 0);
  frames(3);
  EXPECT_EQ(screen(5, 5), fx::kTileColour);
  EXPECT_EQ(screen(799, 599), fx::kTileColour);
}

TEST_F(Engine, BackgroundTilesAndBufferCoverTheScreen) {
  struct Case {
    int w, h;
    const char* background;
    const char* tile;  // the cell the background repeats
  } cases[] = {{1024, 768, " 1", "108 108"}, {800, 600, " 0", "165 290"}};
  for (const Case& c : cases) {
    fresh_starter();
    screen_size(c.w, c.h);
    start_saver({std::string("background=") + c.background});
    // The tile is repeated over the whole screen into the background, once.
    EXPECT_EQ(count_calls("fill_tiled " + std::to_string(sc().backdc) + " " + std::to_string(c.w) + " " +
                          std::to_string(c.h) + " "),
              1);
    EXPECT_EQ(count_calls("fill_tiled"), 1);
    for (const auto& call : headless::calls())
      if (call.rfind("fill_tiled", 0) == 0) {
        EXPECT_EQ(call.substr(call.size() - std::string(c.tile).size()), c.tile);
      }
    // The buffer file is 64 x 48; back buffer and background still cover the screen.
    EXPECT_GE(plat::dc_size(sc().bufferdc).width, c.w);
    EXPECT_GE(plat::dc_size(sc().backdc).height, c.h);
    EXPECT_EQ(screen(c.w - 1, c.h - 1), fx::kTileColour);
  }
  fresh_starter();
  screen_size(800, 600);
  start_saver({"background= 3"});
  EXPECT_EQ(screen(400, 300), 0u);  // plain black, the buffer file's picture
}

TEST_F(Engine, ImageLoaderLoadsOnlyWhatIsOn) {
  start_saver({"wumpet2=1"});
  std::vector<std::string> loaded;
  for (const auto& c : headless::calls())
    if (c.rfind("load_bitmap ", 0) == 0) loaded.push_back(c.substr(c.rfind('/') + 1));
  EXPECT_EQ(loaded, (std::vector<std::string>{"d_wumpet2.bmp", "d_wumpetmask.bmp", "d_buffer.bmp", "d_buffer.bmp",
                                              "d_back0.bmp"}));
  fresh_starter();
  headless::reset(cfg_);
  start_saver({"colorchanger=1", "notes2=1"});
  loaded.clear();
  for (const auto& c : headless::calls())
    if (c.rfind("load_bitmap ", 0) == 0) loaded.push_back(c.substr(c.rfind('/') + 1));
  EXPECT_EQ(loaded, (std::vector<std::string>{"d_wumpet1.bmp", "d_wumpet2.bmp", "d_wumpet3.bmp", "d_wumpet4.bmp",
                                              "d_wumpet5.bmp", "d_notes21.bmp", "d_notes22.bmp", "d_notesmask.bmp",
                                              "d_buffer.bmp", "d_buffer.bmp", "d_back0.bmp"}));
}

TEST_F(Engine, WallAndCollisionLimits) {
  start_saver({"wumpet1=1", "wumpet2=1"});
  Sprite& d = sc().wumpets(1);
  Sprite& e = sc().wumpets(2);
  auto reset_e = [&] { e.x = 10000, e.y = 10000, e.dx = 5, e.dy = 5; };
  struct Wall {
    Long x, y;
    Single dx, dy;
    Single out_dx, out_dy;
  } walls[] = {
      {800 - 111 - 5 - 20, 200, 5, 5, 5, 5},      // exactly 20 pixels: not reversed
      {800 - 111 - 5 - 19, 200, 5, 5, -5, 5},     // one more: reversed
      {25, 200, -5, 5, -5, 5},                    // |dx| + 20 = 25, not greater than x
      {24, 200, -5, 5, 5, 5},
      {300, 30, 5, -5, 5, -5},                    // |2 dy| + 20 = 30 is not greater than 30
      {300, 29, 5, -5, 5, 5},
      {300, 600 - 102 - 10 - 20, 5, 5, 5, 5},     // two steps ahead, exactly 20
      {300, 600 - 102 - 10 - 19, 5, 5, 5, -5},
  };
  for (const Wall& w : walls) {
    reset_e();
    d.x = w.x, d.y = w.y, d.dx = w.dx, d.dy = w.dy;
    check4collision(form(), 1);
    EXPECT_EQ(d.dx, w.out_dx) << w.x << "," << w.y;
    EXPECT_EQ(d.dy, w.out_dy) << w.x << "," << w.y;
    EXPECT_EQ(st_.progressmark, "021") << "every higher slot was tested";
  }
  // Two dancers side by side, about to meet: horizontal velocities reverse.
  d.x = 100, d.y = 200, d.dx = 5, d.dy = 5;
  e.x = 215, e.y = 210, e.dx = -5, e.dy = 5;
  check4collision(form(), 1);
  EXPECT_EQ(d.dx, -5);
  EXPECT_EQ(e.dx, 5);
  // One above the other: vertical velocities reverse.
  d.x = 100, d.y = 100, d.dx = 5, d.dy = 5;
  e.x = 110, e.y = 206, e.dx = 5, e.dy = -5;
  check4collision(form(), 1);
  EXPECT_EQ(d.dy, -5);
  EXPECT_EQ(e.dy, 5);
  EXPECT_EQ(d.dx, 5);
  // Centres exactly the limit apart: no collision.
  d.x = 100, d.y = 200, d.dx = 5, d.dy = 0;
  e.x = 221, e.y = 200, e.dx = -0.0f, e.dy = 0;  // |cxi - cxj| = 116 = |dx| + 111
  check4collision(form(), 1);
  EXPECT_EQ(d.dx, 5);
  // gapx equal to gapy reverses the horizontal velocities.
  d.x = 100, d.y = 100, d.dx = 5, d.dy = 5;
  e.x = 201, e.y = 192, e.dx = 5, e.dy = 5;  // gapx = 101 - 111 = -10, gapy = 92 - 102 = -10
  check4collision(form(), 1);
  EXPECT_EQ(d.dx, -5);
  EXPECT_EQ(e.dx, -5);
  EXPECT_EQ(d.dy, 5);
}

TEST_F(Engine, OverlapSkipsDancerCollisions) {
  start_saver({"wumpet1=1", "wumpet2=1", "overlap=1"});
  Sprite& d = sc().wumpets(1);
  Sprite& e = sc().wumpets(2);
  d.x = 100, d.y = 200, d.dx = 5, d.dy = 5;
  e.x = 150, e.y = 200, e.dx = -5, e.dy = 5;
  check4collision(form(), 1);
  EXPECT_EQ(d.dx, 5);
  EXPECT_EQ(e.dx, -5);
  EXPECT_EQ(st_.progressmark, "016");
}

TEST_F(Engine, DancersDrawFromTheirRowMoveAndCycle) {
  start_saver({"wumpet3=1", "background= 3"});
  Sprite& s = sc().wumpets(3);
  s.x = 100, s.y = 100, s.dx = 5, s.dy = 5, s.frame = 6;
  frames(1);
  EXPECT_EQ(screen(150, 150), fx::code(3, 6, 0));  // colour 3, frame 6, row of moving right
  EXPECT_EQ(s.x, 105);
  EXPECT_EQ(s.frame, 7);
  frames(1);
  EXPECT_EQ(s.frame, 0);  // 7 -> 0, not 6 -> 0
  s.dx = -5;
  frames(1);
  EXPECT_EQ(fx::row_of(screen(s.x + 5 + 50, 150)), 1);  // moving left: row 1
  // A switched-off slot is never drawn; its frame goes 0 -> 1 and, with a bound of 0, back to 0.
  EXPECT_EQ(sc().wumpets(1).frame, 0);
  EXPECT_EQ(sc().wumpets(1).dx, 0);
}

TEST_F(Engine, ColourChangerDrawsFivePerTick) {
  start_saver({"wumpet1=1", "colorchanger=1"});
  int mixed = 0;
  Sprite& s = sc().wumpets(1);
  for (int t = 0; t < 40; ++t) {
    s.x = 300, s.y = 200, s.dx = 5, s.dy = 0;
    frames(1);
    mixed |= 1 << fx::kind_of(screen(350, 250));
  }
  EXPECT_EQ(mixed, 0b111110) << "all five colours appear";
}

TEST_F(Engine, CongaStartsOffTheLeftEdgeAndTurnsOnThe272ndCall) {
  start_saver({"wumpet1=1", "wumpet2=1", "wumpet3=1", "wumpet4=1", "wumpet5=1", "conga=1"});
  EXPECT_EQ(form().congafirst, 1);
  EXPECT_EQ(form().congalast, 5);
  EXPECT_EQ(sc().wumpets(5).x, -555);
  EXPECT_EQ(sc().wumpets(1).x, -111);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(sc().wumpets(i).y, 0);
    EXPECT_EQ(sc().wumpets(i).dx, 5);
    EXPECT_EQ(sc().wumpets(i).dy, 0);
  }
  frames(1);
  EXPECT_EQ(sc().wumpets(1).dx, 5) << "the rightmost starts at exactly -width: no turn";
  frames(270);
  EXPECT_EQ(sc().wumpets(5).dx, 5);
  frames(1);  // call 272: x becomes 805 > 800
  EXPECT_EQ(sc().wumpets(5).x, 805);
  EXPECT_EQ(sc().wumpets(5).dx, -5);
  const Long row = sc().wumpets(5).y;
  EXPECT_GE(row, 0);
  EXPECT_LE(row, 600 - 101);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(sc().wumpets(i).y, row);
  frames(1);
  EXPECT_EQ(sc().wumpets(5).x, 800);
  EXPECT_EQ(sc().wumpets(5).dx, -5) << "no second turn";
}

TEST_F(Engine, CongaWithSlotsTwoAndFour) {
  start_saver({"wumpet2=1", "wumpet4=1", "conga=1"});
  EXPECT_EQ(sc().wumpets(2).x, -111);
  EXPECT_EQ(sc().wumpets(4).x, -222);
  EXPECT_EQ(form().congafirst, 2);
  EXPECT_EQ(form().congalast, 4);
  headless::clear_calls();
  frames(1);
  EXPECT_EQ(count_calls("bitblt"), 2 + 4);  // background, two dancers (mask + paint), window
}

TEST_F(Engine, RoseTimetable) {
  start_saver({"redrose=1", "background= 3"});
  form().framecounter = 98;
  std::vector<int> drawn, after;
  for (int t = 0; t < 6; ++t) {  // counts 99..104
    frames(1);
    drawn.push_back(fx::frame_of(screen(50, 550)));
    after.push_back(sc().redroses(1).frame);
  }
  EXPECT_EQ(drawn, (std::vector<int>{0, 0, 1, 2, 3, 3}));
  EXPECT_EQ(after, (std::vector<int>{0, 1, 2, 3, 3, 3}));
  form().framecounter = 198;
  after.clear();
  for (int t = 0; t < 5; ++t) {  // counts 199..203
    frames(1);
    after.push_back(sc().redroses(1).frame);
  }
  EXPECT_EQ(after, (std::vector<int>{3, 2, 1, 0, 0}));
  // Over a whole cycle every rose opens and closes five times and ends where it started.
  std::vector<int> counts;
  for (int t = 0; t < 1000; ++t) {
    frames(1);
    counts.push_back(form().framecounter);
    ASSERT_GE(sc().redroses(3).frame, 0);
    ASSERT_LE(sc().redroses(3).frame, 3);
  }
  EXPECT_EQ(*std::max_element(counts.begin(), counts.end()), 999);
  EXPECT_EQ(*std::min_element(counts.begin(), counts.end()), 0);
}

TEST_F(Engine, FrameCyclesOfTheStillFigures) {
  start_saver({"lavalamp=1", "discoball=1", "hippie=1"});
  std::vector<int> disco, hippie, lava;
  for (int t = 0; t < 21; ++t) {
    disco.push_back(sc().discoball.frame);
    hippie.push_back(sc().hippie.frame);
    lava.push_back(sc().lavalamps(2).frame);
    frames(1);
  }
  EXPECT_EQ(std::vector<int>(disco.begin(), disco.begin() + 6), (std::vector<int>{0, 1, 2, 3, 4, 0}));
  EXPECT_EQ(std::vector<int>(hippie.begin(), hippie.begin() + 9), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 0}));
  EXPECT_EQ(lava[19], 19);
  EXPECT_EQ(lava[20], 0);
}

TEST_F(Engine, PeaceSignsAndNotesBounceAndCycle) {
  start_saver({"peace=1", "notes1=1", "background= 3"});
  Sprite& p = sc().peaces(1);
  p.x = 800 - 41 + 3, p.y = 300, p.dx = 5, p.dy = 5, p.framestep = -1, p.frame = 0;
  frames(1);
  EXPECT_EQ(p.x, 800 - 41 - 2);
  EXPECT_EQ(p.dx, -5);
  EXPECT_EQ(p.framestep, 1);
  EXPECT_EQ(p.frame, 1);
  p.framestep = -1, p.frame = 0;
  frames(1);
  EXPECT_EQ(p.frame, 14);  // 0 -> 14 counting down
  p.framestep = 1, p.frame = 14, p.x = 300;
  frames(1);
  EXPECT_EQ(p.frame, 0);

  Sprite& n = sc().notes1(1);
  n.x = 300, n.y = 600 - 50 + 2, n.dx = 4, n.dy = 6, n.framestep = 1, n.frame = 7;
  frames(1);
  EXPECT_EQ(n.y, 600 - 54);
  EXPECT_EQ(n.frame, 8);
  frames(1);
  EXPECT_EQ(n.frame, 0);  // 8 -> 0 counting up
  n.frame = 9;
  frames(1);
  EXPECT_EQ(n.frame, 0);  // a note that starts at 9 goes to 0
  n.framestep = -1, n.frame = 1;
  std::vector<int> down;
  for (int t = 0; t < 3; ++t) {
    frames(1);
    down.push_back(n.frame);
  }
  EXPECT_EQ(down, (std::vector<int>{0, 9, 8}));
}

TEST_F(Engine, NoteSheetsByIndex) {
  start_saver({"notes2=1", "background= 3"});
  for (int i = 1; i <= 8; ++i) sc().notes2(i).x = 5000;  // out of sight
  Sprite& four = sc().notes2(4);
  Sprite& five = sc().notes2(5);
  four.x = 100, four.y = 100, four.dx = 0, four.dy = 0;
  five.x = 300, five.y = 100, five.dx = 0, five.dy = 0;
  frames(1);
  EXPECT_EQ(fx::kind_of(screen(110, 120)), fx::kNotes21);
  EXPECT_EQ(fx::kind_of(screen(310, 120)), fx::kNotes22);
}

TEST_F(Engine, LayeringFollowsTheStackingOrder) {
  start_saver(with(all_on(), {"background= 3"}));
  // Put one of each kind on the same spot; the latest drawn must show.
  auto put = [](Sprite& s) { s.x = 380, s.y = 260, s.dx = 0, s.dy = 0; };
  put(sc().notes1(1));
  put(sc().peaces(1));
  put(sc().wumpets(1));
  sc().wumpets(1).dx = 5;  // a dancer standing still is not drawn
  frames(1);
  EXPECT_EQ(fx::kind_of(screen(390, 270)), 1) << "a dancer covers notes and peace signs";
  put(sc().redroses(1));
  frames(1);
  EXPECT_EQ(fx::kind_of(screen(390, 270)), fx::kRed) << "a rose covers a dancer";
  sc().hippie.x = 380, sc().hippie.y = 260;
  frames(1);
  EXPECT_EQ(fx::kind_of(screen(390, 270)), fx::kHippie) << "the hippie covers every other kind";
}

TEST_F(Engine, SemiTransparencySkipsTheMaskOnlyForSomeKinds) {
  start_saver(with(all_on(), {"semitransparent=1"}));
  headless::clear_calls();
  frames(1);
  int masks = 0, paints = 0;
  for (const auto& c : headless::calls()) {
    masks += c.size() > 4 && c.substr(c.size() - 4) == " and";
    paints += c.size() > 6 && c.substr(c.size() - 6) == " paint";
  }
  // Only the lava lamps (2), the disco ball and the hippie keep their masks.
  EXPECT_EQ(masks, 4);
  EXPECT_EQ(paints, 5 + 12 + 2 + 8 + 16 + 1 + 1);
  // The picture is ORed onto the background.
  Sprite& s = sc().wumpets(2);
  s.x = 300, s.y = 300, s.dx = 5, s.dy = 0;
  for (int i = 1; i <= 8; ++i) sc().peaces(i).x = sc().notes1(i).x = sc().notes2(i).x = 5000;
  const int f = s.frame;
  frames(1);
  EXPECT_EQ(screen(350, 350), fx::code(2, f, 0) | fx::kTileColour);
}

TEST_F(Engine, TrailsKeepThePreviousFrame) {
  start_saver({"wumpet1=1", "trailing=1", "background= 1"});
  Sprite& s = sc().wumpets(1);
  s.x = 100, s.y = 100, s.dx = 50, s.dy = 0;
  headless::clear_calls();
  frames(3);
  EXPECT_EQ(fx::kind_of(screen(120, 150)), 1) << "the first position is still painted";
  EXPECT_EQ(count_calls("bitblt " + std::to_string(sc().bufferdc) + " 0 0 800 600 " + std::to_string(sc().backdc)), 0);
}

TEST_F(Engine, FrameCounterWraps) {
  start_saver({});
  form().framecounter = 997;
  std::vector<int> seen;
  for (int t = 0; t < 4; ++t) {
    frames(1);
    seen.push_back(form().framecounter);
  }
  EXPECT_EQ(seen, (std::vector<int>{998, 999, 0, 1}));
}

TEST_F(Engine, ForcedOverflowReportsLabelAndMark) {
  start_saver({"wumpet1=1", "wumpet2=1"});
  sc().wumpets(1).x = 2147483647 - 2;  // the move overflows a Long
  sc().wumpets(1).dx = 5;
  frames(1);
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6-009 ScreenSaver/Update_Wumpets");
  EXPECT_GE(count_calls("window_hide"), 1) << "the saver window steps aside";
  EXPECT_GE(headless::cursor_count(), 0) << "the cursor shows";
  EXPECT_FALSE(headless::window(saver_window())->visible);
  // The other kinds and later ticks go on.
  sc().wumpets(1).x = 100;
  frames(1);
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6-009 ScreenSaver/Update_Wumpets");
  sc().notes1(1).enabled = kTrue;
  sc().notes1(1).frame = 32767;
  sc().notes1(1).framestep = 1;
  sc().notes1(1).width = 26;
  frames(1);
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6-012 ScreenSaver/UpdateNotes1");
}

TEST_F(Engine, CollisionOverflowKeepsItsMark) {
  start_saver({"wumpet1=1", "wumpet2=1"});
  sc().wumpets(1).y = 40000;  // its centre cannot be an Integer
  sc().wumpets(1).dy = -5;
  check4collision(form(), 1);
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6-017 ScreenSaver/Check4Collision");
}

TEST_F(Engine, TwoFullScreenBlitsPerFrameOneWithTrails) {
  start_saver({});
  headless::clear_calls();
  frames(1);
  EXPECT_EQ(count_calls("bitblt"), 2);
  const auto* w = headless::window(saver_window());
  EXPECT_TRUE(w->visible);
  EXPECT_GE(w->refreshes, 1);
}

TEST_F(Engine, MessageLabel) {
  start_saver({"message=1", "messagetext=Hi"});
  const auto* l = headless::label(form().screenlabel);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->caption, "  Hi  ");
  EXPECT_TRUE(l->visible);
  EXPECT_EQ(l->x, 400 - 6 * 9 / 2);
  EXPECT_EQ(l->y, 600 - 19 - 10);
  frames(2);
  EXPECT_GE(headless::label(form().screenlabel)->refreshes, 2);
  fresh_starter();
  headless::reset(cfg_);
  start_saver({"message=1"});
  EXPECT_FALSE(headless::label(st_.saver->screenlabel)->visible) << "empty text: hidden";
}

TEST_F(Engine, AMessageInAnotherScriptShowsWholeAndCentred) {
  const std::string russian = "Счастливого Нового года! Пусть этот год будет добрым, светлым и тёплым!!";
  start_saver({"message=1", "messagetext=" + russian});
  const auto* l = headless::label(form().screenlabel);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->caption, "  " + russian + "  ");
  EXPECT_EQ(l->x, 400 - (72 + 4) * 9 / 2);  // centred by its characters, not its bytes
}

TEST_F(Engine, SpeedSetsTheFrameTimerAndZeroLeavesItIdle) {
  start_saver({"speed=40"});
  headless::advance_ms(400);
  EXPECT_EQ(form().framecounter, 10);
  fresh_starter();
  headless::reset(cfg_);
  start_saver({"speed=0"});
  headless::advance_ms(400);
  EXPECT_EQ(st_.saver->framecounter, 0);
}

// "Fast" is the window system's fastest tick, 10 ms, not a frame every millisecond.
TEST_F(Engine, NoSpeedTicksFasterThanEveryTenMilliseconds) {
  const struct {
    const char* speed;
    int frames_in_400_ms;
  } cases[] = {{"1", 40}, {"5", 40}, {"9", 40}, {"10", 40}, {"11", 36}, {"40", 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.speed);
    fresh_starter();
    headless::reset(cfg_);
    start_saver({std::string("speed=") + c.speed});
    headless::advance_ms(400);
    EXPECT_EQ(st_.saver->framecounter, c.frames_in_400_ms);
  }
}

// The settings dialog and the message dialog on the headless back end: what they show when they
// open, their click rules, what "&Apply Changes" writes and in which order, and the message text.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/captions.h"
#include "dialogs/configuration.h"
#include "dialogs/layouts.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_dialogs.h"
#include "settings/keys.h"
#include "startup/starter.h"

namespace {

namespace fs = std::filesystem;
namespace hd = headless_dialogs;
using wumpets::Starter;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("wumpets-dialogs-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    headless::Config cfg;
    cfg.config_dir = dir_.string();
    cfg.data_dir = dir_.string() + "/";
    cfg.command_line = "/c";
    cfg.dpi = dpi_;
    headless::reset(cfg);
    hd::reset();
  }
  void TearDown() override { fs::remove_all(dir_); }
  // A fresh program for the next case of a table.
  void restart() {
    SetUp();
    st_ = std::make_unique<Starter>();
  }

  void write_settings(const std::vector<std::string>& lines) {
    std::ofstream out(dir_ / "vornicade.ini");
    out << "[Zelkin Wumpets]\n";
    for (const auto& l : lines) out << l << "\n";
  }
  std::string settings_text() const {
    std::ifstream in(dir_ / "vornicade.ini");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Runs Main with "/c" and returns the settings dialog (0 when it never opened).
  plat::Handle open() {
    wumpets::Main(*st_);
    cfgdlg_ = hd::find_dialog("Configuration");
    return cfgdlg_;
  }
  const hd::ControlState& ctl(const std::string& name) const { return hd::control(cfgdlg_, name); }
  int value(const std::string& name) const { return ctl(name).value; }
  bool enabled(const std::string& name) const { return ctl(name).enabled; }
  void click(const std::string& name) { hd::click(cfgdlg_, name); }

  // Presses "&Apply Changes" and returns the keys and values written, in order.
  std::vector<std::pair<std::string, std::string>> apply() {
    headless::clear_calls();
    EXPECT_THROW(click("cmdOK"), headless::ProcessEnded);
    std::vector<std::pair<std::string, std::string>> puts;
    for (const auto& c : headless::calls()) {
      if (c.rfind("profile_put ", 0) != 0) continue;
      const std::string kv = c.substr(12);
      const std::size_t eq = kv.find('=');
      puts.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    }
    return puts;
  }
  static std::string saved(const std::vector<std::pair<std::string, std::string>>& puts, const std::string& key) {
    for (const auto& [k, v] : puts)
      if (k == key) return v;
    return "<not written>";
  }

  double dpi_ = 96;
  fs::path dir_;
  std::unique_ptr<Starter> st_ = std::make_unique<Starter>();
  plat::Handle cfgdlg_ = 0;
};

const std::vector<std::string> kDancers = {"wumpetcheck(1)", "wumpetcheck(2)", "wumpetcheck(3)", "wumpetcheck(4)",
                                           "wumpetcheck(5)"};
const std::vector<std::string> kDancerOptions = {"colorcheck", "overlapcheck", "congacheck"};

TEST_F(DialogTest, FirstRunOpensWithTheDefaultsCentredAndTheTitleScene) {
  ASSERT_NE(open(), 0);
  const hd::DialogState* d = hd::dialog(cfgdlg_);
  EXPECT_TRUE(d->visible);
  EXPECT_EQ(d->caption, "Zelkin Wumpets Version 6.0");
  float w = 0, h = 0;
  plat::dialog_outer_size(cfgdlg_, w, h);
  EXPECT_FLOAT_EQ(d->left, 800 * 15 / 2.0f - w / 2.0f);
  EXPECT_FLOAT_EQ(d->top, 600 * 15 / 2.0f - h / 2.0f);

  const std::set<std::string> checked = {"wumpetcheck(1)", "wumpetcheck(2)", "wumpetcheck(3)", "wumpetcheck(4)",
                                         "wumpetcheck(5)", "redrosecheck",   "pinkrosecheck",  "yellowrosecheck",
                                         "whiterosecheck", "notes1check",    "musicchk(0)",    "musicchk(1)",
                                         "musicchk(2)"};
  for (const auto& c : d->controls) {
    if (c.desc.kind != plat::ControlKind::CheckBox) continue;
    EXPECT_EQ(c.value, checked.count(c.desc.name) ? 1 : 0) << c.desc.name;
  }
  EXPECT_EQ(value("backcheck(0)"), 1);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(value("backcheck(" + std::to_string(n) + ")"), 0);
  EXPECT_EQ(value("speedchk"), 80);
  EXPECT_EQ(value("messagecheck"), 0);
  EXPECT_FALSE(enabled("change"));
  for (const auto& o : kDancerOptions) EXPECT_TRUE(enabled(o)) << o;
  // The dancer boxes checked while loading showed their pictures; the title scene replaces them.
  EXPECT_EQ(ctl("preview").picture, "pic0.bmp");
  EXPECT_EQ(d->focus, wumpets::cfg::cmdOK);
  EXPECT_EQ(headless::error_dialog_shows(), 0);
}

// Centring computes in twips of the screen's own resolution: the same window lands in the same
// place in pixels whatever the resolution, and the saver keeps the screen's size in pixels.
TEST_F(DialogTest, CentredInTwipsOfTheScreensResolution) {
  for (double dpi : {96.0, 144.0, 192.0}) {
    SCOPED_TRACE(dpi);
    dpi_ = dpi;
    restart();
    ASSERT_NE(open(), 0);
    const plat::ScreenMetrics m = plat::screen_metrics();
    EXPECT_FLOAT_EQ(m.twips_per_pixel_x, static_cast<float>(1440 / dpi));
    EXPECT_FLOAT_EQ(m.width_twips, static_cast<float>(800 * 1440 / dpi));
    float w = 0, h = 0;
    plat::dialog_outer_size(cfgdlg_, w, h);
    const hd::DialogState* d = hd::dialog(cfgdlg_);
    EXPECT_FLOAT_EQ(d->left, m.width_twips / 2.0f - w / 2.0f);
    EXPECT_FLOAT_EQ(d->top, m.height_twips / 2.0f - h / 2.0f);
  }
}

TEST_F(DialogTest, ApplyWritesEveryKeyInOrderWithTheFileFormats) {
  ASSERT_NE(open(), 0);
  const auto puts = apply();
  const std::vector<std::string> order = {
      "firstrun", "wumpet1",  "wumpet2",   "wumpet3",    "wumpet4",      "wumpet5",      "notes1",
      "notes2",   "peace",    "hippie",    "redrose",    "pinkrose",     "yellowrose",   "whiterose",
      "discoball", "lavalamp", "conga",    "colorchanger", "trailing",   "semitransparent", "overlap",
      "background", "speed",  "musicchoice0", "musicchoice1", "musicchoice2", "musicchoice3", "musicchoice4",
      "musicchoice5", "message"};
  ASSERT_EQ(puts.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(puts[i].first, order[i]) << "write " << i + 1;

  // Checked against the one key table: every key the loader reads is written, except the message
  // text (the message dialog's), and flags are written as "0" or "1".
  std::set<std::string> written;
  for (const auto& [k, v] : puts) written.insert(k);
  for (const wumpets::SettingKey& key : wumpets::setting_keys()) {
    if (key.kind == wumpets::KeyKind::Text) {
      EXPECT_FALSE(written.count(key.name)) << key.name;
      continue;
    }
    EXPECT_TRUE(written.count(key.name)) << key.name;
    if (key.kind == wumpets::KeyKind::Flag) {
      EXPECT_TRUE(saved(puts, key.name) == "0" || saved(puts, key.name) == "1") << key.name;
    }
  }
  for (const auto& [k, v] : puts)
    if (k != wumpets::kFirstRunKey) {
      EXPECT_NE(wumpets::find_setting_key(k), nullptr) << k;
    }

  EXPECT_EQ(saved(puts, "firstrun"), "1");
  EXPECT_EQ(saved(puts, "background"), " 0");
  EXPECT_EQ(saved(puts, "speed"), "60");
  EXPECT_EQ(saved(puts, "wumpet3"), "1");
  EXPECT_EQ(saved(puts, "notes2"), "0");
  EXPECT_EQ(saved(puts, "musicchoice2"), "1");
  EXPECT_EQ(saved(puts, "musicchoice3"), "0");

  // The file reads back as the first-run state it was made from.
  Starter again;
  wumpets::X_GetData(again);
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(again.scene.wumpets(n).enabled, wumpets::kTrue);
  EXPECT_EQ(again.scene.notes1(1).enabled, wumpets::kTrue);
  EXPECT_EQ(again.scene.notes2(1).enabled, 0);
  EXPECT_EQ(again.scene.background, 0);
  EXPECT_EQ(again.scene.backwidth, 165);
  EXPECT_EQ(again.scene.speed, 60);
  EXPECT_EQ(again.scene.musicchoice(2), wumpets::kTrue);
  EXPECT_EQ(again.scene.message, 0);
}

TEST_F(DialogTest, ChangedChoicesAreSavedAsShown) {
  write_settings({"firstrun=1", "wumpet2=1", "background= 1", "speed=100", "message=1", "musicchoice5=1"});
  ASSERT_NE(open(), 0);
  click("backcheck(3)");
  click("hippiecheck");
  click("musicchk(5)");
  click("messagecheck");
  EXPECT_FALSE(enabled("change"));
  const auto puts = apply();
  EXPECT_EQ(saved(puts, "background"), " 3");
  EXPECT_EQ(saved(puts, "speed"), "100");
  EXPECT_EQ(saved(puts, "hippie"), "1");
  EXPECT_EQ(saved(puts, "wumpet1"), "0");
  EXPECT_EQ(saved(puts, "wumpet2"), "1");
  EXPECT_EQ(saved(puts, "musicchoice5"), "0");
  EXPECT_EQ(saved(puts, "message"), "0");
}

TEST_F(DialogTest, SpeedThumbAtEitherEnd) {
  struct Case {
    const char* stored;
    int thumb;       // where it opens
    int move_to;     // -1: left alone
    const char* saved;
  };
  const Case cases[] = {
      {"60", 80, -1, "60"},  {"140", 0, -1, "140"}, {"0", 140, -1, "1"},  {"1", 139, -1, "1"},
      {"60", 80, 140, "1"},  {"60", 80, 0, "140"},  {"60", 80, 139, "1"}, {"60", 80, 1, "139"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored ") + c.stored + ", moved to " + std::to_string(c.move_to));
    restart();
    write_settings({"firstrun=1", "wumpet1=1", std::string("speed=") + c.stored});
    ASSERT_NE(open(), 0);
    EXPECT_EQ(value("speedchk"), c.thumb);
    if (c.move_to >= 0) hd::scroll_to(cfgdlg_, "speedchk", c.move_to);
    EXPECT_EQ(saved(apply(), "speed"), c.saved);
  }
}

TEST_F(DialogTest, LastDancerClearedTakesTheDancerOptionsAway) {
  write_settings({"firstrun=1", "wumpet1=1", "wumpet4=1", "conga=1", "overlap=1", "colorchanger=1"});
  ASSERT_NE(open(), 0);
  for (const auto& o : kDancerOptions) EXPECT_EQ(value(o), 1) << o;

  click("wumpetcheck(1)");
  EXPECT_EQ(ctl("preview").picture, "pic1.bmp");
  for (const auto& o : kDancerOptions) {
    EXPECT_EQ(value(o), 1) << "one dancer is left: " << o;
    EXPECT_TRUE(enabled(o)) << o;
  }
  click("wumpetcheck(4)");
  EXPECT_EQ(ctl("preview").picture, "pic4.bmp");
  for (const auto& o : kDancerOptions) {
    EXPECT_EQ(value(o), 0) << o;
    EXPECT_FALSE(enabled(o)) << o;
  }
  click("congacheck");  // disabled: the click does not reach it
  EXPECT_EQ(value("congacheck"), 0);

  click("wumpetcheck(2)");
  for (const auto& o : kDancerOptions) {
    EXPECT_TRUE(enabled(o)) << o;
    EXPECT_EQ(value(o), 0) << "enabled again, still cleared: " << o;
  }
  const auto puts = apply();
  EXPECT_EQ(saved(puts, "conga"), "0");
  EXPECT_EQ(saved(puts, "colorchanger"), "0");
  EXPECT_EQ(saved(puts, "overlap"), "0");
}

TEST_F(DialogTest, NoDancerInTheSettingsStillOpensTheOptionsEnabled) {
  write_settings({"firstrun=1", "redrose=1"});
  ASSERT_NE(open(), 0);
  for (const auto& d : kDancers) EXPECT_EQ(value(d), 0);
  for (const auto& o : kDancerOptions) EXPECT_TRUE(enabled(o)) << o;
}

TEST_F(DialogTest, TrailsAndSemiTransparencyExcludeEachOther) {
  struct Case {
    std::vector<std::string> settings;
    const char* click;
    const char* other;
  };
  const Case cases[] = {{{"firstrun=1", "semitransparent=1"}, "trailcheck", "transcheck"},
                        {{"firstrun=1", "trailing=1"}, "transcheck", "trailcheck"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.click);
    restart();
    write_settings(c.settings);
    ASSERT_NE(open(), 0);
    // Loaded with the other one on: this one is disabled.
    EXPECT_EQ(value(c.other), 1);
    EXPECT_FALSE(enabled(c.click));
    click(c.other);  // clear it: this one comes back
    EXPECT_TRUE(enabled(c.click));
    EXPECT_EQ(value(c.click), 0);
    click(c.click);
    EXPECT_EQ(value(c.click), 1);
    EXPECT_EQ(value(c.other), 0);
    EXPECT_FALSE(enabled(c.other));
    click(c.click);
    EXPECT_TRUE(enabled(c.other));
    EXPECT_EQ(value(c.other), 0);
  }
}

TEST_F(DialogTest, BothTrailsAndSemiTransparencyInTheFileNeverSaveBoth) {
  write_settings({"firstrun=1", "trailing=1", "semitransparent=1"});
  ASSERT_NE(open(), 0);
  EXPECT_NE(value("trailcheck") + value("transcheck"), 2);
  const auto puts = apply();
  EXPECT_FALSE(saved(puts, "trailing") == "1" && saved(puts, "semitransparent") == "1");
}

TEST_F(DialogTest, EveryObjectBoxShowsItsPictureCheckedOrCleared) {
  ASSERT_NE(open(), 0);
  const std::pair<const char*, const char*> boxes[] = {
      {"redrosecheck", "pic6.bmp"},  {"pinkrosecheck", "pic7.bmp"},  {"yellowrosecheck", "pic8.bmp"},
      {"whiterosecheck", "pic9.bmp"}, {"peacecheck", "pic10.bmp"},    {"hippiecheck", "pic11.bmp"},
      {"lavalampcheck", "pic12.bmp"}, {"notes1check", "pic13.bmp"},   {"discoballcheck", "pic14.bmp"},
      {"notes2check", "pic15.bmp"},   {"wumpetcheck(5)", "pic5.bmp"}, {"wumpetcheck(3)", "pic3.bmp"}};
  for (const auto& [box, picture] : boxes) {
    const int before = value(box);
    click(box);
    EXPECT_NE(value(box), before) << box;
    EXPECT_EQ(ctl("preview").picture, picture) << box;
    click("musicchk(4)");  // no picture of its own
    EXPECT_EQ(ctl("preview").picture, picture) << box;
  }
}

TEST_F(DialogTest, MessageSwitchEnablesChange) {
  write_settings({"firstrun=1", "message=1", "messagetext=hello"});
  ASSERT_NE(open(), 0);
  EXPECT_EQ(value("messagecheck"), 1);
  EXPECT_TRUE(enabled("change"));
  click("messagecheck");
  EXPECT_FALSE(enabled("change"));
  click("change");
  EXPECT_EQ(hd::find_dialog("Form1"), 0) << "a disabled Change opens nothing";
  click("messagecheck");
  EXPECT_TRUE(enabled("change"));
}

TEST_F(DialogTest, BadStoredValuesStopFormLoadWithAnError) {
  struct Case {
    const char* line;
    const char* title;
  };
  const Case cases[] = {{"background= 4", "Error Code: ZW- 9- Configuration/Form_Load"},
                        {"background=-1", "Error Code: ZW- 9- Configuration/Form_Load"},
                        {"speed=141", "Error Code: ZW- 6- Configuration/Form_Load"},
                        {"speed=-5", "Error Code: ZW- 6- Configuration/Form_Load"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    restart();
    write_settings({"firstrun=1", "wumpet1=1", c.line});
    const plat::Handle h = open();
    ASSERT_NE(h, 0);
    EXPECT_FALSE(hd::dialog(h)->visible) << "the dialog is not shown";
    EXPECT_EQ(headless::error_dialog_title(), c.title);
    EXPECT_EQ(headless::error_dialog_shows(), 1);
    // The error dialog is shown on top and centred on the 800x600 screen by its outer size
    // (client 6450 x 1575 twips, a frame of 3 px and a caption bar of 18 px).
    const hd::DialogState* err = hd::dialog(hd::find_dialog("Error Code:"));
    ASSERT_NE(err, nullptr);
    EXPECT_TRUE(err->visible);
    EXPECT_TRUE(err->topmost);
    EXPECT_FLOAT_EQ(err->left, (800 * 15 - (6450 + 90)) / 2.0f);
    EXPECT_FLOAT_EQ(err->top, (600 * 15 - (1575 + 360)) / 2.0f);
    // Closing the error dialog runs the shutdown, which ends the program.
    EXPECT_THROW(headless::error_dialog_close(), headless::ProcessEnded);
  }
}

TEST_F(DialogTest, CancelAndClosingWriteNothing) {
  for (const char* how : {"cancel", "close"}) {
    SCOPED_TRACE(how);
    restart();
    ASSERT_NE(open(), 0);
    click("hippiecheck");
    if (std::string(how) == "cancel") {
      EXPECT_THROW(click("cmdCancel"), headless::ProcessEnded);
    } else {
      EXPECT_THROW(hd::close(cfgdlg_), headless::ProcessEnded);
    }
    EXPECT_FALSE(fs::exists(dir_ / "vornicade.ini"));
  }
}

#if !defined(_WIN32)  // the file-size limit is POSIX's
// Apply writes every key in one change: one write of all of them, and when that write fails (a
// full disk; here the file-size limit) the old file stays whole rather than half new.
// A save that fails is said aloud: a message box names the file and the reason, the dialog stays
// with every choice in it, the file stays as it was and no temporary file is left; Cancel leaves.
TEST_F(DialogTest, AFailedSaveIsSaidAloudAndKeepsTheDialog) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* reason;
  } cases[] = {
      {"read-only",
       [](const fs::path& f) {
         std::ofstream(f) << "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\n";
         fs::permissions(f, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       },
       "the file is read-only"},
      {"over 1 MB",
       [](const fs::path& f) {
         std::ofstream out(f);
         out << "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\n[Notes]\n";
         for (int i = 0; i < 30000; ++i) out << "line" << i << "=some words that fill the file up\n";
       },
       "the file is larger than a settings file can be (1 MB)"},
      {"UTF-16 without a mark",
       [](const fs::path& f) {
         std::ofstream out(f, std::ios::binary);
         for (char c : std::string("[Zelkin Wumpets]\r\nfirstrun=1\r\n")) out << c << '\0';
       },
       "the file is not a text file of settings"},
      {"a folder", [](const fs::path& f) { fs::create_directory(f); }, "it is not a plain file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    restart();
    const fs::path file = dir_ / "vornicade.ini";
    c.make(file);
    const auto before = fs::is_regular_file(file) ? settings_text() : std::string("<folder>");
    ASSERT_NE(open(), 0);
    click("hippiecheck");
    const int hippie = value("hippiecheck");
    EXPECT_NO_THROW(click("cmdOK"));
    ASSERT_EQ(hd::message_boxes().size(), 1u);
    const std::string& text = hd::message_boxes()[0].second;
    EXPECT_NE(text.find(dir_.string()), std::string::npos) << text;
    EXPECT_NE(text.find("vornicade.ini"), std::string::npos) << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_TRUE(hd::dialog(cfgdlg_)->visible) << "the dialog stays";
    EXPECT_EQ(value("hippiecheck"), hippie) << "with its choices";
    EXPECT_EQ(fs::is_regular_file(file) ? settings_text() : std::string("<folder>"), before);
    for (const auto& e : fs::directory_iterator(dir_))
      if (e.path().filename() != ".vornicade.ini.lock") {
        EXPECT_EQ(e.path().filename(), "vornicade.ini") << "left behind: " << e.path();
      }
    EXPECT_THROW(click("cmdCancel"), headless::ProcessEnded);
    if (fs::exists(file)) fs::permissions(file, fs::perms::owner_all);
  }
}

TEST_F(DialogTest, ApplyIsOneChangeThatFailsWhole) {
  const std::string old = "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\n";
  {
    std::ofstream(dir_ / "vornicade.ini") << old;
  }
  ASSERT_NE(open(), 0);
  click("hippiecheck");
  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 120;  // room for the old file, not for the new one
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  headless::clear_calls();
  EXPECT_NO_THROW(click("cmdOK")) << "a failed save keeps the dialog";
  ::setrlimit(RLIMIT_FSIZE, &saved);
  int transactions = 0;
  for (const auto& c : headless::calls()) transactions += c == "profile_put_all 30";
  EXPECT_EQ(transactions, 1);
  EXPECT_EQ(settings_text(), old);
  ASSERT_EQ(hd::message_boxes().size(), 1u);
  EXPECT_NE(hd::message_boxes()[0].second.find("its folder cannot be written"), std::string::npos);
  // With room, the same Apply writes all of it.
  restart();
  ASSERT_NE(open(), 0);
  click("hippiecheck");
  apply();
  EXPECT_NE(settings_text().find("hippie=1"), std::string::npos);
  EXPECT_NE(settings_text().find("message=0"), std::string::npos);
}
#endif

// ---------------------------------------------------------------------------------------------
// The message dialog.

class MessageTest : public DialogTest {
 protected:
  plat::Handle change() {
    click("change");
    return hd::find_dialog("Form1");
  }
  const hd::ControlState& text1(plat::Handle m) const { return hd::control(m, "Text1"); }
};

TEST_F(MessageTest, ChangeOpensTheMessageOnTopAndHidesTheSettings) {
  write_settings({"firstrun=1", "message=1", "messagetext=Peace and love"});
  ASSERT_NE(open(), 0);
  const plat::Handle m = change();
  ASSERT_NE(m, 0);
  const hd::DialogState* d = hd::dialog(m);
  EXPECT_TRUE(d->visible);
  EXPECT_TRUE(d->topmost);
  EXPECT_EQ(d->caption, "Zelkin Wumpets ScreenSaver Message");
  EXPECT_EQ(text1(m).text, "Peace and love");
  EXPECT_EQ(d->focus, wumpets::msg::Text1);
  float w = 0, h = 0;
  plat::dialog_outer_size(m, w, h);
  EXPECT_FLOAT_EQ(d->left, 6000 - w / 2);
  EXPECT_FALSE(hd::dialog(cfgdlg_)->visible);
  EXPECT_EQ(hd::dialog(cfgdlg_)->focus, wumpets::cfg::cmdOK);
}

TEST_F(MessageTest, ApplyThenCancelKeepsTheTextButNotTheSwitch) {
  write_settings({"firstrun=1", "message=0", "messagetext=old"});
  ASSERT_NE(open(), 0);
  click("messagecheck");
  const plat::Handle m = change();
  hd::type_text(m, "Text1", "new words");
  hd::click(m, "Apply");
  EXPECT_FALSE(hd::dialog(m)->visible);
  EXPECT_TRUE(hd::dialog(m)->loaded) << "Apply only hides it";
  EXPECT_TRUE(hd::dialog(cfgdlg_)->visible);
  EXPECT_THROW(click("cmdCancel"), headless::ProcessEnded);
  Starter again;
  wumpets::X_GetData(again);
  EXPECT_EQ(again.scene.messagetext, "new words");
  EXPECT_EQ(again.scene.message, 0) << "the switch keeps its old saved value";
}

TEST_F(MessageTest, AFailedApplyIsSaidAloudAndKeepsTheText) {
  write_settings({"firstrun=1", "message=1", "messagetext=old"});
  fs::permissions(dir_ / "vornicade.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_NE(open(), 0);
  const plat::Handle m = change();
  hd::type_text(m, "Text1", "new words");
  hd::click(m, "Apply");
  ASSERT_EQ(hd::message_boxes().size(), 1u);
  EXPECT_NE(hd::message_boxes()[0].second.find("the file is read-only"), std::string::npos);
  EXPECT_TRUE(hd::dialog(m)->visible) << "the message dialog stays";
  EXPECT_EQ(text1(m).text, "new words");
  EXPECT_FALSE(hd::dialog(cfgdlg_)->visible);
  EXPECT_NE(settings_text().find("messagetext=old"), std::string::npos);
  fs::permissions(dir_ / "vornicade.ini", fs::perms::owner_all);
}

TEST_F(MessageTest, EnterAppliesAndAnEmptyTextIsWritten) {
  write_settings({"firstrun=1", "message=1", "messagetext=something"});
  ASSERT_NE(open(), 0);
  const plat::Handle m = change();
  hd::type_text(m, "Text1", "");
  headless::clear_calls();
  hd::press_key(m, 13);
  const auto& calls = headless::calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "profile_put messagetext="), calls.end());
  EXPECT_FALSE(hd::dialog(m)->visible);
  EXPECT_TRUE(hd::dialog(cfgdlg_)->visible);
  EXPECT_NE(settings_text().find("messagetext=\n"), std::string::npos) << settings_text();
}

TEST_F(MessageTest, ReopenShowsTheAppliedTextAfterApplyAndTheLoadedTextAfterCancel) {
  write_settings({"firstrun=1", "message=1", "messagetext=loaded"});
  ASSERT_NE(open(), 0);
  plat::Handle m = change();
  hd::type_text(m, "Text1", "applied");
  hd::click(m, "Apply");
  m = change();
  EXPECT_EQ(text1(m).text, "applied");
  hd::type_text(m, "Text1", "typed then cancelled");
  hd::click(m, "Cancel");
  EXPECT_FALSE(hd::dialog(m)->loaded);
  EXPECT_TRUE(hd::dialog(cfgdlg_)->visible);
  m = change();
  EXPECT_EQ(text1(m).text, "loaded") << "after Cancel: the text loaded at start";
  // Closing it through its frame is a Cancel: the settings dialog comes back.
  hd::close(m);
  EXPECT_TRUE(hd::dialog(cfgdlg_)->visible);
  EXPECT_NE(settings_text().find("messagetext=applied"), std::string::npos);
}

TEST_F(MessageTest, LongMultiLineAndNonLatinTextKeepsTheFileIntact) {
  write_settings({"firstrun=1", "message=1", "wumpet2=1", "speed=60"});
  ASSERT_NE(open(), 0);
  std::string text = "Grüße aus Köln, 日本語も。\nSecond line\r\nThird";
  while (text.size() < 5000) text += " and again ♫";
  const plat::Handle m = change();
  hd::type_text(m, "Text1", text);
  hd::click(m, "Apply");
  apply();  // the settings dialog writes every other key after it

  // One line per key: the text's line breaks became blanks; nothing else moved.
  const std::string file = settings_text();
  std::istringstream lines(file);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) ++count;
  EXPECT_EQ(count, 1 + 31);

  Starter again;
  wumpets::X_GetData(again);
  std::string flat = text;
  for (char& ch : flat)
    if (ch == '\n' || ch == '\r') ch = ' ';
  // Read back cut to 127 characters, the last one whole: up to where the 128th begins.
  std::size_t end = 0;
  for (int starts = 0; end < flat.size(); ++end)
    if ((static_cast<unsigned char>(flat[end]) & 0xC0) != 0x80 && ++starts == 128) break;
  EXPECT_EQ(again.scene.messagetext, flat.substr(0, end)) << "read back cut to 127 characters";
  EXPECT_EQ(again.scene.wumpets(2).enabled, wumpets::kTrue);
  EXPECT_EQ(again.scene.wumpets(1).enabled, 0);
  EXPECT_EQ(again.scene.speed, 60);
  EXPECT_EQ(again.scene.message, wumpets::kTrue);
  EXPECT_EQ(again.scene.musicchoice(0), 0);
}

TEST(DialogLayout, ControlsSitInsideTheirContainersAndTabOrderIsUnique) {
  for (const plat::DialogSpec* d :
       {&wumpets::configuration_layout(), &wumpets::messageentry_layout(), &wumpets::bugreport_layout()}) {
    SCOPED_TRACE(d->caption);
    std::set<int> tabs;
    std::set<std::string> names;
    for (const auto& c : d->controls) {
      EXPECT_TRUE(names.insert(c.name).second) << "duplicate name " << c.name;
      if (c.tab >= 0) {
        EXPECT_TRUE(tabs.insert(c.tab).second) << "duplicate tab " << c.tab << " at " << c.name;
      }
      if (!c.visible) continue;
      const int cw = c.parent < 0 ? d->client_width : d->controls[static_cast<std::size_t>(c.parent)].width;
      const int ch = c.parent < 0 ? d->client_height : d->controls[static_cast<std::size_t>(c.parent)].height;
      // The error dialog's right icon overhangs its window, as designed; everything else fits.
      if (c.name == "Image1") continue;
      EXPECT_LE(c.left + c.width, cw) << c.name;
      EXPECT_LE(c.top + c.height, ch) << c.name;
    }
  }
  EXPECT_EQ(wumpets::configuration_layout().controls[wumpets::cfg::cmdOK].tab, 0);
}

std::vector<std::string> tab_names(const plat::DialogSpec& d) {
  std::vector<std::string> names;
  for (int i : d.tab_order) names.push_back(d.controls[static_cast<std::size_t>(i)].name);
  return names;
}

// One Tab order across the whole dialog, by the tab numbers, whatever frame holds a control;
// frames, labels and the hidden pictures are never visited.
TEST(DialogLayout, TabOrderRunsAcrossFramesByTheNumbers) {
  const std::vector<std::string> settings = {
      "cmdOK",          "cmdCancel",      "backcheck(3)",   "trailcheck",     "congacheck",     "preview",
      "speedchk",       "backcheck(0)",   "messagecheck",   "change",         "backcheck(1)",   "backcheck(2)",
      "transcheck",     "overlapcheck",   "musicchk(0)",    "musicchk(1)",    "musicchk(2)",    "musicchk(3)",
      "musicchk(4)",    "musicchk(5)",    "wumpetcheck(1)", "wumpetcheck(3)", "wumpetcheck(2)", "wumpetcheck(4)",
      "colorcheck",     "wumpetcheck(5)", "peacecheck",     "notes1check",    "discoballcheck", "redrosecheck",
      "pinkrosecheck",  "yellowrosecheck", "whiterosecheck", "hippiecheck",   "lavalampcheck",  "notes2check"};
  EXPECT_EQ(tab_names(wumpets::configuration_layout()), settings);
  EXPECT_EQ(tab_names(wumpets::messageentry_layout()), (std::vector<std::string>{"Text1", "Apply", "Cancel"}));
  EXPECT_EQ(tab_names(wumpets::bugreport_layout()), std::vector<std::string>{"Command1"});
}

bool overlap(const plat::ControlSpec& a, const plat::ControlSpec& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Every caption shows whole in the classic font: a control too narrow for its caption was
// widened into the free space beside it, and no two controls of one container overlap (the
// error dialog's icons lie under its text, as designed).
TEST(DialogLayout, EveryCaptionFitsItsControlAndNoControlCoversAnother) {
  for (const plat::DialogSpec* d :
       {&wumpets::configuration_layout(), &wumpets::messageentry_layout(), &wumpets::bugreport_layout()}) {
    SCOPED_TRACE(d->caption);
    for (std::size_t i = 0; i < d->controls.size(); ++i) {
      const plat::ControlSpec& c = d->controls[i];
      if (!c.visible) continue;
      EXPECT_LE(wumpets::caption_room(c), c.width) << c.name << " \"" << c.caption << "\"";
      for (std::size_t j = i + 1; j < d->controls.size(); ++j) {
        const plat::ControlSpec& o = d->controls[j];
        if (!o.visible || o.parent != c.parent) continue;
        if (c.kind == plat::ControlKind::Image || o.kind == plat::ControlKind::Image) continue;
        EXPECT_FALSE(overlap(c, o)) << c.name << " and " << o.name;
      }
    }
  }
  // The two dancers whose names were cut now show them; the roses' column moved right for them
  // and stays one column, clear of the next.
  const auto& cfg = wumpets::configuration_layout();
  using namespace wumpets::cfg;
  for (int n : {4, 5}) {
    const plat::ControlSpec& c = cfg.controls[static_cast<std::size_t>(wumpetcheck(n))];
    EXPECT_GT(c.width, 1245) << c.name;
    EXPECT_LE(c.left + c.width, cfg.controls[redrosecheck].left) << c.name;
  }
  for (int c : {pinkrosecheck, yellowrosecheck, whiterosecheck, discoballcheck})
    EXPECT_EQ(cfg.controls[static_cast<std::size_t>(c)].left, cfg.controls[redrosecheck].left);
  EXPECT_EQ(cfg.controls[peacecheck].left, 2880) << "the third column had room enough";
  // A caption only counts what is drawn: the access-key mark takes no room.
  EXPECT_EQ(wumpets::caption_width("&Cancel", false), wumpets::caption_width("Cancel", false));
  EXPECT_GT(wumpets::caption_width("&&", false), 0) << "\"&&\" draws one '&'";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The keyboard, the same model in every dialog: key sequences as a keyboard reports them.

namespace {

// "Tab", "S-Tab", "Enter", "Esc", "Space", arrows, "Home", "End", "PgUp", "PgDn", "A-x" (Alt+x),
// or one character typed.
plat::KeyEvent key_of(const std::string& token) {
  using plat::Key;
  plat::KeyEvent k;
  const std::pair<const char*, Key> named[] = {
      {"Tab", Key::Tab},     {"Enter", Key::Enter},   {"Esc", Key::Escape}, {"Space", Key::Space},
      {"Left", Key::Left},   {"Right", Key::Right},   {"Up", Key::Up},      {"Down", Key::Down},
      {"Home", Key::Home},   {"End", Key::End},       {"PgUp", Key::PageUp}, {"PgDn", Key::PageDown}};
  std::string t = token;
  if (t.rfind("S-", 0) == 0) {
    k.shift = true;
    t = t.substr(2);
  }
  if (t.rfind("A-", 0) == 0 && t.size() == 3) {
    k.alt = true;
    k.key = Key::Char;
    k.ch = static_cast<unsigned char>(t[2]);
    return k;
  }
  for (const auto& [name, key] : named)
    if (t == name) k.key = key;
  if (k.key == Key::Other && t.size() == 1) {
    k.key = Key::Char;
    k.ch = static_cast<unsigned char>(t[0]);
  }
  EXPECT_NE(k.key, Key::Other) << "bad key token " << token;
  return k;
}

std::vector<std::string> tokens(const std::string& keys) {
  std::vector<std::string> out;
  std::istringstream in(keys);
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

std::string focus_name(plat::Handle h) {
  const hd::DialogState* d = hd::dialog(h);
  return d && d->focus >= 0 ? d->controls[static_cast<std::size_t>(d->focus)].desc.name : "<none>";
}

}  // namespace

class KeyboardTest : public DialogTest {
 protected:
  // Sends the keys to a dialog; true when one of them ended the program. `focus_` is where the
  // focus was after the last key that did not end it.
  bool send(plat::Handle h, const std::string& keys) {
    for (const std::string& t : tokens(keys)) {
      try {
        hd::key(h, key_of(t));
      } catch (const headless::ProcessEnded&) {
        return true;
      }
      focus_ = focus_name(h);
    }
    return false;
  }
  std::vector<std::pair<std::string, std::string>> puts() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& c : headless::calls()) {
      if (c.rfind("profile_put ", 0) != 0) continue;
      const std::string kv = c.substr(12);
      const std::size_t eq = kv.find('=');
      out.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    }
    return out;
  }
  std::string focus_;
};

// From the first-run settings the focus starts on "&Apply Changes"; the tab order is
// cmdOK, cmdCancel, [backcheck(3)], trailcheck, congacheck, preview, speedchk, [backcheck(0)],
// messagecheck, change, [backcheck(1)], [backcheck(2)], transcheck, overlapcheck, musicchk(0..5),
// the dancers and objects ... notes2check; the brackets are the one stop of the background group.
TEST_F(KeyboardTest, SettingsDialogKeyTable) {
  struct Case {
    const char* what;
    std::vector<std::string> settings;  // after "firstrun=1", "speed=60"
    const char* keys;
    const char* focus;  // after the last key that left the dialog open
    bool ends;          // the program ended (Apply, Cancel, Escape)
    std::vector<std::pair<std::string, std::string>> saved;  // keys Apply wrote; empty: nothing written
  };
  const Case cases[] = {
      {"Tab reaches the selected background, Down selects the next", {}, "Tab Tab Tab Tab Tab Tab Down Enter",
       "backcheck(1)", true, {{"background", " 1"}}},
      {"Aztec Skeleton", {}, "Tab Tab Tab Tab Tab Tab Right Enter", "backcheck(1)", true, {{"background", " 1"}}},
      {"Flower Power", {}, "Tab Tab Tab Tab Tab Tab Down Down Enter", "backcheck(2)", true,
       {{"background", " 2"}}},
      {"Solid Black, going back around", {}, "Tab Tab Tab Tab Tab Tab Up Enter", "backcheck(3)", true,
       {{"background", " 3"}}},
      {"Human Skulls, all the way round", {"background= 2"}, "S-Tab A-a", "notes2check", true,
       {{"background", " 2"}}},
      {"the arrows wrap forwards", {"background= 3"}, "Tab Tab Down Enter", "backcheck(0)", true,
       {{"background", " 0"}}},
      {"the group's stop is its selected button", {"background= 3"}, "Tab Tab", "backcheck(3)", false, {}},
      {"after a choice Tab comes back to it", {}, "Tab Tab Tab Tab Tab Tab Down Down S-Tab Tab", "backcheck(2)",
       false, {}},
      {"Space on an option keeps it", {}, "Tab Tab Tab Tab Tab Tab Space Enter", "backcheck(0)", true,
       {{"background", " 0"}}},
      {"Enter on a check box presses Apply Changes", {}, "Tab Tab Space Enter", "trailcheck", true,
       {{"trailing", "1"}, {"semitransparent", "0"}}},
      {"Space toggles a check box twice", {"hippie=1"}, "S-Tab S-Tab S-Tab Space Space Enter", "hippiecheck", true,
       {{"hippie", "1"}}},
      {"Space clears a check box", {"hippie=1"}, "S-Tab S-Tab S-Tab Space Enter", "hippiecheck", true,
       {{"hippie", "0"}}},
      {"Enter on Cancel presses Cancel", {}, "Tab Enter", "cmdCancel", true, {}},
      {"Space on Cancel presses it", {}, "Tab Space", "cmdCancel", true, {}},
      {"Escape is the close box", {}, "Tab Tab Space Esc", "trailcheck", true, {}},
      {"Alt+C is Cancel", {}, "Tab Tab Space A-c", "trailcheck", true, {}},
      {"Alt+A is Apply, capital or not", {}, "Tab Tab Space A-A", "trailcheck", true, {{"trailing", "1"}}},
      {"Alt with an unmarked letter does nothing", {}, "A-z", "cmdOK", false, {}},
      {"a typed letter does nothing", {}, "Tab Tab x q", "trailcheck", false, {}},
      {"Tab passes over the disabled Change", {}, "Tab Tab Tab Tab Tab Tab Tab Tab", "transcheck", false, {}},
      {"an enabled Change is a stop", {"message=1"}, "Tab Tab Tab Tab Tab Tab Tab Tab", "change", false, {}},
      {"Tab passes over the box trails disabled", {"trailing=1"}, "Tab Tab Tab Tab Tab Tab Tab Tab",
       "overlapcheck", false, {}},
      {"Shift+Tab wraps to the last", {}, "S-Tab", "notes2check", false, {}},
      {"Tab wraps to the first", {}, "S-Tab Tab", "cmdOK", false, {}},
      {"the scroll bar: Right is a small step", {}, "Tab Tab Tab Tab Tab Right Enter", "speedchk", true,
       {{"speed", "59"}}},
      {"the scroll bar: Left, Page Up", {}, "Tab Tab Tab Tab Tab Left PgUp Enter", "speedchk", true,
       {{"speed", "62"}}},
      {"the scroll bar: Home is Slow", {}, "Tab Tab Tab Tab Tab Home Enter", "speedchk", true, {{"speed", "140"}}},
      {"the scroll bar: End is Fast", {}, "Tab Tab Tab Tab Tab End Right Enter", "speedchk", true,
       {{"speed", "1"}}},
      {"arrows on a check box leave it alone", {}, "Tab Tab Down Up Left Right Enter", "trailcheck", true,
       {{"trailing", "0"}, {"background", " 0"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.keys);
    restart();
    std::vector<std::string> lines = {"firstrun=1", "speed=60"};
    lines.insert(lines.end(), c.settings.begin(), c.settings.end());
    write_settings(lines);
    const std::string before = settings_text();
    ASSERT_NE(open(), 0);
    focus_ = focus_name(cfgdlg_);
    headless::clear_calls();
    const bool ended = send(cfgdlg_, c.keys);
    EXPECT_EQ(focus_, c.focus);
    EXPECT_EQ(ended, c.ends);
    const auto written = puts();
    if (c.saved.empty()) {
      EXPECT_TRUE(written.empty()) << written.size() << " keys written";
      EXPECT_EQ(settings_text(), before);
    } else {
      EXPECT_EQ(written.size(), 30u) << "Apply writes every key";
      for (const auto& [key, value] : c.saved) EXPECT_EQ(saved(written, key), value) << key;
    }
  }
}

TEST_F(KeyboardTest, EscapeWithNoSettingsFileCreatesNone) {
  ASSERT_NE(open(), 0);
  EXPECT_TRUE(send(cfgdlg_, "Tab Tab Tab Tab Tab Tab Down Down Esc"));
  EXPECT_FALSE(fs::exists(dir_ / "vornicade.ini"));
}

TEST_F(KeyboardTest, MessageDialogKeys) {
  struct Case {
    const char* what;
    const char* keys;
    const char* focus;
    bool applied;     // "messagetext" written with `text`
    const char* text;
    bool reopened_settings;  // the settings dialog is back on screen
  };
  const Case cases[] = {
      {"typed letters go into the text box, Enter applies", "h i Space ! Enter", "Text1", true, "oldhi !", true},
      {"Tab runs Text1, Apply, Cancel and round", "Tab Tab Tab", "Text1", false, "", false},
      {"Shift+Tab goes back to Cancel", "S-Tab", "Cancel", false, "", false},
      {"the key preview sees Enter first, even on Cancel", "x S-Tab Enter", "Cancel", true, "oldx", true},
      {"Space presses the focused Cancel", "x S-Tab Space", "Cancel", false, "", true},
      {"Escape is Cancel", "x Esc", "Text1", false, "", true},
      {"Alt+C is Cancel", "x A-c", "Cancel", false, "", true},
      {"Alt+A is Apply", "x A-a", "Apply", true, "oldx", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.keys);
    restart();
    write_settings({"firstrun=1", "message=1", "messagetext=old"});
    ASSERT_NE(open(), 0);
    click("change");
    const plat::Handle m = hd::find_dialog("Form1");
    ASSERT_NE(m, 0);
    focus_ = focus_name(m);
    headless::clear_calls();
    EXPECT_FALSE(send(m, c.keys));
    EXPECT_EQ(focus_, c.focus);
    const auto written = puts();
    if (c.applied) {
      ASSERT_EQ(written.size(), 1u);
      EXPECT_EQ(saved(written, "messagetext"), c.text);
    } else {
      EXPECT_TRUE(written.empty());
    }
    EXPECT_EQ(hd::dialog(cfgdlg_)->visible, c.reopened_settings);
    EXPECT_EQ(hd::dialog(m)->visible, !c.reopened_settings);
  }
}

TEST_F(KeyboardTest, ErrorDialogTakesTheSameKeys) {
  struct Case {
    const char* keys;
    bool ends;
    std::size_t pages;
  };
  const Case cases[] = {{"Tab S-Tab", false, 0}, {"Space", false, 1}, {"Enter", false, 1}, {"Esc", true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    restart();
    write_settings({"firstrun=1", "speed=141"});
    ASSERT_NE(open(), 0);
    const plat::Handle err = hd::find_dialog("Error Code:");
    ASSERT_NE(err, 0);
    EXPECT_EQ(focus_name(err), "Command1");
    EXPECT_EQ(send(err, c.keys), c.ends);
    EXPECT_EQ(headless::opened_pages().size(), c.pages);
  }
}

// Entry and mode dispatch, the duplicate-start rule, the error code and the handler pattern,
// the password and web-page modes, centring and the shutdown.
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "errors/handler.h"
#include "fixture.h"
#include "gfx/surface.h"
#include "platform/common/options.h"
#include "platform/headless/headless_dialogs.h"

using namespace wumpets;

namespace {

class Startup : public fx::Headless {};

}  // namespace

TEST_F(Startup, DispatchTable) {
  struct Case {
    const char* command_line;
    Integer mode;
  } cases[] = {
      {"", kModeSaver},          {"/s", kModeSaver},          {"/S", kModeSaver},
      {"s", kModeSaver},         {"/c", kModeConfigure},      {"/c:1234", kModeConfigure},
      {"/p 1234", kModePreview}, {"/a 1234", kModePassword},  {"/h", kModeHelpPage},
      {"/w", kModeWebSite},      {"/C /P 5", kModePreview},   {"/w /a 5", kModePassword},
      {"x/p7", kModePreview},    {"/h /w", kModeHelpPage},    {"  /s  ", kModeSaver},
  };
  write_data_folder();
  for (const Case& c : cases) {
    fresh_starter();
    headless::reset(cfg_);
    run_main(c.command_line);
    EXPECT_EQ(st_.runmode, c.mode) << '"' << c.command_line << '"';
  }
}

// "/c:NNN" names the window of the system's settings that asked: the dialog is given to it.
// Anything that is not a handle gives the dialog no owner.
TEST_F(Startup, SettingsDialogBelongsToTheWindowThatAskedForIt) {
  struct Case {
    const char* command_line;
    plat::Handle owner;
  } cases[] = {
      {"/c:1234", 1234}, {"/C:77 ", 77}, {"/c", 0},  {"/c:", 0},
      {"/c:x12", 0},     {"/c:99999999999", 0},      {"/c:2147483647", 2147483647},
  };
  write_data_folder();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command_line);
    fresh_starter();
    headless::reset(cfg_);
    run_main(c.command_line);
    ASSERT_EQ(st_.runmode, kModeConfigure);
    const auto* d = headless_dialogs::dialog(headless_dialogs::find_dialog("Configuration"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->owner, c.owner);
  }
}

// Options for one run change the scene of that run; the settings dialog shows and saves what
// the file holds, and says on the log that it ignored them.
TEST_F(Startup, OptionsForOneRunAreIgnoredByTheSettingsDialog) {
  write_data_folder();
  struct Case {
    const char* command_line;
    Integer speed;
    const char* messagetext;
    int notes;
  } cases[] = {
      {"/c", 90, "Old words", 1},
      {"/c:1234", 90, "Old words", 1},
      {"/s", 30, "One run", 0},
  };
  for (const Case& c : cases) {
    fresh_starter();
    headless::reset(cfg_);
    write_settings({"firstrun=1", "wumpet1=1", "speed=90", "message=1", "messagetext=Old words"});
    st_.overrides = {{"speed", "30"}, {"messagetext", "One run"}};
    run_main(c.command_line);
    SCOPED_TRACE(c.command_line);
    EXPECT_EQ(st_.scene.speed, c.speed);
    EXPECT_EQ(st_.scene.messagetext, c.messagetext);
    EXPECT_EQ(count_calls("log_error the settings dialog shows and saves the settings file; options for one run "
                          "are ignored (speed, messagetext)"),
              c.notes);
  }
}

TEST_F(Startup, DuplicateSaverStartEndsBeforeReadingSettings) {
  struct Case {
    const char* command_line;
    bool previous;
    const char* title;  // of the system's top-level window
    bool refused;
  } cases[] = {
      {"/s", true, "", true},
      {"  /S", true, "", true},
      {"/s", false, "", false},
      {"/s", true, "Display Properties", false},
      {"/s", true, "Screen Saver Settings", false},
      {"/s", true, "Screen Saver", true},
      {"x/s", true, "", false},
      {"", true, "", false},
  };
  write_data_folder();
  for (const Case& c : cases) {
    fresh_starter();
    cfg_.previous_instance = c.previous;
    cfg_.top_window_title = c.title;
    cfg_.top_window = *c.title ? 77 : 0;
    headless::reset(cfg_);
    const bool ended = run_main(c.command_line);
    SCOPED_TRACE(c.command_line);
    EXPECT_EQ(ended && st_.runmode == kModeStartup, c.refused);
    EXPECT_EQ(count_calls("profile_get"), c.refused ? 0 : 1) << "settings read";
  }
}

TEST_F(Startup, ErrorCodeText) {
  EXPECT_EQ(error_code(6, "", "Starter/X_GetData"), "Error Code: ZW- 6- Starter/X_GetData");
  EXPECT_EQ(error_code(9, "021", "ScreenSaver/Check4Collision"), "Error Code: ZW- 9-021 ScreenSaver/Check4Collision");
  EXPECT_EQ(error_code(-5, "", "X"), "Error Code: ZW--5- X");
  EXPECT_EQ(error_code(0, "007", "Y"), "Error Code: ZW- 0-007 Y");
}

TEST_F(Startup, HandlerReportsItsLabelAndTheCallerCarriesOn) {
  int steps = 0;
  const bool finished = guarded(st_, "Test/Procedure", [&] {
    ++steps;
    st_.progressmark = "021";
    raise_error(kSubscript);
    ++steps;
  });
  EXPECT_FALSE(finished);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 9-021 Test/Procedure");
  // A later error replaces the title; the dialog stays one dialog.
  guarded(st_, "Other/Place", [] { raise_error(kOverflow); });
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6-021 Other/Place");
  EXPECT_EQ(headless::error_dialog_shows(), 2);
}

TEST_F(Startup, ErrorDialogButtonOpensTheBugPageAndClosingRunsTheShutdown) {
  guarded(st_, "Test/Procedure", [] { raise_error(kOverflow); });
  headless::error_dialog_press_report();
  ASSERT_EQ(headless::opened_pages().size(), 1u);
  EXPECT_EQ(headless::opened_pages()[0], cfg_.site + "/bugs.htm");
  EXPECT_THROW(headless::error_dialog_close(), headless::ProcessEnded);
  EXPECT_EQ(count_calls("show_cursor 1"), 1);  // the shutdown gives the cursor back
}

TEST_F(Startup, PasswordModeParsesTheParentWindow) {
  struct Case {
    const char* command_line;
    const char* call;  // nullptr: an error is reported instead
    const char* error;
  } cases[] = {
      {"/a 1234", "change_saver_password 1234", nullptr},
      {"/a:1234", "change_saver_password 1234", nullptr},
      {"/a 12.5", "change_saver_password 12", nullptr},
      {"/a", nullptr, "Error Code: ZW- 5- Starter/Run_Password"},
      {"/a ", nullptr, "Error Code: ZW- 13- Starter/Run_Password"},
      {"/a xyz", nullptr, "Error Code: ZW- 13- Starter/Run_Password"},
      {"/a 99999999999", nullptr, "Error Code: ZW- 6- Starter/Run_Password"},
  };
  for (const Case& c : cases) {
    fresh_starter();
    headless::reset(cfg_);
    // The system's dialog leaves nothing of ours loaded: the program ends. After an error the
    // error dialog keeps it alive.
    EXPECT_EQ(run_main(c.command_line), c.call != nullptr);
    SCOPED_TRACE(c.command_line);
    if (c.call) {
      EXPECT_EQ(count_calls(c.call), 1);
      EXPECT_EQ(headless::error_dialog_shows(), 0);
    } else {
      EXPECT_EQ(count_calls("change_saver_password"), 0);
      EXPECT_EQ(headless::error_dialog_title(), c.error);
    }
  }
}

TEST_F(Startup, WebPagesOpenAndEndWithNoWindow) {
  struct Case {
    const char* command_line;
    std::string page;
  } cases[] = {{"/h", cfg_.site + "/support.htm"}, {"/w", cfg_.site}, {"/w /h", cfg_.site + "/support.htm"}};
  for (const Case& c : cases) {
    fresh_starter();
    headless::reset(cfg_);
    EXPECT_TRUE(run_main(c.command_line));
    ASSERT_EQ(headless::opened_pages().size(), 1u);
    EXPECT_EQ(headless::opened_pages()[0], c.page);
    EXPECT_EQ(count_calls("window_create"), 0);
    EXPECT_EQ(count_calls("media_command"), 0);
  }
}

TEST_F(Startup, CentringInTwips) {
  cfg_.screen_width = 800;
  cfg_.screen_height = 600;
  headless::reset(cfg_);
  FormGeometry small{0, 0, 7065 + 90, 6150 + 420};
  CenterForm(st_, small);
  EXPECT_FLOAT_EQ(small.left, 6000 - (7065 + 90) / 2.0f);
  EXPECT_FLOAT_EQ(small.top, 4500 - (6150 + 420) / 2.0f);
  FormGeometry big{0, 0, 20000, 10000};
  FormGeometry same = big;
  CenterForm(st_, big);
  sys_centreform(st_, same);
  EXPECT_FLOAT_EQ(big.left, -4000);  // overhangs both sides equally
  EXPECT_FLOAT_EQ(big.top, -500);
  EXPECT_FLOAT_EQ(same.left, big.left);
  EXPECT_FLOAT_EQ(same.top, big.top);
}

TEST_F(Startup, SurfacesFromMissingFilesAreLiveAndDeletingNothingCallsNothing) {
  plat::Handle h = GenerateDC(st_, (dir_ / "missing.bmp").string());
  EXPECT_GT(h, 0);
  EXPECT_EQ(plat::dc_size(h).width, 0);
  headless::clear_calls();
  EXPECT_EQ(sys_deleteDC(st_, 0), 0);
  EXPECT_EQ(sys_deleteDC(st_, -3), 0);
  EXPECT_EQ(count_calls("delete_dc"), 0);
  EXPECT_NE(sys_deleteDC(st_, h), 0);
  wumpets::PixelBuffer img(640, 480);
  fx::write_bmp(dir_ / "p.bmp", img);
  EXPECT_EQ(plat::dc_size(GenerateDC(st_, (dir_ / "p.bmp").string())).width, 640);
}

TEST_F(Startup, RegistryValueAsANumber) {
  struct Case {
    std::uint32_t type;
    std::string bytes;
    bool present;
    Integer expected;
  } cases[] = {
      {1, std::string("1\0", 2), true, 1},
      {4, std::string("\x01\0\0\0", 4), true, 1},
      {4, std::string("\x02\0\0\0", 4), true, 2},
      {4, std::string("\xd2\x04\0\0", 4), true, 123},  // 1234 keeps three digits
      {1, std::string("0\0", 2), true, 0},
      {1, std::string("99999\0", 6), true, 0},  // out of range: 0
      {1, "", false, 0},
  };
  for (const Case& c : cases) {
    headless::reset(cfg_);
    if (c.present) headless::config().registry["Control Panel\\Desktop\\ScreenSaveUsePassword"] = {c.type, c.bytes};
    EXPECT_EQ(sys_GetRegValue(plat::kHkeyCurrentUser, "Control Panel\\Desktop", "ScreenSaveUsePassword"), c.expected);
  }
}

TEST(Options, OwnOptionsAreTakenOutBeforeTheSwitchSearch) {
  Options o = parse_options({"--config-dir", "/tmp/case", "/s", "--seed=7", "--data-dir=/d", "--window=640x480"});
  EXPECT_TRUE(o.errors.empty());
  EXPECT_EQ(o.config_dir, "/tmp/case");
  EXPECT_EQ(o.data_dir, "/d/");
  EXPECT_EQ(o.seed, 7u);
  EXPECT_EQ(o.args, "/s");
  EXPECT_TRUE(o.window);
  EXPECT_EQ(o.window_width, 640);
  Options ids = parse_options({"--window-id=0x1c00007", "/p", "5"});
  EXPECT_EQ(ids.window_id, 0x1c00007u);
  EXPECT_EQ(ids.args, "/p 5");
  for (auto bad : std::vector<std::vector<std::string>>{
           {"--seed=x"}, {"--nope"}, {"--size=10"}, {"--config-dir"}, {"--window-id=0"}, {"--window=0x5"}})
    EXPECT_FALSE(parse_options(bad).errors.empty()) << bad[0];
  EXPECT_NE(options_help().find("--render"), std::string::npos);
}

// The spellings hosts and lockers pass: one dash, and -h / -help for the help. A single-dash
// word that is no option of ours stays in the command line, where the switch search sees it.
TEST(Options, SingleDashSpellingsAndHelp) {
  struct Case {
    std::vector<std::string> argv;
    bool help, root;
    std::optional<std::uint64_t> window_id;
    const char* args;
  } cases[] = {
      {{"-h"}, true, false, {}, ""},
      {{"-help"}, true, false, {}, ""},
      {{"--help"}, true, false, {}, ""},
      {{"-root"}, false, true, {}, ""},
      {{"-window-id", "0x40000a"}, false, false, 0x40000au, ""},
      {{"-window-id=77", "/s"}, false, false, 77u, "/s"},
      {{"-s"}, false, false, {}, "-s"},
      {{"/p", "-42"}, false, false, {}, "/p -42"},
  };
  for (const Case& c : cases) {
    const Options o = parse_options(c.argv);
    EXPECT_TRUE(o.errors.empty()) << c.argv[0];
    EXPECT_EQ(o.help, c.help) << c.argv[0];
    EXPECT_EQ(o.root, c.root) << c.argv[0];
    EXPECT_EQ(o.window_id, c.window_id) << c.argv[0];
    EXPECT_EQ(o.args, c.args) << c.argv[0];
  }
}

// The mode comes from the arguments that are not options: a value with a slash in it never
// selects one, however the system passed the command line.
TEST(Options, TheModeIsReadFromTheArgumentsThatAreNotOptions) {
  struct Case {
    std::vector<std::string> argv;
    const char* passed;
    const char* mode_text;
  } cases[] = {
      {{"/s", "-message=Rock/Cool"}, "/s -message=Rock/Cool", "/s"},
      {{"/s", "--message=Rock/Cool"}, "/s --message=Rock/Cool", "/s"},
      {{"-message", "A/C", "/s"}, "-message A/C /s", "/s"},
      {{"/c:1234"}, "/c:1234", "/c:1234"},
      {{"/p", "42"}, "/p  42", "/p  42"},
  };
  for (const Case& c : cases) {
    const Options o = parse_options(c.argv);
    EXPECT_TRUE(o.errors.empty()) << c.passed;
    EXPECT_EQ(mode_arguments(c.passed, o), c.mode_text) << c.passed;
  }
}

TEST(Options, SoundAndSceneOptionsAndTheirBadValues) {
  const Options o = parse_options({"--volume=35", "--mute", "--soundfont", "/x/gm.sf2", "--speed", "140",
                                   "--background=flowers", "--peace-signs=no", "--disco-ball=yes"});
  ASSERT_TRUE(o.errors.empty());
  EXPECT_EQ(o.volume, 35);
  EXPECT_TRUE(o.mute);
  EXPECT_EQ(o.soundfont, "/x/gm.sf2");
  // --mute chooses no song: silence needs no song file.
  const std::vector<SettingOverride> expected = {
      {"music", "0"}, {"speed", "140"}, {"background", "2"}, {"peace", "0"}, {"discoball", "1"}};
  EXPECT_EQ(o.settings, expected);
  for (auto bad : std::vector<std::vector<std::string>>{{"--volume=101"}, {"--volume=-1"}, {"--speed=0"},
                                                        {"--speed=141"}, {"--background=paisley"},
                                                        {"--conga=maybe"}, {"--background"}})
    EXPECT_FALSE(parse_options(bad).errors.empty()) << bad[0];
}

namespace {

// The "--name" words of the help's sound and scene parts, and the options the xscreensaver
// panel passes.
std::set<std::string> help_run_options() {
  std::set<std::string> names;
  const std::string help = options_help();
  std::size_t at = help.find("Sound for this run:");
  EXPECT_NE(at, std::string::npos);
  std::istringstream lines(help.substr(at));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  --", 0) != 0) continue;
    const std::size_t end = line.find_first_of("=, ", 2);
    names.insert(line.substr(2, end - 2));
  }
  return names;
}

std::set<std::string> panel_options(const std::string& xml, std::string& command) {
  std::set<std::string> names;
  for (const char* attribute : {" arg=\"", " arg-set=\"", " arg-unset=\""}) {
    for (std::size_t at = xml.find(attribute); at != std::string::npos; at = xml.find(attribute, at + 1)) {
      const std::size_t start = at + std::strlen(attribute);
      std::string value = xml.substr(start, xml.find('"', start) - start);
      value = value.substr(0, value.find_first_of("= "));
      if (xml.rfind("<command", at) != std::string::npos && xml.rfind("<command", at) > xml.rfind('>', at)) command = value;
      else names.insert(value);
    }
  }
  return names;
}

}  // namespace

TEST(Options, TheXscreensaverPanelOffersExactlyTheRunOptionsOfTheHelp) {
  std::ifstream in(std::string(WUMPETS_SOURCE_DIR) + "/resources/xscreensaver/zelkin-wumpets.xml");
  ASSERT_TRUE(in.good());
  const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string command;
  const std::set<std::string> panel = panel_options(xml, command);
  EXPECT_EQ(command, "--root");
  EXPECT_EQ(panel, help_run_options());
  EXPECT_GE(panel.size(), 15u);
  // Every option the panel passes is one the program takes.
  for (const std::string& name : panel) {
    const std::string value = name == "--mute" ? name : name + "=" + (name == "--background" ? "black" : name == "--speed" || name == "--volume" ? "50" : name == "--message" || name == "--soundfont" ? "x" : name == "--scale" ? "2" : "on");
    EXPECT_TRUE(parse_options({value}).errors.empty()) << value;
  }
}

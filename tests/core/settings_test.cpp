// The settings file: first-run defaults, what each key sets, the overflow path, and a file store
// that never loses what it cannot parse.
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <csignal>
#include <fstream>
#include <functional>

#include "fixture.h"
#include "platform/common/options.h"
#include "platform/common/text_utf8.h"
#include "platform/posix/profile_file.h"
#include "settings/keys.h"

using namespace wumpets;

namespace {

class Settings : public fx::Headless {
 protected:
  Scene& sc() { return st_.scene; }
  void load() { X_GetData(st_); }
};

void expect_first_run_defaults(Scene& sc) {
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(sc.wumpets(n).enabled, kTrue) << n;
  EXPECT_EQ(sc.redroses(1).enabled, kTrue);
  EXPECT_EQ(sc.pinkroses(1).enabled, kTrue);
  EXPECT_EQ(sc.whiteroses(1).enabled, kTrue);
  EXPECT_EQ(sc.yellowroses(1).enabled, kTrue);
  EXPECT_EQ(sc.notes1(1).enabled, kTrue);
  EXPECT_EQ(sc.notes2(1).enabled, 0);
  EXPECT_EQ(sc.peaces(1).enabled, 0);
  EXPECT_EQ(sc.hippie.enabled, 0);
  EXPECT_EQ(sc.discoball.enabled, 0);
  EXPECT_EQ(sc.lavalamps(1).enabled, 0);
  EXPECT_EQ(sc.conga | sc.trailing | sc.colorchanger | sc.semitransparent | sc.overlap | sc.message, 0);
  EXPECT_EQ(sc.speed, 60);
  EXPECT_EQ(sc.background, 0);
  EXPECT_EQ(sc.backwidth, 165);
  EXPECT_EQ(sc.backheight, 290);
  EXPECT_EQ(sc.backmode, 1);
  for (int n = 0; n <= 5; ++n) EXPECT_EQ(sc.musicchoice(n), n <= 2 ? kTrue : 0) << n;
  EXPECT_EQ(sc.messagetext, "");
}

}  // namespace

TEST_F(Settings, NoFileGivesFirstRunDefaultsAndCreatesNoFile) {
  load();
  expect_first_run_defaults(sc());
  EXPECT_FALSE(fx::fs::exists(dir_ / "config" / "vornicade.ini"));
  EXPECT_EQ(headless::error_dialog_shows(), 0);
}

TEST_F(Settings, FirstRunNotPositiveGivesDefaults) {
  for (const char* v : {"0", "-1", "", "yes"}) {
    fresh_starter();
    write_settings({std::string("firstrun=") + v, "wumpet1=0", "speed=99"});
    load();
    SCOPED_TRACE(v);
    expect_first_run_defaults(sc());
  }
}

TEST_F(Settings, FirstRunWithNothingElseSwitchesEverythingOff) {
  write_settings({"firstrun=1"});
  load();
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(sc().wumpets(n).enabled, 0);
  EXPECT_EQ(sc().redroses(1).enabled, 0);
  EXPECT_EQ(sc().notes1(1).enabled, 0);
  for (int n = 0; n <= 5; ++n) EXPECT_EQ(sc().musicchoice(n), 0);
  EXPECT_EQ(sc().speed, 0);
  EXPECT_EQ(sc().background, 0);
  EXPECT_EQ(sc().backwidth, 165);
  EXPECT_EQ(sc().backmode, 1);
  EXPECT_EQ(sc().messagetext, "");
}

TEST_F(Settings, EveryKeySetsItsSwitch) {
  std::vector<std::string> lines{"firstrun=1"};
  for (const SettingKey& k : setting_keys()) {
    if (k.kind == KeyKind::Flag) lines.push_back(std::string(k.name) + "=1");
  }
  lines.push_back("background= 2");
  lines.push_back("speed=33");
  lines.push_back("messagetext=Peace and love");
  write_settings(lines);
  load();
  for (const SettingKey& k : setting_keys()) {
    if (k.kind == KeyKind::Flag) {
      EXPECT_EQ(*k.number(sc()), kTrue) << k.name;
    }
  }
  EXPECT_EQ(sc().background, 2);
  EXPECT_EQ(sc().backwidth, 97);
  EXPECT_EQ(sc().backheight, 57);
  EXPECT_EQ(sc().speed, 33);
  EXPECT_EQ(sc().messagetext, "Peace and love");
  EXPECT_EQ(setting_keys().size(), 30u);
}

TEST_F(Settings, FlagsAndNumbersReadByTheirLeadingNumber) {
  struct Case {
    const char* speed;
    Integer expected;
  } cases[] = {{"2.5", 2}, {"3.5", 4}, {" 7ms", 7}, {"abc", 0}, {"-1", -1}, {"32767", 32767}};
  for (const Case& c : cases) {
    fresh_starter();
    write_settings({"firstrun=1", std::string("speed=") + c.speed, "wumpet1=-1", "wumpet2=0.5", "wumpet3=2x"});
    load();
    EXPECT_EQ(sc().speed, c.expected) << c.speed;
    EXPECT_EQ(sc().wumpets(1).enabled, 0);
    EXPECT_EQ(sc().wumpets(2).enabled, kTrue);
    EXPECT_EQ(sc().wumpets(3).enabled, kTrue);
  }
}

TEST_F(Settings, BackgroundTable) {
  struct Case {
    const char* value;
    Integer w, h, mode;
  } cases[] = {{" 0", 165, 290, 1}, {" 1", 108, 108, 1}, {" 2", 97, 57, 1},
               {" 3", 0, 0, 3},     {"7", 0, 0, 0},       {"-1", 0, 0, 0}};
  for (const Case& c : cases) {
    fresh_starter();
    write_settings({"firstrun=1", std::string("background=") + c.value});
    load();
    EXPECT_EQ(sc().backwidth, c.w) << c.value;
    EXPECT_EQ(sc().backheight, c.h) << c.value;
    EXPECT_EQ(sc().backmode, c.mode) << c.value;
  }
}

TEST_F(Settings, OverflowIsReportedAndStopsTheLoad) {
  write_settings({"firstrun=1", "wumpet1=1", "background= 1", "speed=40000", "musicchoice0=1", "message=1"});
  load();
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6- Starter/X_GetData");
  EXPECT_EQ(sc().wumpets(1).enabled, kTrue);  // read before the overflow
  EXPECT_EQ(sc().background, 1);
  EXPECT_EQ(sc().musicchoice(0), 0);  // after it: unread
  EXPECT_EQ(sc().message, 0);
  EXPECT_EQ(sc().backwidth, 0);  // the background table was not applied
  EXPECT_EQ(sc().backmode, 0);
}

TEST_F(Settings, LongMessageComesBackCutTo127Characters) {
  std::string text(3000, 'x');
  write_settings({"firstrun=1", "messagetext=" + text});
  load();
  EXPECT_EQ(sc().messagetext, std::string(127, 'x'));
}

// A value is cut after 127 characters, never inside one: a UTF-8 character counts once, any other
// byte (a Windows-1252 text) once.
TEST_F(Settings, MessagesInAnyScriptComeBackWholeOrCutBetweenCharacters) {
  const std::string russian = "Счастливого Нового года! Пусть этот год будет добрым, светлым и тёплым!!";
  std::string long_russian, cut_russian;
  for (int i = 0; i < 200; ++i) long_russian += "ж";
  for (int i = 0; i < 127; ++i) cut_russian += "ж";
  const struct {
    const char* name;
    std::string stored, read;
  } cases[] = {
      {"72 Cyrillic characters in 130 bytes", russian, russian},
      {"200 Cyrillic characters", long_russian, cut_russian},
      {"a character across the 127th byte", std::string(126, 'x') + "жx", std::string(126, 'x') + "ж"},
      {"a four-byte character last", std::string(126, 'x') + "\xF0\x9F\x8E\xB5yz", std::string(126, 'x') + "\xF0\x9F\x8E\xB5"},
      {"Windows-1252 bytes", std::string(100, 'x') + std::string(40, '\xE9'), std::string(100, 'x') + std::string(27, '\xE9')},
      {"a UTF-8 character cut short in the file", std::string(126, 'x') + "\xD0", std::string(126, 'x') + "\xD0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_starter();
    headless::reset(cfg_);
    write_settings({"firstrun=1", "messagetext=" + c.stored});
    load();
    EXPECT_EQ(sc().messagetext, c.read);
  }
}

TEST(TextForm, UnknownTextsAreDecodedCharacterByCharacter) {
  const struct {
    std::string in, utf8;
    std::size_t characters;
  } cases[] = {
      {"Привет, мир", "Привет, мир", 11},
      {"Caf\xE9 \x80", "Café €", 6},                      // Windows-1252
      {"Привет \xE9t\xE9", "Привет été", 10},              // a mix: only what is not UTF-8 is decoded
      {"\xD0", "Ð", 1},                                     // a character cut short
      {"\xC0\xAF \xED\xA0\x80", "À¯ í\xC2\xA0€", 6},  // overlong form, surrogate: not UTF-8
      {"\x81\x8D", "??", 2},                                // what the code page leaves undefined
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(text::to_utf8(c.in), c.utf8);
    EXPECT_EQ(text::characters(c.in), c.characters);
  }
}

TEST_F(Settings, DataFolderAndSettingsFolder) {
  load();
  EXPECT_EQ(st_.windir, (dir_ / "config").string() + "/");
  EXPECT_EQ(st_.datadir, cfg_.data_dir);
  headless::config().config_dir = (dir_ / "config").string() + "/";
  fresh_starter();
  load();
  EXPECT_EQ(st_.windir, (dir_ / "config").string() + "/");  // no second separator
}

TEST_F(Settings, GarbageFilesNeverCrashTheLoader) {
  const fx::fs::path ini = dir_ / "config" / "vornicade.ini";
  const std::vector<std::string> files = {
      std::string("\0\xff\xfe[Zelkin Wumpets\n=\n==1\nfirstrun\n", 30),
      "firstrun=1\nspeed=1\n",  // no section: nothing is found, first-run defaults
      "[Zelkin Wumpets]\nfirstrun=1\nspeed=" + std::string(5000, '9') + "\n",
      "[zelkin wumpets]\r\nFIRSTRUN=1\r\nSpeed = 41\r\n",
      "[Zelkin Wumpets]\nfirstrun=1\nspeed=" + std::string(20000, ' ') + "12\n",
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    fresh_starter();
    headless::reset(cfg_);
    std::ofstream(ini, std::ios::binary) << files[i];
    load();
    SCOPED_TRACE(i);
    if (i == 1) expect_first_run_defaults(sc());
    if (i == 2) {
      EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 6- Starter/X_GetData");
    }
    if (i == 3) {
      EXPECT_EQ(sc().speed, 41);
    }
  }
}

TEST_F(Settings, FolderInPlaceOfTheFileOrNoPermission) {
  fx::fs::create_directories(dir_ / "config" / "vornicade.ini");
  load();
  expect_first_run_defaults(sc());
  PutIniData(st_, kIniFile, kIniSection, "speed", "20");  // cannot write: nothing destroyed
  EXPECT_TRUE(fx::fs::is_directory(dir_ / "config" / "vornicade.ini"));
}

TEST(ProfileFile, KeepsOtherSectionsKeysAndCommentsAndMatchesWithoutCase) {
  const auto dir = fx::fs::temp_directory_path() / "wumpets-profile-test";
  fx::fs::remove_all(dir);
  fx::fs::create_directories(dir);
  const std::string path = (dir / "v.ini").string();
  std::ofstream(path) << "; a comment\n[Other]\nspeed=5\n[ZELKIN WUMPETS]\nSpeed=7\nrubbish line\n\n[Last]\nx=1\n";
  EXPECT_EQ(profile::read(path, "Zelkin Wumpets", "SPEED", "", 128), "7");
  ASSERT_TRUE(profile::write(path, "zelkin wumpets", "speed", "60"));
  ASSERT_TRUE(profile::write(path, "Zelkin Wumpets", "conga", "1"));
  ASSERT_TRUE(profile::write(path, "New", "k", "v"));
  std::ifstream in(path);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, "; a comment\n[Other]\nspeed=5\n[ZELKIN WUMPETS]\nSpeed=60\nrubbish line\nconga=1\n\n[Last]\nx=1\n[New]\nk=v\n");
  EXPECT_EQ(profile::read(path, "Other", "speed", "", 128), "5");
  EXPECT_EQ(profile::read(path, "Missing", "speed", "def", 128), "def");
  EXPECT_EQ(profile::read(path, "Zelkin Wumpets", "speed", "", 2), "6");  // cut to size - 1
  in.close();  // Windows deletes no file that is still open
  fx::fs::remove_all(dir);
}

TEST(ProfileFile, ValuesStayOnOneLineAndAFailedWriteLeavesTheOldFile) {
  const auto dir = fx::fs::temp_directory_path() / "wumpets-profile-test2";
  fx::fs::remove_all(dir);
  fx::fs::create_directories(dir);
  const std::string path = (dir / "v.ini").string();
  ASSERT_TRUE(profile::write(path, "S", "messagetext", "line one\nfirstrun=0\r\nline three"));
  EXPECT_EQ(profile::read(path, "S", "firstrun", "none", 128), "none");
  EXPECT_EQ(profile::read(path, "S", "messagetext", "", 128), "line one firstrun=0  line three");
  // A write that cannot be made reports failure and leaves the old file as it was. It fails
  // for root too: on POSIX systems the file-size limit stops it as a full disk would (the
  // temporary file has a fresh name each time); on Windows the file is marked read-only.
#if defined(_WIN32)
  fx::fs::permissions(path, fx::fs::perms::owner_read | fx::fs::perms::group_read | fx::fs::perms::others_read);
  std::string why;
  EXPECT_FALSE(profile::write(path, "S", "messagetext", "new", &why));
  EXPECT_EQ(why, "the file is read-only");
  fx::fs::permissions(path, fx::fs::perms::owner_all);
  for (const auto& e : fx::fs::directory_iterator(dir)) EXPECT_EQ(e.path().filename(), "v.ini") << "left behind";
#else
  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = profile::write(path, "S", "messagetext", "new");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(written);
#endif
  EXPECT_EQ(profile::read(path, "S", "messagetext", "", 128), "line one firstrun=0  line three");
  // A new folder is made for a settings file that has none yet.
  ASSERT_TRUE(profile::write((dir / "deeper" / "v.ini").string(), "S", "k", "v"));
  EXPECT_EQ(profile::read((dir / "deeper" / "v.ini").string(), "S", "k", "", 128), "v");
  fx::fs::remove_all(dir);
}

// Options of one run (--speed, --roses=off and the like) lie over the file's values and the
// first-run defaults alike, and nothing of them reaches the file.
TEST_F(Settings, OptionsOfTheRunOverrideTheFileAndAreNotSaved) {
  struct Case {
    std::vector<std::string> file;  // empty: no file, the first-run defaults
    std::vector<std::string> args;
    std::function<void(Scene&)> check;
  } cases[] = {
      {{}, {"--speed=20", "--background=black", "--roses=off", "--hippie=on"},
       [](Scene& s) {
         EXPECT_EQ(s.speed, 20);
         EXPECT_EQ(s.background, 3);
         EXPECT_EQ(s.backmode, 3);
         EXPECT_EQ(s.redroses(1).enabled | s.pinkroses(1).enabled | s.whiteroses(1).enabled | s.yellowroses(1).enabled, 0);
         EXPECT_EQ(s.hippie.enabled, kTrue);
         EXPECT_EQ(s.wumpets(3).enabled, kTrue);  // untouched: the first-run default
       }},
      {{"firstrun=1", "wumpet2=1", "conga=1", "musicchoice4=1", "speed=90"},
       {"--wumpets=on", "--conga=off", "--trails", "--music=off", "--message=Far out"},
       [](Scene& s) {
         for (int n = 1; n <= 5; ++n) EXPECT_EQ(s.wumpets(n).enabled, kTrue) << n;
         EXPECT_EQ(s.conga, 0);
         EXPECT_EQ(s.trailing, kTrue);
         for (int n = 0; n <= 5; ++n) EXPECT_EQ(s.musicchoice(n), 0) << n;
         EXPECT_EQ(s.message, kTrue);
         EXPECT_EQ(s.messagetext, "Far out");
         EXPECT_EQ(s.speed, 90);  // the file's
       }},
      {{"firstrun=1", "musicchoice4=1", "message=1", "messagetext=Hi"},
       {"--music=on", "--message="},
       [](Scene& s) {
         for (int n = 0; n <= 5; ++n) EXPECT_EQ(s.musicchoice(n), n == 4 ? kTrue : 0) << n;  // the chosen song
         EXPECT_EQ(s.message, 0);
       }},
      {{"firstrun=1"}, {"--music=on", "--notes=on", "--background=1"},
       [](Scene& s) {
         for (int n = 0; n <= 5; ++n) EXPECT_EQ(s.musicchoice(n), n <= 2 ? kTrue : 0) << n;  // none chosen: three
         EXPECT_EQ(s.notes1(1).enabled & s.notes2(1).enabled, kTrue);
         EXPECT_EQ(s.backwidth, 108);
       }},
  };
  for (const Case& c : cases) {
    fresh_starter();
    headless::reset(cfg_);
    if (!c.file.empty()) write_settings(c.file);
    const Options o = parse_options(c.args);
    ASSERT_TRUE(o.errors.empty()) << c.args[0];
    st_.overrides = o.settings;
    load();
    c.check(sc());
    if (c.file.empty()) {
      EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(cfg_.config_dir) / "vornicade.ini"));
    }
  }
}

// The settings writer against hostile or unlucky files: links, modes, read-only files, planted
// temporary names, a full disk, two writers at once, files that are too large or not text; and
// the reader, which parses a file once per load.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "fixture.h"
#include "platform/common/profile_text.h"
#include "platform/posix/profile_file.h"
#include "settings/keys.h"

namespace fs = std::filesystem;

namespace {

const std::string kSection = "Zelkin Wumpets";

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("wumpets-ini-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ini_ = (dir_ / "vornicade.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void put_text(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  static std::string text_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static unsigned mode_of(const fs::path& p) {
    struct stat sb {};
    ::stat(p.c_str(), &sb);
    return sb.st_mode & 07777;
  }
  // Names in the folder: a temporary file left behind would show here.
  // The folder's files, but for the writers' lock files, which stay as lock files do.
  std::vector<std::string> names() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir_))
      if (!e.path().filename().string().ends_with(".lock")) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }

  fs::path dir_;
  std::string ini_;
};

}  // namespace

TEST_F(SettingsFile, ALinkIsWrittenThroughToItsTargetWhichKeepsItsMode) {
  for (unsigned mode : {0600u, 0640u, 0644u}) {
    SCOPED_TRACE(mode);
    const fs::path target = dir_ / "private.ini";
    put_text(target, "[Zelkin Wumpets]\nspeed=7\n");
    ::chmod(target.c_str(), mode);
    fs::remove(ini_);
    fs::create_symlink("private.ini", ini_);  // relative, as users link their dotfiles
    ASSERT_TRUE(profile::write_all(ini_, kSection, {{"conga", "1"}, {"speed", "9"}}));
    EXPECT_TRUE(fs::is_symlink(ini_)) << "the link was replaced by a copy";
    EXPECT_EQ(mode_of(target), mode);
    EXPECT_EQ(text_of(target), "[Zelkin Wumpets]\nspeed=9\nconga=1\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"private.ini", "vornicade.ini"}));
  }
}

TEST_F(SettingsFile, AReadOnlyFileIsAFailedWriteAndStaysAsItWas) {
  put_text(ini_, "[Zelkin Wumpets]\nspeed=7\n");
  ::chmod(ini_.c_str(), 0444);
  EXPECT_FALSE(profile::write_all(ini_, kSection, {{"speed", "9"}}));
  EXPECT_EQ(text_of(ini_), "[Zelkin Wumpets]\nspeed=7\n");
  EXPECT_EQ(mode_of(ini_), 0444u);
}

TEST_F(SettingsFile, APlantedTemporaryNameIsNeverFollowed) {
  const fs::path victim = dir_ / "victim";
  put_text(victim, "precious\n");
  fs::create_symlink(victim, ini_ + ".tmp");
  put_text(ini_, "[Zelkin Wumpets]\nspeed=7\n");
  ASSERT_TRUE(profile::write_all(ini_, kSection, {{"speed", "9"}}));
  EXPECT_EQ(text_of(victim), "precious\n");
  EXPECT_EQ(text_of(ini_), "[Zelkin Wumpets]\nspeed=9\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"victim", "vornicade.ini", "vornicade.ini.tmp"}));
}

TEST_F(SettingsFile, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  // The file-size limit makes every write past 200 bytes fail, as a full disk does.
  const std::string old = "[Zelkin Wumpets]\nfirstrun=1\nspeed=60\n";
  put_text(ini_, old);
  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 200;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  profile::Entries many;
  for (int i = 0; i < 40; ++i) many.emplace_back("key" + std::to_string(i), "1");
  const bool written = profile::write_all(ini_, kSection, many);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(written);
  EXPECT_EQ(text_of(ini_), old);
  EXPECT_EQ(names(), std::vector<std::string>{"vornicade.ini"});
  // A file that did not exist before is not left behind empty either.
  fs::remove(ini_);
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool created = profile::write_all(ini_, kSection, many);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(created);
  EXPECT_TRUE(names().empty());
}

// A writer killed before its rename leaves ".vornicade.ini.XXXXXX"; the next write removes such
// leftovers of ours, and nothing else.
TEST_F(SettingsFile, AWriteRemovesTemporaryFilesThatAKilledWriterLeft) {
  const fs::path victim = dir_ / "victim";
  put_text(victim, "precious\n");
  auto put_aged = [&](const std::string& name, int seconds_old) {
    put_text(dir_ / name, "left over\n");
    fs::last_write_time(dir_ / name, fs::file_time_type::clock::now() - std::chrono::seconds(seconds_old));
  };
  put_aged(".vornicade.ini.aB3xY9", 3600);     // ours, long left: removed
  put_aged(".vornicade.ini.Qw12Er", 90);       // ours, past a minute: removed
  put_aged(".vornicade.ini.Zz9Zz9", 5);        // may be a writer at work: stays
  put_aged(".vornicade.ini.abcde", 3600);      // not a name our writer makes
  put_aged(".vornicade.ini.abc-ef", 3600);
  put_aged("vornicade.ini.aB3xY9", 3600);
  put_aged(".other.ini.aB3xY9", 3600);
  fs::create_symlink(victim, dir_ / ".vornicade.ini.LnK123");  // a link, even with our name: stays
  put_text(ini_, "[Zelkin Wumpets]\nspeed=7\n");
  ASSERT_TRUE(profile::write_all(ini_, kSection, {{"speed", "9"}}));
  EXPECT_EQ(names(), (std::vector<std::string>{".other.ini.aB3xY9", ".vornicade.ini.LnK123", ".vornicade.ini.Zz9Zz9",
                                               ".vornicade.ini.abc-ef", ".vornicade.ini.abcde", "victim",
                                               "vornicade.ini", "vornicade.ini.aB3xY9"}));
  EXPECT_EQ(text_of(victim), "precious\n");
  EXPECT_EQ(text_of(ini_), "[Zelkin Wumpets]\nspeed=9\n");
}

TEST_F(SettingsFile, TwoWritersAtOnceLoseNothing) {
  constexpr int kWrites = 120;
  pid_t children[2];
  for (int w = 0; w < 2; ++w) {
    children[w] = ::fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      bool ok = true;
      for (int i = 0; i < kWrites; ++i)
        ok = profile::write(ini_, kSection, std::string(1, static_cast<char>('a' + w)) + std::to_string(i),
                            std::to_string(i * 7)) && ok;
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t c : children) {
    int status = 0;
    ::waitpid(c, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<std::string> lines;
  ASSERT_TRUE(profile::split_lines(text_of(ini_), lines));
  ASSERT_EQ(lines.size(), 1u + 2 * kWrites);
  EXPECT_EQ(lines[0], "[Zelkin Wumpets]");
  for (int w = 0; w < 2; ++w)
    for (int i = 0; i < kWrites; ++i) {
      const std::string key = std::string(1, static_cast<char>('a' + w)) + std::to_string(i);
      EXPECT_EQ(profile::read(ini_, kSection, key, "lost", 128), std::to_string(i * 7)) << key;
    }
}

TEST_F(SettingsFile, TooLargeOrUnmarkedUtf16FilesReadAsEmptyAndAreNeverWritten) {
  std::string utf16;
  for (char c : std::string("[Zelkin Wumpets]\r\nfirstrun=1\r\n")) utf16 += std::string{c, '\0'};
  const std::vector<std::pair<const char*, std::string>> files = {
      {"over the size bound", std::string(profile::kMaxFileBytes + 1, '\n')},
      {"UTF-16 without a mark", utf16},
      {"NULs with text after them", std::string("[Zelkin Wumpets]\nfirstrun=1\n\0\0speed=5\n", 35)},
  };
  for (const auto& [what, text] : files) {
    SCOPED_TRACE(what);
    put_text(ini_, text);
    EXPECT_EQ(profile::read(ini_, kSection, "firstrun", "none", 128), "none");
    EXPECT_FALSE(profile::write_all(ini_, kSection, {{"speed", "9"}}));
    EXPECT_TRUE(text_of(ini_) == text) << "the file was changed";
  }
}

// Files stored another way are read through and written back the same way, every other line
// kept: UTF-16 with its mark (which Windows reads and writes itself), UTF-8 after a mark (what
// Notepad writes), and a file with a tail of NULs (what a crash in the middle of a write leaves),
// which is read up to the damage and written back clean.
TEST_F(SettingsFile, MarkedAndDamagedFilesAreReadThroughAndKeepTheirForm) {
  auto utf16 = [](const std::string& text, bool big) {
    std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) out += big ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
  };
  const std::string body = "; notes\r\n[Zelkin Wumpets]\r\nfirstrun=1\r\nmessagetext=Caf\xC3\xA9\r\n[Other]\r\nkeep=yes\r\n";
  std::string cafe16 = utf16(body, false);  // the é as one UTF-16 unit, as Windows stores it
  const std::size_t at = cafe16.find(std::string("\xC3\0\xA9\0", 4));
  cafe16.replace(at, 4, std::string("\xE9\0", 2));
  struct Case {
    const char* what;
    std::string text;
    std::string starts;  // what the written file starts with
  } cases[] = {
      {"UTF-16 little-endian with its mark", cafe16, "\xFF\xFE;\0"},
      {"UTF-16 big-endian with its mark", utf16("[Zelkin Wumpets]\nfirstrun=1\nmessagetext=Cafe\n", true),
       "\xFE\xFF\0["},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + body, "\xEF\xBB\xBF; notes"},
      {"a tail of NULs", body + std::string(300, '\0'), "; notes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    put_text(ini_, c.text);
    EXPECT_EQ(profile::read(ini_, kSection, "firstrun", "none", 128), "1");
    const std::string word = profile::read(ini_, kSection, "messagetext", "", 128);
    EXPECT_TRUE(word == "Caf\xC3\xA9" || word == "Cafe") << word;
    ASSERT_TRUE(profile::write_all(ini_, kSection, {{"speed", "9"}}));
    const std::string written = text_of(ini_);
    EXPECT_EQ(written.substr(0, c.starts.size()), c.starts);
    EXPECT_EQ(profile::read(ini_, kSection, "speed", "", 128), "9");
    EXPECT_EQ(profile::read(ini_, kSection, "firstrun", "", 128), "1");
    EXPECT_EQ(profile::read(ini_, kSection, "messagetext", "", 128), word);
    if (c.text.find("[Other]") != std::string::npos || c.text.find(std::string("[\0O", 3)) != std::string::npos) {
      EXPECT_EQ(profile::read(ini_, "Other", "keep", "", 128), "yes");
    }
    if (c.starts[0] != '\xFF' && c.starts[0] != '\xFE') {
      EXPECT_EQ(written.find('\0'), std::string::npos) << "written back clean";
    }
  }
}

#if !defined(_WIN32)
// Other users cannot stop or redirect a save. A lock held elsewhere makes a bounded wait that
// ends in a failure with its reason, never a hang; a lock file that is a link is not ours; in a
// shared folder anyone may write (sticky, like /tmp), a link another user planted is not
// followed.
TEST_F(SettingsFile, OtherUsersCannotHoldOrRedirectASave) {
  put_text(ini_, "[Zelkin Wumpets]\nfirstrun=1\n");
  const std::string lock = (dir_ / ".vornicade.ini.lock").string();
  {
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // a second open file description: it holds the lock
    std::string why;
    EXPECT_FALSE(profile::write_all(ini_, kSection, {{"speed", "9"}}, &why));
    EXPECT_NE(why.find("another program holds its lock"), std::string::npos) << why;
    ::close(fd);
  }
  EXPECT_TRUE(profile::write_all(ini_, kSection, {{"speed", "9"}})) << "free again";
  fs::remove(lock);
  fs::create_symlink(dir_ / "elsewhere", lock);
  std::string why;
  EXPECT_FALSE(profile::write_all(ini_, kSection, {{"speed", "8"}}, &why));
  EXPECT_NE(why.find("is not one of ours"), std::string::npos) << why;
  EXPECT_FALSE(fs::exists(dir_ / "elsewhere"));
  fs::remove(lock);

  // A shared sticky folder: a link owned by another user (nobody) is not followed.
  if (::geteuid() != 0) GTEST_SKIP() << "making a link of another user's needs root";
  const fs::path shared = dir_ / "shared";
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 01777);
  put_text((dir_ / "notes.txt").string(), "mine\n");
  fs::create_symlink(dir_ / "notes.txt", shared / "vornicade.ini");
  ASSERT_EQ(::lchown((shared / "vornicade.ini").c_str(), 65534, 65534), 0);
  why.clear();
  EXPECT_FALSE(profile::write_all((shared / "vornicade.ini").string(), kSection, {{"speed", "7"}}, &why));
  EXPECT_EQ(why, "it is a link another user made in a shared folder");
  EXPECT_EQ(text_of((dir_ / "notes.txt").string()), "mine\n");
  // Our own link there is followed.
  ASSERT_EQ(::lchown((shared / "vornicade.ini").c_str(), ::geteuid(), ::getegid()), 0);
  EXPECT_TRUE(profile::write_all((shared / "vornicade.ini").string(), kSection, {{"speed", "7"}}));
  EXPECT_NE(text_of((dir_ / "notes.txt").string()).find("speed=7"), std::string::npos);
}
#endif

namespace {
class SettingsLoad : public fx::Headless {};
}  // namespace

TEST_F(SettingsLoad, ALoadParsesTheFileOnce) {
  std::vector<std::string> lines = {"firstrun=1"};
  for (const wumpets::SettingKey& k : wumpets::setting_keys()) lines.push_back(std::string(k.name) + "=1");
  write_settings(lines);
  // An old file: a fresh one is read again for every key, as file times are coarse.
  const fs::path ini = dir_ / "config" / "vornicade.ini";
  fs::last_write_time(ini, fs::last_write_time(ini) - std::chrono::hours(1));
  const std::uint64_t before = profile::parses();
  wumpets::X_GetData(st_);
  EXPECT_EQ(profile::parses() - before, 1u);
  EXPECT_EQ(st_.scene.conga, wumpets::kTrue);
  EXPECT_GT(count_calls("profile_get"), 30);
}

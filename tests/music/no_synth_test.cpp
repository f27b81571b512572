// The sequencer of a program whose synthesizer module cannot be had (this test is built without
// one beside it): music is off, said once, and the songs keep their time all the same, so the
// play list moves on at the pace it would with sound.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/linux/i_sound.h"
#include "platform/platform.h"
#include "songs.h"

namespace fs = std::filesystem;

namespace {

std::string status(const std::string& alias) {
  std::string reply = "untouched";
  EXPECT_EQ(plat::media_command("status " + alias + " mode", reply, 255), 0) << alias;
  return reply;
}

std::int32_t send(const std::string& command) {
  std::string reply;
  return plat::media_command(command, reply, 255);
}

std::string open_command(const fs::path& path, const std::string& alias) {
  return "open \"" + path.string() + "\" type sequencer alias " + alias;
}

// Seconds from now until the song reports "stopped" (at most `limit`).
double seconds_until_stopped(const std::string& alias, double limit) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status(alias) == "stopped" || elapsed > limit) return elapsed;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class NoSynth : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/wumpets-nosynth-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    write_file(dir_ / "d_0.Mid", make_song(0.4, 4));
    write_file(dir_ / "d_1.Mid", make_song(30.0, 8));
  }
  void TearDown() override {
    linuxplat::music::shut_down();
    linuxplat::music::defer_start(false);
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

TEST_F(NoSynth, MusicIsOffButSongsKeepTheirTime) {
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(send(open_command(dir_ / "d_0.Mid", "song0")), 0);
  ASSERT_EQ(send(open_command(dir_ / "d_1.Mid", "song1")), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("zelkin-wumpets: no MIDI synthesizer (zelkin-wumpets-music.so is in none of ", 0), 0u) << err;
  EXPECT_NE(err.find("); music is off\n"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "said once, and nothing else: " << err;

  EXPECT_EQ(status("song1"), "stopped");  // opened, not yet played
  ASSERT_EQ(send("play song1 from 0"), 0);
  EXPECT_EQ(status("song1"), "playing");
  ASSERT_EQ(send("stop song1"), 0);
  EXPECT_EQ(status("song1"), "stopped");
  for (int round = 0; round < 2; ++round) {  // and as long when played again
    ASSERT_EQ(send("play song0 from 0"), 0);
    const double seconds = seconds_until_stopped("song0", 10.0);
    EXPECT_GE(seconds, 0.35) << "a silent 0.4 s song ended too soon";
    EXPECT_LT(seconds, 2.0) << "a silent 0.4 s song went on";
  }
  // A file that cannot be played still fails when played.
  write_file(dir_ / "bad.Mid", Bytes{'M', 'T', 'h', 'd'});
  ASSERT_EQ(send(open_command(dir_ / "bad.Mid", "song3")), 0);
  EXPECT_EQ(send("play song3 from 0"), plat::kMciInvalidFile);
  ASSERT_EQ(send(open_command(dir_ / "d_5.Mid", "song5")), 0);
  EXPECT_EQ(send("play song5 from 0"), plat::kMciFileNotFound);
}

// The saver's way: played before the window is up, started from the event loop.
TEST_F(NoSynth, ADeferredSongKeepsItsTimeFromTheEventLoop) {
  linuxplat::music::defer_start(true);
  ASSERT_EQ(send(open_command(dir_ / "d_0.Mid", "song0")), 0);
  ASSERT_EQ(send("play song0 from 0"), 0);
  EXPECT_EQ(status("song0"), "playing") << "counts as playing while it waits";
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // the wait is not the song's
  EXPECT_EQ(status("song0"), "playing");
  ::testing::internal::CaptureStderr();
  linuxplat::music::idle();
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status("song0"), "playing");
  const double seconds = seconds_until_stopped("song0", 10.0);
  EXPECT_GE(seconds, 0.35) << "a silent 0.4 s song ended too soon";
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

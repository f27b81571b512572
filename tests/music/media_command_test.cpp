// The MIDI sequencer behind the media command strings, on SDL's silent output: the songs are
// tiny MIDI files written by the tests into a temporary folder.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/i_sound.h"
#include "platform/platform.h"
#include "songs.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUntouched = "untouched";

std::int32_t send(const std::string& command, std::string* reply_out = nullptr, int size = 255) {
  std::string reply = kUntouched;
  const std::int32_t result = plat::media_command(command, reply, size);
  if (reply_out) *reply_out = reply;
  return result;
}

std::string status(const std::string& alias) {
  std::string reply;
  EXPECT_EQ(send("status " + alias + " mode", &reply), 0) << alias;
  return reply;
}

std::string open_command(const fs::path& path, const std::string& alias) {
  return "open \"" + path.string() + "\" type sequencer alias " + alias;
}

double rms(const std::vector<float>& samples) {
  double sum = 0;
  for (float s : samples) sum += static_cast<double>(s) * s;
  return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

class Music : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/wumpets-music-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    short_ = dir_ / "d_0.Mid";
    long_ = dir_ / "d_1.Mid";
    write_file(short_, make_song(0.4, 4));
    write_file(long_, make_song(30.0, 8));
  }
  void TearDown() override {
    linuxplat::music::shut_down();
    linuxplat::music::set_soundfont_path(linuxplat::music::kDefaultSoundfont);
    fs::remove_all(dir_);
  }

  // Polls until the song reports "stopped", at most `limit` seconds; the seconds it took.
  static double seconds_until_stopped(const std::string& alias, double limit) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
      const double elapsed =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (status(alias) == "stopped" || elapsed > limit) return elapsed;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  fs::path dir_, short_, long_;
};

TEST_F(Music, OpenPlayStopCloseWalkThroughTheStates) {
  std::string reply;
  ASSERT_EQ(send(open_command(long_, "song3"), &reply), 0);
  EXPECT_EQ(reply, "");
  EXPECT_EQ(status("song3"), "stopped");  // opened, not yet played

  ASSERT_EQ(send("play song3 from 0", &reply), 0);
  EXPECT_EQ(reply, "");
  EXPECT_EQ(status("song3"), "playing");

  ASSERT_EQ(send("stop song3"), 0);
  EXPECT_EQ(status("song3"), "stopped");

  ASSERT_EQ(send("play song3 from 0"), 0);  // a stopped song starts again
  EXPECT_EQ(status("song3"), "playing");
  ASSERT_EQ(send("play song3 from 0"), 0);  // and so does a playing one
  EXPECT_EQ(status("song3"), "playing");

  ASSERT_EQ(send("close song3"), 0);
  EXPECT_EQ(send("status song3 mode", &reply), plat::kMciInvalidDeviceName);
  EXPECT_EQ(reply, kUntouched);
  ASSERT_EQ(send(open_command(long_, "song3")), 0);  // the alias is free again
}

TEST_F(Music, EachAliasKeepsItsOwnState) {
  ASSERT_EQ(send(open_command(long_, "song1")), 0);
  ASSERT_EQ(send(open_command(long_, "song2")), 0);
  EXPECT_EQ(send(open_command(long_, "song2")), plat::kMciDuplicateAlias);
  ASSERT_EQ(send("play song1 from 0"), 0);
  EXPECT_EQ(status("song2"), "stopped");
  ASSERT_EQ(send("stop song2"), 0);
  ASSERT_EQ(send("close song2"), 0);
  EXPECT_EQ(status("song1"), "playing");
  EXPECT_EQ(status("SONG1"), "playing");  // aliases, like the words, ignore case
}

TEST_F(Music, CommandsOnAnAliasNeverOpenedFailAndLeaveTheReply) {
  ASSERT_EQ(send(open_command(long_, "song0")), 0);
  for (const char* command : {"status song4 mode", "play song4 from 0", "stop song4", "close song4"}) {
    std::string reply;
    EXPECT_EQ(send(command, &reply), plat::kMciInvalidDeviceName) << command;
    EXPECT_EQ(reply, kUntouched) << command;
  }
}

TEST_F(Music, MalformedCommandsFailAndLeaveTheReply) {
  ASSERT_EQ(send(open_command(long_, "song0")), 0);
  for (const std::string& command :
       {std::string(""), std::string("pause song0"), "open \"" + long_.string(),
        "open \"" + long_.string() + "\" type waveaudio alias song5", std::string("status song0"),
        std::string("status song0 colour"), std::string("play song0 from x"), std::string("play"),
        std::string("stop song0 wait wait wait wait wait wait wait wait wait wait wait wait wait wait wait")}) {
    std::string reply;
    EXPECT_NE(send(command, &reply), 0) << command;
    EXPECT_EQ(reply, kUntouched) << command;
  }
}

TEST_F(Music, ASongThatReachesItsEndReportsStoppedInItsOwnTime) {
  ASSERT_EQ(send(open_command(short_, "song0")), 0);
  for (int round = 0; round < 2; ++round) {  // the music timer plays an ended song again
    ASSERT_EQ(send("play song0 from 0"), 0);
    const double seconds = seconds_until_stopped("song0", 10.0);
    EXPECT_EQ(status("song0"), "stopped");
    EXPECT_GE(seconds, 0.3) << "a 0.4 s song ended too soon";
  }
}

TEST_F(Music, DeferredStartPlaysFromTheEventLoop) {
  // The saver opens and plays its first song before its window is up; the sequencer itself
  // starts when the event loop next comes round.
  linuxplat::music::defer_start(true);
  ASSERT_EQ(send(open_command(short_, "song0")), 0);
  ASSERT_EQ(send(open_command(short_, "song1")), 0);
  EXPECT_EQ(send("play song9 from 0"), plat::kMciInvalidDeviceName);
  ASSERT_EQ(send("play song0 from 0"), 0);
  EXPECT_EQ(status("song0"), "playing") << "counts as playing while it waits";
  EXPECT_EQ(status("song1"), "stopped");
  linuxplat::music::idle();
  const double seconds = seconds_until_stopped("song0", 10.0);
  EXPECT_EQ(status("song0"), "stopped");
  EXPECT_GE(seconds, 0.3) << "it really played, in time";
  // A waiting song that is stopped never starts.
  linuxplat::music::shut_down();
  linuxplat::music::defer_start(true);
  ASSERT_EQ(send(open_command(long_, "song2")), 0);
  ASSERT_EQ(send("play song2 from 0"), 0);
  ASSERT_EQ(send("stop song2"), 0);
  linuxplat::music::idle();
  EXPECT_EQ(status("song2"), "stopped");
  // A broken file still fails at play, before any waiting.
  write_file(dir_ / "bad.Mid", Bytes{'M', 'T', 'h', 'd'});
  ASSERT_EQ(send(open_command(dir_ / "bad.Mid", "song3")), 0);
  EXPECT_NE(send("play song3 from 0"), 0);
  linuxplat::music::defer_start(false);
}

TEST_F(Music, ReplyIsCutToTheBufferSize) {
  ASSERT_EQ(send(open_command(long_, "song2")), 0);
  ASSERT_EQ(send("play song2 from 0"), 0);
  struct Case {
    int size;
    const char* reply;
  } cases[] = {{255, "playing"}, {8, "playing"}, {7, "playin"}, {4, "pla"}, {1, ""}, {0, ""}};
  for (const Case& c : cases) {
    std::string reply;
    EXPECT_EQ(send("status song2 mode", &reply, c.size), 0);
    EXPECT_EQ(reply, c.reply) << "size " << c.size;
  }
}

TEST_F(Music, AMissingFileOpensButFailsToPlay) {
  ASSERT_EQ(send(open_command(dir_ / "d_5.Mid", "song5")), 0);
  std::string reply;
  EXPECT_EQ(send("play song5 from 0", &reply), plat::kMciFileNotFound);
  EXPECT_EQ(reply, kUntouched);
  EXPECT_EQ(status("song5"), "stopped");
  EXPECT_EQ(send("close song5"), 0);
}

// Files FluidSynth would take as silent songs, or worse.
std::vector<std::pair<std::string, Bytes>> broken_files() {
  const Bytes good = make_song(0.4, 4);
  std::vector<std::pair<std::string, Bytes>> cases;
  std::mt19937 random(6);
  Bytes noise(4000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  cases.emplace_back("random bytes", noise);
  Bytes noisy_header(good.begin(), good.begin() + 14);
  noisy_header.insert(noisy_header.end(), noise.begin(), noise.end());
  cases.emplace_back("a header, then random bytes", noisy_header);
  cases.emplace_back("empty", Bytes{});
  cases.emplace_back("a truncated header", Bytes(good.begin(), good.begin() + 10));
  cases.emplace_back("a header and no track", Bytes(good.begin(), good.begin() + 14));
  cases.emplace_back("a track cut short", Bytes(good.begin(), good.end() - 9));
  Bytes no_end = good;
  no_end[no_end.size() - 2] = 0x01;  // the end-of-track event becomes an empty text event
  cases.emplace_back("no end of track", no_end);
  Bytes two_tracks = good;
  two_tracks[11] = 2;  // the header promises a second track that is not there
  two_tracks[9] = 1;
  cases.emplace_back("a missing track", two_tracks);
  Bytes bad_data = good;
  bad_data[good.size() - 5] = 0xC0;  // the last note-off's velocity has its top bit set
  cases.emplace_back("a data byte with its top bit set", bad_data);
  cases.emplace_back("a text file", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
  return cases;
}

TEST_F(Music, BrokenFilesOpenButFailToPlay) {
  int n = 0;
  for (const auto& [name, bytes] : broken_files()) {
    const fs::path path = dir_ / ("broken" + std::to_string(n++) + ".Mid");
    write_file(path, bytes);
    ASSERT_EQ(send(open_command(path, "song4")), 0) << name;
    std::string reply;
    EXPECT_NE(send("play song4 from 0", &reply), 0) << name;
    EXPECT_EQ(reply, kUntouched) << name;
    EXPECT_EQ(status("song4"), "stopped") << name;
    EXPECT_EQ(send("close song4"), 0) << name;
  }
  // A folder in place of the song cannot be read.
  fs::create_directory(dir_ / "d_2.Mid");
  ASSERT_EQ(send(open_command(dir_ / "d_2.Mid", "song2")), 0);
  EXPECT_EQ(send("play song2 from 0"), plat::kMciFileNotFound);
}

// A file larger than any song is refused by its size, before anything reads it: a sparse 2 GB
// file costs no memory.
TEST_F(Music, AFileLargerThanAnySongIsRefusedUnread) {
  const fs::path big = dir_ / "d_0.Mid";
  write_file(big, make_song(0.4, 4));
  fs::resize_file(big, std::uintmax_t{2} << 30);
  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  ASSERT_EQ(send(open_command(big, "song0")), 0);
  std::string reply;
  EXPECT_EQ(send("play song0 from 0", &reply), plat::kMciInvalidFile);
  EXPECT_EQ(reply, kUntouched);
  EXPECT_EQ(status("song0"), "stopped");
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes of peak memory added";
  EXPECT_EQ(send("close song0"), 0);
}

TEST(StandardMidi, AcceptsTheFormsRealFilesUse) {
  const Bytes good = make_song(0.4, 4);
  EXPECT_TRUE(linuxplat::music::is_standard_midi(good));

  // Running status: the second note-on leaves out its status byte.
  Bytes running = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 16,
                   0x00, 0x90, 60, 100, 0x60, 62, 100, 0x83, 0x00, 0xC5, 7, 0x00, 0xFF, 0x2F, 0x00, 0};
  running[21] = static_cast<std::uint8_t>(running.size() - 22);
  EXPECT_TRUE(linuxplat::music::is_standard_midi(running));

  // Format 1 with a system-exclusive message and a chunk of an unknown kind between tracks.
  Bytes format1 = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                   'M', 'T', 'r', 'k', 0, 0, 0, 11, 0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7,
                   0x00, 0xFF, 0x2F, 0x00, 0x00,
                   'X', 'f', 'I', 'h', 0, 0, 0, 2, 0xAB, 0xCD,
                   'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_TRUE(linuxplat::music::is_standard_midi(format1));

  for (const auto& [name, bytes] : broken_files()) EXPECT_FALSE(linuxplat::music::is_standard_midi(bytes)) << name;
}

TEST(StandardMidi, EveryCutOfAGoodFileIsRejected) {
  const Bytes good = make_song(0.4, 4);
  for (std::size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(linuxplat::music::is_standard_midi(Bytes(good.begin(), good.begin() + size)))
        << "cut to " << size << " bytes";
}

TEST(StandardMidi, GivesTheTickWhereTheSongEnds) {
  std::uint32_t end = 0;
  ASSERT_TRUE(linuxplat::music::is_standard_midi(make_song(0.4, 4), &end));
  EXPECT_EQ(end, 4u * 96);  // four notes of 96 ticks, the end of track right after the last
  ASSERT_TRUE(linuxplat::music::is_standard_midi(make_song(30.0, 8), &end));
  EXPECT_EQ(end, 8u * 3600);
}

// A file of the given tracks (their events, each closed with its end of track here).
Bytes midi_file(std::uint8_t format, std::uint16_t division, const std::vector<Bytes>& tracks) {
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, format, 0, static_cast<std::uint8_t>(tracks.size()),
                static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division & 0xFF)};
  for (Bytes track : tracks) {
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    const auto n = static_cast<std::uint32_t>(track.size());
    file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

// How long a song lasts without a synthesizer to count it: its ticks through its tempo map.
TEST(StandardMidi, GivesHowLongTheSongLasts) {
  const Bytes note_to_960 = {0x00, 0x90, 60, 100, 0x87, 0x40, 0x80, 60, 64};  // a note from 0 to 960
  const struct {
    const char* name;
    Bytes file;
    double seconds;
  } cases[] = {
      {"120 beats a minute", make_song(0.4, 4), 0.4},
      {"no tempo: half a second a beat", midi_file(0, 480, {note_to_960}), 1.0},
      // Twice as fast from the second beat, said in the first track of two.
      {"a tempo change in another track",
       midi_file(1, 480, {{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x83, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90},
                          note_to_960}),
       0.75},
      // 25 frames a second of 40 ticks: 1000 ticks a second, whatever the tempo says.
      {"frames a second", midi_file(0, 0xE728, {{0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0x90, 60, 100, 0x83,
                                                  0x74, 0x80, 60, 64}}),
       0.5},
  };
  for (const auto& c : cases) {
    std::uint32_t end = 0;
    double seconds = -1;
    ASSERT_TRUE(linuxplat::music::is_standard_midi(c.file, &end, &seconds)) << c.name;
    EXPECT_NEAR(seconds, c.seconds, 1e-9) << c.name << ", " << end << " ticks";
  }
}

TEST_F(Music, WithoutTheSoundfontMusicIsOffButSongsKeepTheirTime) {
  linuxplat::music::shut_down();
  const fs::path missing = dir_ / "nowhere.sf2";
  linuxplat::music::set_soundfont_path(missing.string());
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(send(open_command(short_, "song0")), 0);
  ASSERT_EQ(send(open_command(long_, "song1")), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  const std::string message = "zelkin-wumpets: no General MIDI soundfont at " + missing.string() +
                              "; music is off\n";
  EXPECT_EQ(err, message);  // said once, and nothing else

  ASSERT_EQ(send("play song1 from 0"), 0);
  EXPECT_EQ(status("song1"), "playing");
  ASSERT_EQ(send("stop song1"), 0);
  ASSERT_EQ(send("play song0 from 0"), 0);
  const double seconds = seconds_until_stopped("song0", 10.0);
  EXPECT_EQ(status("song0"), "stopped");
  EXPECT_GE(seconds, 0.3) << "a silent 0.4 s song ended too soon";
}

// A soundfont that is there but broken: standard error holds our own words only, once.
TEST_F(Music, ABrokenSoundfontIsSaidInOurOwnWordsOnly) {
  const struct {
    const char* name;
    Bytes bytes;
  } fonts[] = {
      {"empty.sf2", {}},
      {"not-riff.sf2", Bytes(64, 0x41)},
      {"riff-cut.sf2", {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0, 0, 's', 'f', 'b', 'k', 'L', 'I', 'S', 'T', 0x40, 0, 0, 0}},
      {"riff-lies.sf2", {'R', 'I', 'F', 'F', 28, 0, 0, 0, 's', 'f', 'b', 'k', 'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF,
                         0x7F, 'I', 'N', 'F', 'O', 'i', 'f', 'i', 'l', 4, 0, 0, 0}},
  };
  for (const auto& font : fonts) {
    SCOPED_TRACE(font.name);
    linuxplat::music::shut_down();
    write_file(dir_ / font.name, font.bytes);
    linuxplat::music::set_soundfont_path((dir_ / font.name).string());
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(send(open_command(short_, "song0")), 0);
    ASSERT_EQ(send("play song0 from 0"), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "zelkin-wumpets: no General MIDI soundfont at " + (dir_ / font.name).string() + "; music is off\n");
    send("close song0");
  }
}

TEST_F(Music, WithoutAUsableAudioOutputSongsRunSilentlyInTime) {
  linuxplat::music::shut_down();
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  ASSERT_EQ(send(open_command(short_, "song0")), 0);
  ASSERT_EQ(send("play song0 from 0"), 0);
  EXPECT_STREQ(std::getenv("SDL_AUDIODRIVER"), "dummy");
  EXPECT_EQ(status("song0"), "playing");
  const double seconds = seconds_until_stopped("song0", 10.0);
  EXPECT_EQ(status("song0"), "stopped");
  EXPECT_GE(seconds, 0.3) << "a 0.4 s song ended too soon";
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// Where nothing can be heard, the players count the samples of a clock that the commands
// themselves bring up to date. A song is over when, and only when, its length has passed since
// "play", however long the sequencer sat idle before, and lasts as long when played again.
TEST_F(Music, WithNothingToHearASongLastsItsLengthExactly) {
  using Clock = std::chrono::steady_clock;
  auto since = [](Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); };
  constexpr double kLength = 1.0;
  constexpr double kSlack = 0.010;  // a synthesizer block and the player's rounding, with room
  const fs::path one_second = dir_ / "d_3.Mid";
  write_file(one_second, make_song(kLength, 4));
  ASSERT_EQ(send(open_command(one_second, "song0")), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // idle time, which no song owns
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(send("play song0 from 0"), 0);
    const double play_took = since(start);
    double stopped_at = -1;
    while (stopped_at < 0 && since(start) < kLength + 5) {
      const double asked = since(start);
      const std::string mode = status("song0");
      const double answered = since(start);
      if (mode == "stopped")
        stopped_at = answered;
      else
        EXPECT_LT(asked - play_took, kLength + kSlack) << "still playing after its length";
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    EXPECT_GE(stopped_at, kLength - kSlack) << "stopped before its length (-1: never)";
    if (round == 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

// On an output (SDL's disk writer stands in for a sound card), "stop" cuts the song off rather
// than letting its notes ring out: after the command returns the output receives at most the
// buffer rendered before it, well under the tenth of a second a listener would notice.
TEST_F(Music, StopSilencesAnOutputWithinATenthOfASecond) {
  if (!fs::exists(linuxplat::music::kDefaultSoundfont)) GTEST_SKIP() << "no soundfont installed";
  linuxplat::music::shut_down();
  const fs::path raw = dir_ / "output.raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  auto size = [&raw] { return fs::exists(raw) ? fs::file_size(raw) : std::uintmax_t{0}; };
  auto read_all = [&raw] {
    std::ifstream in(raw, std::ios::binary);
    std::vector<float> samples;
    float s;
    while (in.read(reinterpret_cast<char*>(&s), sizeof s)) samples.push_back(s);
    return samples;
  };
  constexpr std::uintmax_t kFrameBytes = 2 * sizeof(float);  // stereo floats as rendered
  ASSERT_EQ(send(open_command(long_, "song1")), 0);
  ASSERT_EQ(send("play song1 from 0"), 0);
  // Until the output has half a second of the song.
  for (int i = 0; i < 500 && size() < 22050 * kFrameBytes; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(status("song1"), "playing");
  ASSERT_EQ(send("stop song1"), 0);
  const std::uintmax_t at_stop = size();
  for (int i = 0; i < 500 && size() < at_stop + 22050 * kFrameBytes; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::unsetenv("SDL_DISKAUDIOFILE");
  const std::vector<float> samples = read_all();
  ASSERT_GE(samples.size() * sizeof(float), at_stop + 22050 * kFrameBytes) << "the output stopped running";
  std::size_t last_sound = 0;
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (samples[i] != 0.0f) last_sound = i + 1;
  const auto stop_sample = static_cast<std::size_t>(at_stop / sizeof(float));
  EXPECT_GT(rms(std::vector<float>(samples.begin(), samples.begin() + stop_sample)), 0.001) << "no song was heard";
  const double heard_after = last_sound > stop_sample ? static_cast<double>(last_sound - stop_sample) / 2 / 44100 : 0.0;
  EXPECT_LT(heard_after, 0.1) << "seconds of the song after \"stop\"";
}

TEST_F(Music, SongsRenderedThroughTheSoundfontAreNotSilent) {
  if (!fs::exists(linuxplat::music::kDefaultSoundfont)) GTEST_SKIP() << "no soundfont installed";
  const auto ours = linuxplat::music::render_offline(short_.string(), linuxplat::music::kDefaultSoundfont,
                                                     44100, 10.0);
  ASSERT_FALSE(ours.empty());
  // 0.4 s of notes and a second of release: the render stops with the song.
  EXPECT_LT(ours.size(), static_cast<std::size_t>(44100 * 2 * 2));
  EXPECT_GT(rms(ours), 0.01);

  const fs::path real = fs::path(WUMPETS_DATA_DIR) / "d_0.Mid";
  if (!fs::exists(real)) GTEST_SKIP() << real << " is not built yet";
  const auto song = linuxplat::music::render_offline(real.string(), linuxplat::music::kDefaultSoundfont,
                                                     44100, 600.0);
  ASSERT_FALSE(song.empty()) << real << " does not read as a standard MIDI file";
  const double level = rms(song);
  RecordProperty("d_0_rms", std::to_string(level));
  std::printf("d_0.Mid: %.1f s, RMS %.4f\n", static_cast<double>(song.size()) / 2 / 44100, level);
  EXPECT_GT(level, 0.01);
}

}  // namespace

int main(int argc, char** argv) {
  // The tests never need the machine's sound card, and must not depend on having one.
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The six play-list songs in the data folder: each a valid standard MIDI file of one to three
// minutes with drums and a band, that renders to audible, unclipped audio and comes to an end.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "smf_reader.h"

namespace wumpets::test {
namespace {

std::string songPath(int n) { return std::string(WUMPETS_SONG_DIR) + "/d_" + std::to_string(n) + ".Mid"; }

class SongFile : public ::testing::TestWithParam<int> {};

TEST_P(SongFile, IsAStandardMidiFileOfTheRightLength) {
  const auto path = songPath(GetParam());
  ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
  Smf smf;
  ASSERT_NO_THROW(smf = readSmf(readFile(path))) << path;
  EXPECT_EQ(smf.format, 1);
  EXPECT_GE(smf.tracks.size(), 4u) << "a conductor track and several parts";

  bool tempo = false;
  for (const auto& e : smf.tracks[0]) tempo = tempo || (e.status == 0xFF && e.meta == 0x51);
  EXPECT_TRUE(tempo) << "the conductor track sets the tempo";

  const double seconds = secondsAt(smf, endTick(smf));
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 180.0);
}

TEST_P(SongFile, HasDrumsAndABandAndReleasesEveryNote) {
  const Smf smf = readSmf(readFile(songPath(GetParam())));
  std::set<int> programmed;
  std::map<int, int> notesPerChannel;
  std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> notes held
  std::uint32_t lastRelease = 0;
  for (const auto& track : smf.tracks) {
    for (const auto& e : track) {
      if (e.kind() == 0xC0) programmed.insert(e.channel());
      if (e.isNoteOn()) {
        ++notesPerChannel[e.channel()];
        ++sounding[{e.channel(), e.data[0]}];
      } else if (e.isNoteOff()) {
        auto& held = sounding[{e.channel(), e.data[0]}];
        EXPECT_GT(held, 0) << "release of a note that is not sounding, channel " << e.channel() + 1;
        held = std::max(0, held - 1);
        lastRelease = std::max(lastRelease, e.tick);
      }
    }
  }
  EXPECT_GE(notesPerChannel[9], 100) << "drums on channel 10";
  int band = 0;
  for (const auto& [channel, notes] : notesPerChannel)
    if (channel != 9 && notes >= 20 && programmed.count(channel)) ++band;
  EXPECT_GE(band, 3) << "at least three programmed melodic channels";
  for (const auto& [key, held] : sounding)
    EXPECT_EQ(held, 0) << "note " << key.second << " on channel " << key.first + 1 << " never released";
  EXPECT_LE(lastRelease, endTick(smf)) << "the song ends after its last note is released";
}

struct Render {
  double seconds = 0;
  double rms = 0;
  double peak = 0;
  double longestQuiet = 0;  // longest stretch of near silence before sound, in seconds
  bool finished = false;
};

void quietLog(int, const char*, void*) {}

Render render(const std::string& path, const char* soundfont) {
  constexpr double kRate = 22050;
  constexpr int kBlock = 512;
  constexpr double kLimitSeconds = 200;

  for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, quietLog, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_synth_t* synth = new_fluid_synth(settings);
  Render r;
  if (fluid_synth_sfload(synth, soundfont, 1) == FLUID_FAILED) {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    ADD_FAILURE() << "cannot load " << soundfont;
    return r;
  }
  fluid_player_t* player = new_fluid_player(synth);
  fluid_player_add(player, path.c_str());
  fluid_player_play(player);

  std::vector<float> left(kBlock), right(kBlock);
  double sum = 0;
  long frames = 0;
  double windowSum = 0;
  long windowFrames = 0;
  double quiet = 0;
  const long window = static_cast<long>(kRate / 4);
  while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && frames < kLimitSeconds * kRate) {
    fluid_synth_write_float(synth, kBlock, left.data(), 0, 1, right.data(), 0, 1);
    for (int i = 0; i < kBlock; ++i) {
      for (float s : {left[static_cast<std::size_t>(i)], right[static_cast<std::size_t>(i)]}) {
        sum += static_cast<double>(s) * s;
        windowSum += static_cast<double>(s) * s;
        r.peak = std::max(r.peak, static_cast<double>(std::fabs(s)));
      }
      if (++windowFrames == window) {
        const double windowRms = std::sqrt(windowSum / (2.0 * window));
        // A quiet stretch counts once sound follows it: the fading tail after the last note
        // is no gap.
        if (windowRms < 1e-4) {
          quiet += window / kRate;
        } else {
          r.longestQuiet = std::max(r.longestQuiet, quiet);
          quiet = 0;
        }
        windowSum = 0;
        windowFrames = 0;
      }
    }
    frames += kBlock;
  }
  r.finished = fluid_player_get_status(player) == FLUID_PLAYER_DONE;
  r.seconds = frames / kRate;
  r.rms = frames > 0 ? std::sqrt(sum / (2.0 * frames)) : 0;
  fluid_player_stop(player);
  delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return r;
}

double dbfs(double v) { return 20 * std::log10(std::max(v, 1e-12)); }

TEST_P(SongFile, RendersAudibleUnclippedAudioThatEnds) {
  const char* soundfont = WUMPETS_SOUNDFONT;
  if (!std::filesystem::is_regular_file(soundfont))
    GTEST_SKIP() << "soundfont " << soundfont << " is not installed (Debian package timgm6mb-soundfont)";
  const auto r = render(songPath(GetParam()), soundfont);
  std::printf("d_%d: %.1f s, RMS %.1f dBFS, peak %.1f dBFS, longest quiet %.2f s\n", GetParam(), r.seconds,
              dbfs(r.rms), dbfs(r.peak), r.longestQuiet);
  EXPECT_TRUE(r.finished) << "the player never reported the song as ended";
  EXPECT_GT(r.rms, 0.005) << "about -46 dBFS: well above silence";
  EXPECT_LT(r.peak, 1.0) << "clipping";
  EXPECT_LT(r.longestQuiet, 2.0) << "a gap of silence inside the song";
}

INSTANTIATE_TEST_SUITE_P(PlayList, SongFile, ::testing::Range(0, 6),
                         [](const auto& info) { return "d_" + std::to_string(info.param); });

}  // namespace
}  // namespace wumpets::test

// A headless program in a temporary folder: settings file, data folder and small fixture sheets
// whose pixel colours say which kind, frame and row they come from.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "platform/common/pixels.h"
#include "platform/headless/headless.h"
#include "startup/starter.h"

namespace fx {

namespace fs = std::filesystem;

// Writes a 24-bit bottom-up bitmap file.
void write_bmp(const fs::path& path, const wumpets::PixelBuffer& image);

// Colour of a picture pixel in a fixture sheet: kind, frame and row encoded.
constexpr std::uint32_t code(int kind, int frame, int row) {
  return (static_cast<std::uint32_t>(kind) << 16) | (static_cast<std::uint32_t>(frame) << 8) |
         static_cast<std::uint32_t>(row + 1);
}
int kind_of(std::uint32_t pixel);
int frame_of(std::uint32_t pixel);
int row_of(std::uint32_t pixel);

// Kind numbers used in the fixture sheets (dancer colours are 1..5).
enum Kind { kRed = 10, kPink, kWhite, kYellow, kLava, kPeace, kDisco, kHippie, kNotes11, kNotes12, kNotes21, kNotes22 };
inline constexpr std::uint32_t kTileColour = 0x00F0F0F0;  // the fixture background tile

class Headless : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The settings file holds exactly these lines (section added).
  void write_settings(const std::vector<std::string>& lines);
  std::string settings_text() const;
  // Every data file the saver loads, as fixture sheets (picture rows solid, masks black).
  void write_data_folder();
  // Runs Main with this command line; true when the process ended (plat::end_process).
  bool run_main(const std::string& command_line);
  // Starts the saver on the fixture data with the given settings lines ("firstrun=1" added).
  void start_saver(const std::vector<std::string>& settings);
  plat::Handle saver_window() const;
  // A pixel of the saver window's image.
  std::uint32_t screen(int x, int y) const;
  // Ticks the frame timer n times.
  void frames(int n);
  int count_calls(const std::string& prefix) const;
  // A new module state, as a new process would have. Starter is made anew in place, never
  // assigned: its forms point back at it.
  void fresh_starter() {
    st_.~Starter();
    ::new (&st_) wumpets::Starter();
  }

  fs::path dir_;
  headless::Config cfg_;
  wumpets::Starter st_;
};

}  // namespace fx

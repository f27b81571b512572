#include "fixture.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/saver_form.h"

namespace fx {

void write_bmp(const fs::path& path, const wumpets::PixelBuffer& image) {
  const int w = image.width, h = image.height;
  const int row_bytes = (w * 3 + 3) & ~3;
  const std::uint32_t data = static_cast<std::uint32_t>(row_bytes * h);
  std::vector<unsigned char> out(54 + data, 0);
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, 54 + data);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  out[26] = 1;
  out[28] = 24;
  put32(34, data);
  for (int y = 0; y < h; ++y) {
    unsigned char* row = out.data() + 54 + static_cast<std::size_t>(h - 1 - y) * row_bytes;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = image.at(x, y);
      row[x * 3 + 0] = static_cast<unsigned char>(p);
      row[x * 3 + 1] = static_cast<unsigned char>(p >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(p >> 16);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(out.data()),
                                               static_cast<std::streamsize>(out.size()));
}

int kind_of(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int frame_of(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int row_of(std::uint32_t p) { return static_cast<int>(p & 0xFF) - 1; }

void Headless::SetUp() {
  // The process id keeps tests that run side by side apart (a sanitizer's heap gives every
  // process the same addresses).
  dir_ = fs::temp_directory_path() / ("wumpets-test-" + std::to_string(::getpid()) + "-" +
                                      std::to_string(reinterpret_cast<std::uintptr_t>(this)));
  fs::remove_all(dir_);
  fs::create_directories(dir_ / "config");
  fs::create_directories(dir_ / "data");
  cfg_ = headless::Config{};
  cfg_.config_dir = (dir_ / "config").string();
  cfg_.data_dir = (dir_ / "data").string() + "/";
  headless::reset(cfg_);
  st_.rng.set_fixed_seed(12345);
}

void Headless::TearDown() { fs::remove_all(dir_); }

void Headless::write_settings(const std::vector<std::string>& lines) {
  std::ofstream out(dir_ / "config" / "vornicade.ini");
  out << "[Zelkin Wumpets]\n";
  for (const auto& l : lines) out << l << "\n";
}

std::string Headless::settings_text() const {
  std::ifstream in(dir_ / "config" / "vornicade.ini");
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

namespace {

// A sheet of `frames` frames of w x h: picture rows carry their code, mask rows are black.
wumpets::PixelBuffer sheet(int kind, int frames, int w, int h, bool mask_row, bool picture_both_rows = false) {
  const int rows = mask_row || picture_both_rows ? 2 : 1;
  wumpets::PixelBuffer img(frames * w, rows * h);
  for (int r = 0; r < rows; ++r)
    for (int f = 0; f < frames; ++f)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const bool is_mask = mask_row && r == 1;
          img.row(r * h + y)[f * w + x] = is_mask ? 0 : code(kind, f, r);
        }
  return img;
}

wumpets::PixelBuffer solid(int w, int h, std::uint32_t colour) {
  wumpets::PixelBuffer img(w, h);
  for (auto y = 0; y < h; ++y)
    for (auto x = 0; x < w; ++x) img.row(y)[x] = colour;
  return img;
}

}  // namespace

void Headless::write_data_folder() {
  const fs::path d = dir_ / "data";
  for (int n = 1; n <= 5; ++n) write_bmp(d / ("d_wumpet" + std::to_string(n) + ".bmp"), sheet(n, 8, 111, 102, false, true));
  write_bmp(d / "d_wumpetmask.bmp", solid(888, 204, 0));
  write_bmp(d / "d_redrose.bmp", sheet(kRed, 4, 101, 101, true));
  write_bmp(d / "d_pinkrose.bmp", sheet(kPink, 4, 101, 101, true));
  write_bmp(d / "d_whiterose.bmp", sheet(kWhite, 4, 101, 101, true));
  write_bmp(d / "d_yellowrose.bmp", sheet(kYellow, 4, 101, 101, true));
  write_bmp(d / "d_lavalamp.bmp", sheet(kLava, 20, 51, 121, true));
  write_bmp(d / "d_peace.bmp", sheet(kPeace, 15, 41, 41, true));
  write_bmp(d / "d_discoball.bmp", sheet(kDisco, 5, 91, 132, true));
  write_bmp(d / "d_hippie.bmp", sheet(kHippie, 8, 103, 97, true));
  write_bmp(d / "d_notes11.bmp", sheet(kNotes11, 10, 26, 50, false));
  write_bmp(d / "d_notes12.bmp", sheet(kNotes12, 10, 26, 50, false));
  write_bmp(d / "d_notes21.bmp", sheet(kNotes21, 10, 26, 50, false));
  write_bmp(d / "d_notes22.bmp", sheet(kNotes22, 10, 26, 50, false));
  write_bmp(d / "d_notesmask.bmp", solid(260, 50, 0));
  write_bmp(d / "d_buffer.bmp", solid(64, 48, 0));
  write_bmp(d / "d_back0.bmp", solid(165, 290, kTileColour));
  write_bmp(d / "d_back1.bmp", solid(108, 108, kTileColour));
  write_bmp(d / "d_back2.bmp", solid(97, 57, kTileColour));
  for (int n = 0; n <= 5; ++n) std::ofstream(d / ("d_" + std::to_string(n) + ".Mid")) << "MThd";
}

bool Headless::run_main(const std::string& command_line) {
  headless::config().command_line = command_line;
  try {
    wumpets::Main(st_);
  } catch (const headless::ProcessEnded&) {
    return true;
  }
  return false;
}

void Headless::start_saver(const std::vector<std::string>& settings) {
  write_data_folder();
  std::vector<std::string> lines{"firstrun=1"};
  lines.insert(lines.end(), settings.begin(), settings.end());
  write_settings(lines);
  ASSERT_FALSE(run_main("/s"));
  ASSERT_NE(st_.saver, nullptr);
}

plat::Handle Headless::saver_window() const { return wumpets::saver_window(st_); }

std::uint32_t Headless::screen(int x, int y) const {
  const wumpets::PixelBuffer* img = headless::window_image(saver_window());
  return img->at(x, y);
}

void Headless::frames(int n) {
  for (int i = 0; i < n; ++i) wumpets::maintimer_Timer(*st_.saver);
}

int Headless::count_calls(const std::string& prefix) const {
  int n = 0;
  for (const auto& c : headless::calls()) n += c.rfind(prefix, 0) == 0;
  return n;
}

}  // namespace fx

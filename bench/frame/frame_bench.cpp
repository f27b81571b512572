// One whole frame with every kind on, at 1920x1080 and 3840x2160, on the headless back end,
// and in the same run two memcpy's of a frame of that size (the least any frame can cost: the
// background restored into the buffer and the buffer shown). The ratio is what counts.
#include <new>
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/saver_form.h"
#include "platform/headless/headless.h"
#include "startup/starter.h"

namespace fs = std::filesystem;

namespace {

// A 24-bit bitmap of w x h, one colour per frame column so the blits move real data.
void write_sheet(const fs::path& path, int w, int h) {
  const int row_bytes = (w * 3 + 3) & ~3;
  std::vector<unsigned char> out(54 + static_cast<std::size_t>(row_bytes) * h, 0);
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
  };
  out[0] = 'B', out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(out.size()));
  put32(10, 54), put32(14, 40), put32(18, static_cast<std::uint32_t>(w)), put32(22, static_cast<std::uint32_t>(h));
  out[26] = 1, out[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out[54 + static_cast<std::size_t>(y) * row_bytes + x * 3 + 1] = static_cast<unsigned char>(x * 7 + y);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

fs::path make_data() {
  const fs::path d = fs::temp_directory_path() / "wumpets-bench-data";
  if (fs::exists(d / "d_back0.bmp")) return d;
  fs::create_directories(d);
  for (int n = 1; n <= 5; ++n) write_sheet(d / ("d_wumpet" + std::to_string(n) + ".bmp"), 888, 204);
  write_sheet(d / "d_wumpetmask.bmp", 888, 204);
  for (const char* r : {"d_redrose.bmp", "d_pinkrose.bmp", "d_whiterose.bmp", "d_yellowrose.bmp"}) write_sheet(d / r, 404, 202);
  write_sheet(d / "d_lavalamp.bmp", 1020, 242);
  write_sheet(d / "d_peace.bmp", 615, 82);
  write_sheet(d / "d_discoball.bmp", 455, 264);
  write_sheet(d / "d_hippie.bmp", 824, 194);
  for (const char* n : {"d_notes11.bmp", "d_notes12.bmp", "d_notes21.bmp", "d_notes22.bmp", "d_notesmask.bmp"})
    write_sheet(d / n, 260, 50);
  write_sheet(d / "d_buffer.bmp", 64, 64);
  write_sheet(d / "d_back0.bmp", 165, 290);
  return d;
}

void BM_Frame(benchmark::State& state, int w, int h) {
  const fs::path config = fs::temp_directory_path() / "wumpets-bench-config";
  fs::create_directories(config);
  std::ofstream(config / "vornicade.ini")
      << "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nwumpet3=1\nwumpet4=1\nwumpet5=1\nnotes1=1\nnotes2=1\n"
         "peace=1\nhippie=1\nyellowrose=1\nredrose=1\npinkrose=1\nwhiterose=1\ndiscoball=1\nlavalamp=1\n"
         "background= 0\nspeed=60\n";
  headless::Config cfg;
  cfg.screen_width = w;
  cfg.screen_height = h;
  cfg.config_dir = config.string();
  cfg.data_dir = make_data().string() + "/";
  cfg.command_line = "/s";
  headless::reset(cfg);
  headless::record_calls(false);
  static wumpets::Starter st;  // big; one per process is enough
  st.~Starter();
  ::new (&st) wumpets::Starter();
  st.rng.set_fixed_seed(1);
  wumpets::Main(st);
  for (auto _ : state) wumpets::maintimer_Timer(*st.saver);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(w) * h * 4 * 2);
}

void BM_TwoMemcpy(benchmark::State& state, int w, int h) {
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  std::vector<std::uint32_t> a(n, 1), b(n, 2), c(n, 3);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), n * 4);
    std::memcpy(c.data(), b.data(), n * 4);
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n) * 4 * 2);
}

}  // namespace

int main(int argc, char** argv) {
  for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    benchmark::RegisterBenchmark(("BM_Frame/" + size).c_str(), BM_Frame, w, h);
    benchmark::RegisterBenchmark(("BM_TwoMemcpy/" + size).c_str(), BM_TwoMemcpy, w, h);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

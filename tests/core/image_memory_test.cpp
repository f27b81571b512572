// Picture files that would cost the saver its memory: a sheet whose header lies is an unreadable
// file (a live, empty surface, the saver runs on), and memory that still runs out is run-time
// error 7 through the handler, never an abort.
#include <fstream>

#include "fixture.h"
#include "gfx/surface.h"
#include "platform/common/memdc.h"

using namespace wumpets;

namespace {

class ImageMemory : public fx::Headless {};

// A 1078-byte file whose header claims 60000 x 60000 pixels at 8 bits.
void write_lying_header(const fx::fs::path& p, std::uint32_t w, std::uint32_t h) {
  std::vector<unsigned char> v(1078, 0);
  auto put32 = [&](std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(x >> (8 * i));
  };
  v[0] = 'B', v[1] = 'M';
  put32(2, 1078), put32(10, 1078), put32(14, 40), put32(18, w), put32(22, h);
  v[26] = 1, v[28] = 8;
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size()));
}

}  // namespace

TEST_F(ImageMemory, ASheetWithALyingHeaderIsAnEmptySurfaceAndTheSaverRuns) {
  write_data_folder();
  write_lying_header(dir_ / "data" / "d_wumpet1.bmp", 60000, 60000);
  write_lying_header(dir_ / "data" / "d_buffer.bmp", 526208, 1080);
  write_settings({"firstrun=1", "wumpet1=1", "wumpet2=1", "speed=60"});
  ASSERT_FALSE(run_main("/s"));
  Scene& sc = st_.scene;
  EXPECT_GT(sc.wumpetdc(1), 0);
  EXPECT_EQ(plat::dc_size(sc.wumpetdc(1)).width, 0);
  EXPECT_EQ(plat::dc_size(sc.wumpetdc(2)).width, 888) << "the good sheet beside it loads";
  // The back buffer still covers the screen, from nothing.
  EXPECT_EQ(plat::dc_size(sc.bufferdc).width, cfg_.screen_width);
  frames(5);
  EXPECT_EQ(headless::error_dialog_shows(), 0);
}

TEST_F(ImageMemory, MemoryRunningOutIsRunTimeError7AndLeavesNoSurface) {
  write_data_folder();
  const int dcs = memdc::live_dcs();
  headless::config().out_of_memory = true;
  EXPECT_EQ(GenerateDC(st_, (dir_ / "data" / "d_wumpet1.bmp").string()), 0);
  EXPECT_EQ(headless::error_dialog_title(), "Error Code: ZW- 7- System/GenerateDC");
  EXPECT_EQ(memdc::live_dcs(), dcs) << "the DC made for the picture is not left behind";
}

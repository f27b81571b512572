// The Windows back end on the real Win32 calls, in one process (so nothing depends on Wine
// drawing across processes): blits against GDI's own BitBlt, read back with GetDIBits; the
// private-profile round trip and the choice of the settings folder; registry values seeded
// with `wine reg add` (backend_tests.sh) read through the saver's rules; the preview inside a
// host window of this process; the settings dialog's controls, Tab order and default button;
// the music command strings on the system's media interface, and the saver's play list through
// the back end's media interface to a scripted device (a song under Wine never ends).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/layouts.h"
#include "host_window.h"
#include "engine/behaviours.h"
#include "engine/saver_form.h"
#include "engine/scene.h"
#include "platform/dialogs.h"
#include "platform/win32/w_backend.h"
#include "preview/preview_form.h"
#include "startup/starter.h"

#include <mmsystem.h>  // the media device's error codes (after <windows.h>)

namespace {

namespace fs = std::filesystem;

// Pixels of a bitmap, top row first, as 0x00RRGGBB.
std::vector<std::uint32_t> read_back(HBITMAP bmp, int w, int h) {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GdiFlush();
  const int rows = GetDIBits(screen, bmp, 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(rows, h);
  for (auto& p : px) p &= 0x00FFFFFFu;
  return px;
}

// What a window shows on the screen, copied out of its DC.
std::vector<std::uint32_t> read_window(HWND wnd, int w, int h) {
  HDC wdc = GetDC(wnd);
  HDC mem = CreateCompatibleDC(wdc);
  std::shared_ptr<win32::Dib> copy = win32::make_dib(w, h);
  HGDIOBJ old = SelectObject(mem, copy->bitmap);
  BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(wnd, wdc);
  return read_back(copy->bitmap, w, h);
}

// A 24-bit bottom-up bitmap file.
void write_bmp(const fs::path& path, int w, int h, const std::vector<std::uint32_t>& px) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> b(54 + static_cast<std::size_t>(stride) * h, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, static_cast<std::uint32_t>(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  b[26] = 1, b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = px[static_cast<std::size_t>(y) * w + x];
      unsigned char* p = &b[54 + static_cast<std::size_t>(h - 1 - y) * stride + x * 3];
      p[0] = c & 0xFF, p[1] = (c >> 8) & 0xFF, p[2] = (c >> 16) & 0xFF;
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

using wumpets_test::pump;  // handles the messages that arrive within ms milliseconds

class Backend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wumpets::Options options;
    win32::configure(options);
  }
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("wumpets-win32-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    remove_dir();
    fs::create_directories(dir_);
  }
  void TearDown() override { remove_dir(); }
  void remove_dir() {
    // Windows deletes no read-only file: make the one a test may leave writable first.
    SetFileAttributesA((dir_ / "windows" / "vornicade.ini").string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

// Each raster operation, with clipping at every edge, against GDI's own BitBlt of the same
// pictures: the back end blends DIB-section pixels with the core's loops, GDI is the reference.
TEST_F(Backend, BlitsMatchGdiForEachRasterOperation) {
  const int w = 24, h = 16;
  std::vector<std::uint32_t> a(w * h), b(w * h);
  for (int i = 0; i < w * h; ++i) {
    a[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i * 0x010203 + 0x204060) & 0xFFFFFF;
    b[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>((i * 37) ^ 0xA5C3E1) * 0x0101 & 0xFFFFFF;
  }
  write_bmp(dir_ / "a.bmp", w, h, a);
  write_bmp(dir_ / "b.bmp", w, h, b);
  struct Case {
    std::uint32_t rop;
    int x, y, cw, ch, sx, sy;
  };
  const Case cases[] = {
      {plat::kSrcCopy, 0, 0, w, h, 0, 0},     {plat::kSrcAnd, 3, 2, 10, 9, 5, 4},
      {plat::kSrcPaint, -4, -3, 12, 10, 0, 0}, {plat::kSrcAnd, 18, 11, 12, 10, 2, 1},
      {plat::kSrcPaint, 5, 5, 6, 4, 7, 8},    {plat::kSrcCopy, 20, -2, 9, 14, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.rop << std::dec << " at " << c.x << "," << c.y);
    auto load = [&](const char* name) {
      plat::Handle dc = plat::create_dc();
      plat::Handle bmp = plat::load_bitmap((dir_ / name).string());
      EXPECT_GT(bmp, 0);
      plat::select_bitmap(dc, bmp);
      plat::delete_bitmap(bmp);  // the DC keeps it, as GDI does
      return dc;
    };
    plat::Handle dst = load("a.bmp"), src = load("b.bmp");
    ASSERT_EQ(plat::dc_size(dst).width, w);
    plat::bitblt(dst, c.x, c.y, c.cw, c.ch, src, c.sx, c.sy, c.rop);
    std::vector<std::uint32_t> ours = read_back(win32::gdi_entry(dst, win32::GdiEntry::Dc)->dib->bitmap, w, h);

    // The same with GDI alone.
    std::shared_ptr<win32::Dib> gd = win32::read_bitmap_file((dir_ / "a.bmp").string());
    std::shared_ptr<win32::Dib> gs = win32::read_bitmap_file((dir_ / "b.bmp").string());
    HDC d = CreateCompatibleDC(nullptr), s = CreateCompatibleDC(nullptr);
    HGDIOBJ od = SelectObject(d, gd->bitmap), os = SelectObject(s, gs->bitmap);
    BitBlt(d, c.x, c.y, c.cw, c.ch, s, c.sx, c.sy, c.rop);
    SelectObject(d, od);
    SelectObject(s, os);
    DeleteDC(d);
    DeleteDC(s);
    std::vector<std::uint32_t> gdi = read_back(gd->bitmap, w, h);

    int wrong = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) wrong += ours[i] != gdi[i];
    EXPECT_EQ(wrong, 0);
    // And the operation really happened where it should (not a copy of the untouched picture).
    const int px = std::max(c.x, 0), py = std::max(c.y, 0);
    const std::uint32_t before = a[static_cast<std::size_t>(py) * w + px];
    const std::uint32_t source = b[static_cast<std::size_t>(py - c.y + c.sy) * w + (px - c.x + c.sx)];
    const std::uint32_t want = c.rop == plat::kSrcAnd ? (before & source) : c.rop == plat::kSrcPaint ? (before | source) : source;
    EXPECT_EQ(ours[static_cast<std::size_t>(py) * w + px], want);
    EXPECT_EQ(plat::delete_dc(dst), 1);
    EXPECT_EQ(plat::delete_dc(src), 1);
  }
  EXPECT_EQ(plat::delete_dc(0), 0);
  EXPECT_EQ(plat::load_bitmap((dir_ / "missing.bmp").string()), 0);
}

TEST_F(Backend, ScreenMetricsFollowTheRealDpi) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const plat::ScreenMetrics m = plat::screen_metrics();
  EXPECT_FLOAT_EQ(m.twips_per_pixel_x, 1440.0f / static_cast<float>(dpi));
  EXPECT_FLOAT_EQ(m.twips_per_pixel_y, 1440.0f / static_cast<float>(dpi));
  EXPECT_FLOAT_EQ(m.width_twips, static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * 1440.0f / static_cast<float>(dpi));
  EXPECT_FLOAT_EQ(m.height_twips, static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * 1440.0f / static_cast<float>(dpi));
  // Monitor 0 is the primary screen; the test display has that one alone.
  ASSERT_EQ(plat::monitor_count(), GetSystemMetrics(SM_CMONITORS));
  EXPECT_EQ(plat::monitor_size(0).width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(plat::monitor_size(0).height, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(plat::monitor_size(plat::monitor_count()).width, 0);
}

TEST_F(Backend, ProfileRoundTripInTheChosenFolder) {
  win32::B().settings_dir = dir_.string();
  EXPECT_TRUE(plat::profile_put("Zelkin Wumpets", "speed", "45", "vornicade.ini"));
  EXPECT_TRUE(plat::profile_put("Zelkin Wumpets", "background", " 2", "vornicade.ini"));
  const std::string long_text(200, 'x');
  EXPECT_TRUE(plat::profile_put("Zelkin Wumpets", "messagetext", long_text, "vornicade.ini"));
  EXPECT_TRUE(fs::exists(dir_ / "vornicade.ini"));
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "45");
  EXPECT_EQ(plat::profile_get("zelkin wumpets", "SPEED", "", 128, "vornicade.ini"), "45");
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "messagetext", "", 128, "vornicade.ini"), std::string(127, 'x'));
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "missing", "", 128, "vornicade.ini"), "");
  EXPECT_EQ(plat::profile_get("Other", "speed", "dflt", 128, "vornicade.ini"), "dflt");

  // A UTF-16 file with its mark, as Windows writes one: Apply keeps it UTF-16, and the system's
  // own reader reads what it wrote.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[Zelkin Wumpets]\r\nfirstrun=1\r\nspeed=33\r\n[Other]\r\nkeep=yes\r\n"))
    utf16 += std::string{c, '\0'};
  std::ofstream(dir_ / "vornicade.ini", std::ios::binary | std::ios::trunc) << utf16;
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "33");
  EXPECT_TRUE(plat::profile_put_all("Zelkin Wumpets", {{"speed", "45"}, {"hippie", "1"}}, "vornicade.ini"));
  std::ifstream in(dir_ / "vornicade.ini", std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written.substr(0, 4), std::string("\xFF\xFE[\0", 4)) << "still UTF-16 with its mark";
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "45");
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "hippie", "", 128, "vornicade.ini"), "1");
  EXPECT_EQ(plat::profile_get("Other", "keep", "", 128, "vornicade.ini"), "yes");
  win32::B().settings_dir.clear();
}

// The Windows directory where this user may write keeps the settings; one that cannot be written
// leads to the user's own folder, which starts as a copy of the shared file.
TEST_F(Backend, SettingsFolderFallsBackToThePerUserFolder) {
  const fs::path windows = dir_ / "windows", appdata = dir_ / "appdata";
  fs::create_directories(windows);
  fs::create_directories(appdata);
  EXPECT_EQ(win32::choose_settings_dir(windows.string(), appdata.string()), windows.string());
  EXPECT_FALSE(fs::exists(appdata / "Vornicade"));

  // A Windows directory that does not exist (or cannot be written) with no shared file.
  const std::string fresh = win32::choose_settings_dir((dir_ / "no-such-folder").string(), appdata.string());
  EXPECT_EQ(fresh, (appdata / "Vornicade").string());
  EXPECT_TRUE(fs::is_directory(appdata / "Vornicade"));
  fs::remove_all(appdata / "Vornicade");

  // A shared file this user may not write: the per-user file starts as its copy, and a write
  // there reads back at the next start (the next choice keeps the user's own file).
  std::ofstream(windows / "vornicade.ini") << "[Zelkin Wumpets]\r\nfirstrun=1\r\nspeed=33\r\n";
  ASSERT_TRUE(SetFileAttributesA((windows / "vornicade.ini").string().c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string mine = win32::choose_settings_dir(windows.string(), appdata.string());
  ASSERT_EQ(mine, (appdata / "Vornicade").string());
  win32::B().settings_dir = mine;
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "33");
  EXPECT_TRUE(plat::profile_put("Zelkin Wumpets", "speed", "77", "vornicade.ini"));
  EXPECT_EQ(win32::choose_settings_dir(windows.string(), appdata.string()), mine);
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "77");
  win32::B().settings_dir.clear();
}

// A Windows directory whose file this user may write but whose folder takes no new file: the
// writer needs the folder (a new file replaces the old one), so the choice is the user's own
// folder. backend_tests.sh makes the folder (WUMPETS_TEST_LOCKED_WINDIR) and locks it.
TEST_F(Backend, AWindowsDirectoryThatTakesNoNewFileLeadsToThePerUserFolder) {
  const char* locked = std::getenv("WUMPETS_TEST_LOCKED_WINDIR");
  ASSERT_NE(locked, nullptr) << "run by backend_tests.sh, which makes the folder";
  const fs::path windows = locked, appdata = dir_ / "appdata";
  fs::create_directories(appdata);
  // The model holds: the file opens for writing, a new file in the folder cannot be made.
  HANDLE f = CreateFileA((windows / "vornicade.ini").string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);
  ASSERT_FALSE(std::ofstream(windows / "new-file").is_open()) << "the folder is not locked";

  const std::string mine = win32::choose_settings_dir(windows.string(), appdata.string());
  ASSERT_EQ(mine, (appdata / "Vornicade").string());
  win32::B().settings_dir = mine;
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "33") << "a copy of the shared file";
  EXPECT_TRUE(plat::profile_put("Zelkin Wumpets", "speed", "77", "vornicade.ini"));
  EXPECT_EQ(win32::choose_settings_dir(windows.string(), appdata.string()), mine);
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "77");
  win32::B().settings_dir.clear();
}

// A settings folder given by name: every missing level is made; a read-only file there is a
// failed save that says why and stays as it was, as on Linux.
TEST_F(Backend, AGivenSettingsFolderIsMadeWholeAndItsReadOnlyFileIsRefused) {
  for (const fs::path& folder : {dir_ / "a" / "b" / "c", dir_ / "x"}) {
    for (const std::string& form : {folder.string(), folder.generic_string()}) {
      SCOPED_TRACE(form);
      win32::B().settings_dir = form;
      const plat::ProfileWrite w = plat::profile_put_all("Zelkin Wumpets", {{"speed", "45"}}, "vornicade.ini");
      EXPECT_TRUE(w.ok) << w.reason;
      EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "45");
      fs::remove_all(dir_ / "a");
    }
  }
  const fs::path ini = dir_ / "x" / "vornicade.ini";
  win32::B().settings_dir = (dir_ / "x").string();
  ASSERT_TRUE(SetFileAttributesA(ini.string().c_str(), FILE_ATTRIBUTE_READONLY));
  const plat::ProfileWrite refused = plat::profile_put_all("Zelkin Wumpets", {{"speed", "9"}}, "vornicade.ini");
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.reason, "the file is read-only");
  EXPECT_EQ(refused.path, ini.string());
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "45");
  EXPECT_TRUE(GetFileAttributesA(ini.string().c_str()) & FILE_ATTRIBUTE_READONLY) << "still read-only";
  SetFileAttributesA(ini.string().c_str(), FILE_ATTRIBUTE_NORMAL);
  win32::B().settings_dir.clear();
}

// A writer killed before its replace leaves ".vornicade.ini.XXXXXX"; the next write removes such
// leftovers, and nothing else.
TEST_F(Backend, AWriteRemovesTemporaryFilesThatAKilledWriterLeft) {
  auto put_aged = [&](const std::string& name, int seconds_old) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path) << "left over\n";
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{};
    t.LowPart = now.dwLowDateTime, t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(seconds_old) * 10000000ULL;
    const FILETIME then{t.LowPart, t.HighPart};
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &then);
    CloseHandle(h);
  };
  put_aged(".vornicade.ini.aB3xY9", 3600);  // ours, long left: removed
  put_aged(".vornicade.ini.Qw12Er", 90);    // ours, past a minute: removed
  put_aged(".vornicade.ini.Zz9Zz9", 5);     // may be a writer at work: stays
  put_aged(".vornicade.ini.abcde", 3600);   // not a name our writer makes
  put_aged(".vornicade.ini.abc-ef", 3600);
  put_aged("vornicade.ini.aB3xY9", 3600);
  put_aged(".other.ini.aB3xY9", 3600);
  std::ofstream(dir_ / "vornicade.ini") << "[Zelkin Wumpets]\r\nspeed=7\r\n";
  win32::B().settings_dir = dir_.string();
  const plat::ProfileWrite w = plat::profile_put_all("Zelkin Wumpets", {{"speed", "9"}}, "vornicade.ini");
  EXPECT_TRUE(w.ok) << w.reason;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".other.ini.aB3xY9", ".vornicade.ini.Zz9Zz9", ".vornicade.ini.abc-ef",
                                             ".vornicade.ini.abcde", "vornicade.ini", "vornicade.ini.aB3xY9"}));
  EXPECT_EQ(plat::profile_get("Zelkin Wumpets", "speed", "", 128, "vornicade.ini"), "9");
  win32::B().settings_dir.clear();
}

// Values seeded by backend_tests.sh with `wine reg add`, read through the saver's own rules.
TEST_F(Backend, RegistryValuesReadThroughTheSaversRules) {
  const std::string key = "Software\\Vornicade\\ZelkinWumpetsTest";
  struct Case {
    const char* name;
    int want;
  };
  const Case cases[] = {
      {"Text1", 1},      // REG_SZ "1": protection on
      {"Dword1", 1},     // REG_DWORD 1, read as "001"
      {"Dword2", 2},     // REG_DWORD 2: not 1, protection off
      {"Dword1234", 123},  // four digits keep their first three
      {"Text0", 0},      // REG_SZ "0"
      {"Missing", 0},    // no such value: "Not Found"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(wumpets::sys_GetRegValue(plat::kHkeyCurrentUser, key, c.name), c.want);
  }
  EXPECT_EQ(wumpets::sys_GetRegValue(plat::kHkeyCurrentUser, "Software\\No\\Such\\Key", "Text1"), 0);
  // The raw call: type and bytes as the registry holds them.
  plat::Handle k = plat::registry_open(plat::kHkeyCurrentUser, key);
  ASSERT_GT(k, 0);
  std::uint32_t type = 0;
  std::string bytes;
  EXPECT_EQ(plat::registry_query(k, "Dword1234", type, bytes, 2048), 0);
  EXPECT_EQ(type, static_cast<std::uint32_t>(REG_DWORD));
  EXPECT_EQ(bytes, std::string("\xD2\x04\x00\x00", 4));
  EXPECT_NE(plat::registry_query(k, "Missing", type, bytes, 2048), 0);
  plat::registry_close(k);
}

// The preview as the saver makes it, inside a host window of this process: a child of the host's
// client size, the dancer at the centre position, frames cycling, the rest black.
// The control panel passes no options, so the settings file's "scale" key sets the whole-pixel
// scale; a saver window then gives the scene half the screen and shows each of its pixels as a
// 2 x 2 block. Without the key (or with a bad one) the desktop's DPI decides: 1 at 96.
TEST_F(Backend, ScaleKeyGivesTheSceneHalfTheScreenInBlocksOfTwo) {
  ASSERT_EQ(win32::B().dpi, 96);
  win32::B().settings_dir = dir_.string();
  const struct {
    const char* value;
    int scale;
  } cases[] = {{"3", 3}, {"auto", 1}, {"big", 1}, {"", 1}, {"2", 2}};
  for (const auto& c : cases) {
    ASSERT_TRUE(plat::profile_put("Zelkin Wumpets", "scale", c.value, "vornicade.ini"));
    win32::B().scale = 0;
    EXPECT_EQ(win32::saver_scale(), c.scale) << c.value;
  }
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(plat::monitor_size(0).width, sw / 2);
  EXPECT_EQ(plat::monitor_size(0).height, sh / 2);
  const plat::ScreenMetrics m = plat::screen_metrics();
  EXPECT_FLOAT_EQ(m.twips_per_pixel_x, 30.0f);  // a pixel of the scene is two of the screen's
  EXPECT_FLOAT_EQ(m.width_twips, static_cast<float>(sw / 2) * 30.0f);

  struct Quiet : plat::WindowEvents {
  } events;
  const plat::Handle wnd = plat::window_create(plat::WindowKind::Saver, &events, 0);
  ASSERT_GT(wnd, 0);
  EXPECT_EQ(plat::dc_size(plat::window_dc(wnd)).width, sw / 2);
  plat::window_show(wnd);
  const int w = 9, h = 7;
  std::vector<std::uint32_t> px(w * h);
  for (int i = 0; i < w * h; ++i) px[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i * 0x030507 + 0x102030) & 0xFFFFFF;
  write_bmp(dir_ / "p.bmp", w, h, px);
  plat::Handle dc = plat::create_dc();
  const plat::Handle bmp = plat::load_bitmap((dir_ / "p.bmp").string());
  plat::select_bitmap(dc, bmp);
  plat::delete_bitmap(bmp);
  plat::bitblt(plat::window_dc(wnd), 5, 3, w, h, dc, 0, 0, plat::kSrcCopy);
  plat::window_refresh(wnd);
  pump(100);
  const int rw = 2 * (5 + w + 2), rh = 2 * (3 + h + 2);
  const std::vector<std::uint32_t> shown = read_window(win32::hwnd_of(wnd), rw, rh);
  int wrong = 0;
  for (int y = 0; y < rh; ++y)
    for (int x = 0; x < rw; ++x) {
      const int ix = x / 2 - 5, iy = y / 2 - 3;
      const std::uint32_t want = ix >= 0 && ix < w && iy >= 0 && iy < h ? px[static_cast<std::size_t>(iy) * w + ix] : 0;
      wrong += shown[static_cast<std::size_t>(y) * rw + x] != want;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(plat::delete_dc(dc), 1);

  // The label is placed in the scene's pixels: its size is half its drawn size, rounded up.
  plat::LabelStyle style;
  const plat::Handle label = plat::label_create(wnd, style);
  ASSERT_GT(label, 0);
  plat::label_set_caption(label, "Dance");
  const plat::Size size = plat::label_size(label);
  const win32::Label& drawn = win32::B().labels[static_cast<std::size_t>(label)];
  EXPECT_EQ(size.width, (drawn.size.cx + 1) / 2);
  EXPECT_EQ(size.height, (drawn.size.cy + 1) / 2);
  EXPECT_GE(drawn.size.cy, 30);  // 12 points at twice 96 dpi

  win32::B().labels[static_cast<std::size_t>(label)] = win32::Label{};
  plat::window_unload(wnd);
  pump(50);
  win32::B().settings_dir.clear();
  win32::B().scale = 0;
}

TEST_F(Backend, PreviewChildShowsTheDancerInTheHost) {
  HWND host = wumpets_test::make_host_window("Display Properties test", 40, 40);
  ASSERT_NE(host, nullptr);
  pump(200);

  static wumpets::Starter st;  // the preview lives until the process ends, as in the program
  st.datadir = WUMPETS_TEST_DATA_DIR;
  st.cmdline = "/p " + std::to_string(win32::handle_of(host));
  st.rng.seed_exactly(3);
  wumpets::Run_Preview(st);
  ASSERT_NE(st.preview, nullptr);
  HWND child = GetWindow(host, GW_CHILD);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child, win32::hwnd_of(st.preview->window));
  EXPECT_EQ(GetParent(child), host);
  EXPECT_TRUE(GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(child));
  RECT rc{};
  GetClientRect(child, &rc);
  EXPECT_EQ(rc.right, 152);
  EXPECT_EQ(rc.bottom, 112);
  EXPECT_NE(GetForegroundWindow(), child);  // the preview never takes the focus

  pump(500);  // several 70 ms ticks
  const int d = st.scene.previewwumpet;
  const wumpets::Sprite& s = st.scene.wumpets(d);
  EXPECT_EQ(s.x, 20);  // 76 - 55.5 rounds to even
  EXPECT_EQ(s.y, 5);
  EXPECT_GT(s.frame, -1);
  std::vector<std::uint32_t> shown = read_window(child, 152, 112);
  std::shared_ptr<win32::Dib> sheet = win32::read_bitmap_file(std::string(WUMPETS_TEST_DATA_DIR) + "d_wumpet" +
                                                              std::to_string(d) + ".bmp");
  ASSERT_NE(sheet, nullptr);
  int wrong = 0, outside = 0;
  for (int y = 0; y < 112; ++y)
    for (int x = 0; x < 152; ++x) {
      const std::uint32_t p = shown[static_cast<std::size_t>(y) * 152 + x];
      const int fx = x - 20, fy = y - 5;
      if (fx >= 0 && fx < 111 && fy >= 0 && fy < 102) {
        wrong += p != sheet->pixels.at(s.frame * 111 + fx, fy);
      } else {
        outside += p != 0;
      }
    }
  EXPECT_EQ(wrong, 0) << "frame " << s.frame;
  EXPECT_EQ(outside, 0);
}

// The settings dialog at 96 DPI: every control where its twips say, the Tab order as numbered,
// "&Apply Changes" the default button.
TEST_F(Backend, SettingsDialogControlsTabOrderAndDefaultButton) {
  struct Quiet final : plat::DialogEvents {
    void on_control(plat::Handle, int, int, const std::string&) override {}
    void on_close_request(plat::Handle) override {}
  } events;
  const plat::DialogSpec& layout = wumpets::configuration_layout();
  plat::Handle h = plat::dialog_create(layout, &events);
  ASSERT_NE(h, 0);
  HWND dlg = win32::hwnd_of(h);
  plat::dialog_show(h);
  pump(100);
  ASSERT_EQ(win32::B().dpi, 96);
  RECT client{};
  GetClientRect(dlg, &client);
  EXPECT_EQ(client.right, 471);
  EXPECT_EQ(client.bottom, 410);

  const win32::Dialog* d = nullptr;
  for (const auto& p : win32::B().dialogs)
    if (p->hwnd == dlg) d = p.get();
  ASSERT_NE(d, nullptr);
  auto px = [](int twips) { return (twips + 7) / 15; };
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const plat::ControlSpec& c = layout.controls[i];
    HWND w = d->controls[i];
    if (c.kind == plat::ControlKind::Image && !c.visible) {
      EXPECT_EQ(w, nullptr) << c.name;
      continue;
    }
    ASSERT_NE(w, nullptr) << c.name;
    int left = c.left, top = c.top;
    for (int p = c.parent; p >= 0; p = layout.controls[static_cast<std::size_t>(p)].parent) {
      left += layout.controls[static_cast<std::size_t>(p)].left;
      top += layout.controls[static_cast<std::size_t>(p)].top;
    }
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, px(left)) << c.name;
    EXPECT_EQ(r.top, px(top)) << c.name;
    EXPECT_EQ(r.right - r.left, px(c.width)) << c.name;
    EXPECT_EQ(r.bottom - r.top, px(c.height)) << c.name;
  }

  // Tab order: the focusable controls by their numbers, once round and back to the first.
  std::vector<std::pair<int, int>> want;  // (tab, index)
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const plat::ControlSpec& c = layout.controls[i];
    const bool focusable = c.kind == plat::ControlKind::CheckBox || c.kind == plat::ControlKind::OptionButton ||
                           c.kind == plat::ControlKind::PushButton || c.kind == plat::ControlKind::HScrollBar ||
                           c.kind == plat::ControlKind::TextBox || c.kind == plat::ControlKind::PictureBox;
    if (focusable && c.tab >= 0 && c.visible) want.emplace_back(c.tab, static_cast<int>(i));
  }
  std::sort(want.begin(), want.end());
  std::vector<std::string> got_names, want_names;
  for (auto& [tab, i] : want) want_names.push_back(layout.controls[static_cast<std::size_t>(i)].name);
  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  HWND at = first;
  for (std::size_t n = 0; at && n < want.size() + 1; ++n) {
    const int i = GetDlgCtrlID(at) - 100;
    got_names.push_back(i >= 0 && i < static_cast<int>(layout.controls.size()) ? layout.controls[static_cast<std::size_t>(i)].name : "?");
    at = GetNextDlgTabItem(dlg, at, FALSE);
    if (at == first) break;
  }
  EXPECT_EQ(got_names, want_names);
  EXPECT_EQ(got_names.front(), "cmdOK");

  // Enter presses "&Apply Changes".
  const LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
  EXPECT_EQ(HIWORD(def), DC_HASDEFID);
  EXPECT_EQ(static_cast<int>(LOWORD(def)) - 100, wumpets::cfg::cmdOK);
  EXPECT_EQ(GetWindowLongPtrA(d->controls[wumpets::cfg::cmdOK], GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  plat::dialog_destroy(h);
}

// The music command strings go to the system's media interface as the saver writes them. Under
// Wine there is no MIDI synthesiser, so a song never reaches "stopped"; real Windows plays it.
// Every monitor's view has its frame timer, plus the music timer and the preview's: all tick.
// (The table once held two timers a scene for eight scenes: from the eighth monitor on, scenes
// froze.)
TEST_F(Backend, EveryMonitorsFrameTimerTicks) {
  struct Counter : plat::TimerEvents {
    std::map<plat::Handle, int> ticks;
    void on_timer(plat::Handle timer) override { ++ticks[timer]; }
  } counter;
  std::vector<plat::Handle> timers;
  for (int n = 0; n < plat::kMaxMonitors + 2; ++n) {
    const plat::Handle t = plat::timer_create(&counter);
    ASSERT_GT(t, 0) << "timer " << n;
    plat::timer_set_interval(t, 20);
    plat::timer_enable(t, true);
    timers.push_back(t);
  }
  pump(400);
  for (plat::Handle t : timers) {
    EXPECT_GT(counter.ticks[t], 2) << "timer " << t;
    plat::timer_enable(t, false);
    win32::B().timers[static_cast<std::size_t>(t)] = win32::Timer{};  // free for the next tests
  }
}

TEST_F(Backend, MusicCommandsOnTheMediaInterface) {
  std::string reply;
  reply.reserve(255);
  const std::string song = std::string(WUMPETS_TEST_DATA_DIR) + "d_1.Mid";
  EXPECT_EQ(plat::media_command("open \"" + song + "\" type sequencer alias song1", reply, 255), 0);
  EXPECT_EQ(plat::media_command("play song1 from 0", reply, 255), 0);
  EXPECT_EQ(plat::media_command("status song1 mode", reply, 255), 0);
  EXPECT_EQ(reply.substr(0, 7), "playing");
  EXPECT_EQ(plat::media_command("stop song1", reply, 255), 0);
  EXPECT_EQ(plat::media_command("status song1 mode", reply, 255), 0);
  EXPECT_EQ(reply.substr(0, 7), "stopped");
  EXPECT_EQ(plat::media_command("close song1", reply, 255), 0);
  // A song closed, or never opened, gives no reply and an error.
  reply = "x";
  EXPECT_NE(plat::media_command("status song1 mode", reply, 255), 0);
  EXPECT_EQ(reply, "");
  // A missing file is found out when it is played.
  const std::string missing = std::string(WUMPETS_TEST_DATA_DIR) + "d_9.Mid";
  plat::media_command("open \"" + missing + "\" type sequencer alias song5", reply, 255);
  EXPECT_NE(plat::media_command("play song5 from 0", reply, 255), 0);
  plat::media_command("close song5", reply, 255);
  // A file larger than any song is refused before the device reads it; one byte less is not.
  const fs::path big = dir_ / "big.Mid";
  {
    std::ofstream out(big, std::ios::binary);
    out << std::ifstream(song, std::ios::binary).rdbuf();
  }
  fs::resize_file(big, plat::kMaxSongBytes + 1);
  EXPECT_EQ(plat::media_command("open \"" + big.string() + "\" type sequencer alias song2", reply, 255),
            plat::kMciInvalidFile);
  EXPECT_NE(plat::media_command("status song2 mode", reply, 255), 0) << "the big song was opened";
  fs::resize_file(big, plat::kMaxSongBytes);
  EXPECT_EQ(plat::media_command("open \"" + big.string() + "\" type sequencer alias song2", reply, 255), 0);
  plat::media_command("close song2", reply, 255);
}

// A scripted media device behind the back end's media interface: it records every command with
// the reply size it was given, knows the songs opened by their aliases, and answers a state
// question with "playing" until the song's scripted length (in music-timer ticks) has passed
// since it was played, then "stopped". Playing a song whose file is missing fails.
struct ScriptedDevice {
  struct Song {
    std::string file;
    int length = 1;       // ticks
    int started = -1;     // tick of the last play; -1: not playing since opened or stopped
  };
  std::vector<std::string> commands;
  std::vector<unsigned> reply_sizes;
  std::map<std::string, Song> open;  // by alias
  std::map<std::string, int> lengths;  // by alias, set by the test
  int now = 0;                         // the music-timer tick

  static ScriptedDevice& get() {
    static ScriptedDevice d;
    return d;
  }
  static std::uint32_t send(const char* command, char* reply, unsigned size) {
    ScriptedDevice& d = get();
    d.commands.emplace_back(command);
    d.reply_sizes.push_back(size);
    auto answer = [&](const char* text) { std::snprintf(reply, size, "%s", text); };
    std::istringstream in(command);
    std::string verb, alias;
    in >> verb >> alias;
    if (verb == "open") {
      const std::string c = command;
      const std::size_t q1 = c.find('"'), q2 = c.find('"', q1 + 1), at = c.rfind(" alias ");
      if (q1 == std::string::npos || q2 == std::string::npos || at == std::string::npos) return MCIERR_UNRECOGNIZED_COMMAND;
      Song& song = d.open[c.substr(at + 7)];
      song.file = c.substr(q1 + 1, q2 - q1 - 1);
      song.length = d.lengths.count(c.substr(at + 7)) ? d.lengths[c.substr(at + 7)] : 1;
      return 0;
    }
    auto it = d.open.find(alias);
    if (it == d.open.end()) return MCIERR_INVALID_DEVICE_NAME;  // no reply at all
    Song& song = it->second;
    if (verb == "play") {
      if (GetFileAttributesA(song.file.c_str()) == INVALID_FILE_ATTRIBUTES) return MCIERR_FILE_NOT_FOUND;
      song.started = d.now;
    } else if (verb == "status") {
      answer(song.started >= 0 && d.now - song.started < song.length ? "playing" : "stopped");
    } else if (verb == "stop") {
      song.started = -1;
    } else if (verb == "close") {
      d.open.erase(it);
    } else {
      return MCIERR_UNRECOGNIZED_COMMAND;
    }
    return 0;
  }
};

struct ProcessEnded {};

// The play list on the Win32 back end's media interface, the scripted device behind it: the
// songs chosen are opened with their file paths and aliases, played in turn as each is found
// stopped by the music timer's poll, and the shutdown stops the one playing and closes those
// open. A song whose file is missing ends the saver when its turn comes.
TEST_F(Backend, PlayListCommandsThroughTheMediaInterface) {
  const std::string data = dir_.string() + "\\";
  for (int n : {1, 4}) std::ofstream(dir_ / ("d_" + std::to_string(n) + ".Mid")) << "MThd";
  auto open = [&](int n) {
    return "open \"" + data + "d_" + std::to_string(n) + ".Mid\" type sequencer alias song" + std::to_string(n);
  };
  auto unopened = [](int n) {
    const std::string s = "status song" + std::to_string(n) + " mode";
    return std::vector<std::string>{s, s};
  };
  auto stops = [](int n, bool playing) {
    const std::string s = "status song" + std::to_string(n) + " mode", k = std::to_string(n);
    return playing ? std::vector<std::string>{s, "stop song" + k, s, "close song" + k}
                   : std::vector<std::string>{s, s, "close song" + k};
  };
  auto join = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  struct Case {
    const char* name;
    std::vector<int> chosen;
    std::map<std::string, int> lengths;  // ticks
    int ticks;                           // music-timer ticks before the user ends the saver
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"songs 1 and 4 in turn: 1, 4, 1",
       {1, 4},
       {{"song1", 2}, {"song4", 1}},
       4,
       join({{open(1), open(4), "play song1 from 0"},
             {"status song1 mode"},                        // tick 1: playing
             {"status song1 mode", "play song4 from 0"},   // tick 2: stopped, the next chosen
             {"status song4 mode", "play song1 from 0"},   // tick 3: stopped, round to the first
             {"status song1 mode"},                        // tick 4: playing
             unopened(0), stops(1, true), unopened(2), unopened(3), stops(4, false), unopened(5)})},
      {"one song comes round to itself",
       {4},
       {{"song4", 1}},
       2,
       join({{open(4), "play song4 from 0"},
             {"status song4 mode", "play song4 from 0"},
             {"status song4 mode", "play song4 from 0"},
             unopened(0), unopened(1), unopened(2), unopened(3), stops(4, true), unopened(5)})},
      {"a missing song ends the saver at its turn",
       {1, 3},
       {{"song1", 1}},
       5,
       join({{open(1), open(3), "play song1 from 0"},
             {"status song1 mode", "play song3 from 0"},  // tick 1: the play fails
             unopened(0), stops(1, false), unopened(2), stops(3, false), unopened(4), unopened(5)})},
  };

  struct Seams {  // in place for this test only, even when a check stops it early
    Seams() {
      win32::B().media_device = &ScriptedDevice::send;
      win32::B().process_end = [] { throw ProcessEnded{}; };
    }
    ~Seams() {
      win32::B().media_device = nullptr;
      win32::B().process_end = nullptr;
    }
  } seams;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDevice& device = ScriptedDevice::get();
    device = ScriptedDevice{};
    device.lengths = c.lengths;
    wumpets::Starter st;
    st.runmode = wumpets::kModeSaver;
    st.datadir = data;
    for (int n : c.chosen) st.scene.musicchoice(n) = -1;
    wumpets::SaverForm f(st, st.scene, st.rng, 1);
    f.mcireturn.reserve(256);
    f.mcicommand.reserve(256);
    f.musictimer = plat::timer_create(&f);
    ASSERT_GT(f.musictimer, 0);
    bool ended = false;
    try {
      wumpets::start_music(f);
      EXPECT_TRUE(plat::timer_enabled(f.musictimer));
      for (int t = 1; t <= c.ticks; ++t) {
        device.now = t;  // ten seconds later
        wumpets::MusicTimer_Timer(f);
      }
      wumpets::X_Cleanup_and_end(st);  // the user ends the saver
    } catch (const ProcessEnded&) {
      ended = true;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(device.commands, c.expected);
    EXPECT_TRUE(device.open.empty()) << "songs left open";
    EXPECT_EQ(device.reply_sizes, std::vector<unsigned>(device.commands.size(), 255u));
    plat::timer_enable(f.musictimer, false);
  }
}

}  // namespace

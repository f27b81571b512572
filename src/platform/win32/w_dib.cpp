#include "platform/win32/w_dib.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/common/bmp_check.h"
#include "platform/win32/w_text.h"

namespace win32 {

Dib::~Dib() {
  if (bitmap) DeleteObject(bitmap);
}

std::shared_ptr<Dib> make_dib(int width, int height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down: row 0 first, as the core's buffers are
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return nullptr;
  auto dib = std::make_shared<Dib>();
  dib->bitmap = bmp;
  // 32-bit BI_RGB pixels are 0x00RRGGBB in memory order B, G, R, 0: the core's own format.
  dib->pixels = wumpets::PixelBuffer::borrowed(static_cast<std::uint32_t*>(bits), width, height, width);
  return dib;
}

namespace {

// Reads the file's first `limit` bytes (all of it when limit is 0); its whole size in `size`.
bool read_file(const std::string& path, std::vector<unsigned char>& out, std::uint64_t& size, std::size_t limit) {
  HANDLE f = CreateFileW(wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER whole{};
  bool ok = GetFileSizeEx(f, &whole) && whole.QuadPart > 0;
  if (ok) {
    size = static_cast<std::uint64_t>(whole.QuadPart);
    const std::uint64_t want = limit == 0 ? size : std::min<std::uint64_t>(size, limit);
    ok = want < (1ull << 31);
    if (ok) {
      out.resize(static_cast<std::size_t>(want));
      DWORD n = 0;
      ok = ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &n, nullptr) && n == out.size();
    }
  }
  CloseHandle(f);
  return ok;
}

BITMAPINFO info_32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

}  // namespace

std::shared_ptr<Dib> read_bitmap_file(const std::string& path) {
  // The portable check on the head alone: a header that lies about the picture, or a file
  // larger than any picture could be, is refused before the file is read or GDI sees it.
  std::vector<unsigned char> bytes;
  std::uint64_t size = 0;
  if (!read_file(path, bytes, size, bmp::kHeadBytes)) return nullptr;
  bmp::Info info;
  const std::uint64_t limit =
      bmp::pixel_limit(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  if (!bmp::check(bytes.data(), bytes.size(), size, limit, info)) return nullptr;
  std::shared_ptr<Dib> dib;
  HDC screen = GetDC(nullptr);
  if (!info.top_down) {
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageW(nullptr, wide_path(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
    if (loaded) {
      BITMAP info{};
      GetObjectA(loaded, sizeof info, &info);
      const int height = std::abs(info.bmHeight);
      dib = make_dib(info.bmWidth, height);
      BITMAPINFO bi = info_32(info.bmWidth, height);
      if (dib && GetDIBits(screen, loaded, 0, static_cast<UINT>(height), dib->pixels.row(0), &bi, DIB_RGB_COLORS) <= 0)
        dib = nullptr;
      DeleteObject(loaded);
    }
  } else {
    // Top-down files: LoadImageA of some systems (Wine) gives them black; the file's own header
    // and bits go to SetDIBits, which reads every uncompressed depth in either row order. The
    // whole file is read now that its size is known to be that of a picture within the bound.
    if (read_file(path, bytes, size, 0)) {
      const auto* bmi = reinterpret_cast<const BITMAPINFO*>(bytes.data() + 14);
      const std::uint32_t bits_at = static_cast<std::uint32_t>(bytes[10] | bytes[11] << 8 | bytes[12] << 16) |
                                    static_cast<std::uint32_t>(bytes[13]) << 24;
      dib = make_dib(info.width, info.height);
      if (dib && SetDIBits(screen, dib->bitmap, 0, static_cast<UINT>(info.height), bytes.data() + bits_at, bmi,
                           DIB_RGB_COLORS) <= 0)
        dib = nullptr;
    }
  }
  ReleaseDC(nullptr, screen);
  if (dib) {
    GdiFlush();
    // GDI leaves the fourth byte undefined; the core's pixels keep it 0.
    for (int y = 0; y < dib->pixels.height; ++y) {
      std::uint32_t* row = dib->pixels.row(y);
      for (int x = 0; x < dib->pixels.width; ++x) row[x] &= 0x00FFFFFFu;
    }
  }
  return dib;
}

}  // namespace win32

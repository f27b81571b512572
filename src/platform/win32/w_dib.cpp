#include "platform/win32/w_dib.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/common/bmp_check.h"

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

std::uint32_t u16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t u32(const std::vector<unsigned char>& b, std::size_t at) {
  return u16(b, at) | u16(b, at + 2) << 16;
}

// What a bitmap file says of itself, checked against the file's length before GDI reads it:
// a cut or corrupted file is refused rather than shown as whatever GDI makes of it.
struct BitmapHeader {
  bool ok = false;
  bool top_down = false;
  std::size_t info_at = 14, bits_at = 0;
};

BitmapHeader check_header(const std::vector<unsigned char>& b) {
  BitmapHeader h;
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return h;
  const std::uint32_t info_size = u32(b, 14);
  h.bits_at = u32(b, 10);
  std::int64_t width = 0, height = 0;
  std::uint32_t planes = 0, bpp = 0, compression = 0, image_size = 0;
  if (info_size == 12) {  // the old OS/2 header: 16-bit sizes
    width = u16(b, 18);
    height = u16(b, 20);
    planes = u16(b, 22);
    bpp = u16(b, 24);
  } else if (info_size >= 40 && info_size <= 124 && b.size() >= 14 + 40) {
    width = static_cast<std::int32_t>(u32(b, 18));
    height = static_cast<std::int32_t>(u32(b, 22));
    planes = u16(b, 26);
    bpp = u16(b, 28);
    compression = u32(b, 30);
    image_size = u32(b, 34);
  } else {
    return h;
  }
  h.top_down = height < 0;
  height = height < 0 ? -height : height;
  if (width < 1 || height < 1 || width > 32768 || height > 32768 || planes != 1) return h;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return h;
  if (14 + info_size > b.size() || h.bits_at >= b.size() || h.bits_at < 14 + info_size) return h;
  const std::uint64_t available = b.size() - h.bits_at;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bpp + 31) / 32) * 4;
  switch (compression) {
    case BI_RGB:
    case BI_BITFIELDS:
      if (compression == BI_BITFIELDS && bpp != 16 && bpp != 32) return h;
      if (stride * static_cast<std::uint64_t>(height) > available) return h;
      break;
    case BI_RLE8:
    case BI_RLE4:
      if (h.top_down || bpp != (compression == BI_RLE8 ? 8u : 4u) || image_size > available) return h;
      break;
    default:
      return h;
  }
  h.ok = true;
  return h;
}

bool read_file(const std::string& path, std::vector<unsigned char>& out) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30);
  if (ok) {
    out.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD n = 0;
    ok = ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &n, nullptr) && n == out.size();
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
  std::vector<unsigned char> bytes;
  if (!read_file(path, bytes)) return nullptr;
  // The portable check first: a header that lies about the picture's size never reaches GDI.
  bmp::Info info;
  const std::uint64_t limit =
      bmp::pixel_limit(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  if (!bmp::check(bytes.data(), std::min(bytes.size(), bmp::kHeadBytes), bytes.size(), limit, info)) return nullptr;
  const BitmapHeader header = check_header(bytes);
  if (!header.ok) return nullptr;
  std::shared_ptr<Dib> dib;
  HDC screen = GetDC(nullptr);
  if (!header.top_down) {
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
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
    // and bits go to SetDIBits, which reads every uncompressed depth in either row order.
    const auto* bmi = reinterpret_cast<const BITMAPINFO*>(bytes.data() + header.info_at);
    const int width = bmi->bmiHeader.biWidth, height = -bmi->bmiHeader.biHeight;
    dib = make_dib(width, height);
    if (dib && SetDIBits(screen, dib->bitmap, 0, static_cast<UINT>(height), bytes.data() + header.bits_at, bmi,
                         DIB_RGB_COLORS) <= 0)
      dib = nullptr;
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

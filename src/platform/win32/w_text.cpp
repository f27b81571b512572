#include "platform/win32/w_text.h"

namespace win32 {

namespace {

int converted_length(const std::string& text, UINT& page) {
  page = CP_UTF8;
  int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n == 0 && !text.empty()) {
    page = CP_ACP;
    n = MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  }
  return n;
}

}  // namespace

std::wstring wide_path(const std::string& text) {
  UINT page = CP_UTF8;
  const int n = converted_length(text, page);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool wide_path_into(const std::string& text, wchar_t* out, int capacity) {
  UINT page = CP_UTF8;
  const int n = converted_length(text, page);
  if (n + 1 > capacity) return false;
  if (n > 0) MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()), out, n);
  out[n] = L'\0';
  return true;
}

std::string utf8(const wchar_t* text, int length) {
  if (!text) return "";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();  // the terminator came along
  return out;
}

std::wstring wide_ansi(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string ansi(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace win32

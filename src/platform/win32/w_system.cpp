// System services on Windows: set-up, the command line, the instance test, the settings file and
// the folders, the OS family and the registry, the saver-running state and the 95 family's
// password calls, the media command strings, web pages and the end of the process.
// Called by the program's entry (configure) and the core's start-up, settings, input and shutdown.
#include "platform/win32/w_backend.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cwchar>

#include "platform/posix/profile_file.h"
#include "platform/win32/w_text.h"

namespace win32 {

Backend& B() {
  static Backend b;
  return b;
}

namespace {

std::string with_backslash(std::string dir) {
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

bool is_folder(const std::string& path) {
  const DWORD a = GetFileAttributesW(wide_path(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_file(const std::string& path) {
  const DWORD a = GetFileAttributesW(wide_path(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether this user may save the settings in a folder, tested as the writer works: it makes a
// new file in the folder that then replaces the old one, so the folder must take a new file
// (one is made and deleted again at once), and an existing file must be one we may write.
bool can_write_settings(const std::string& dir) {
  const std::string file = with_backslash(dir) + "vornicade.ini";
  // A read-only file is refused to every user, administrators too.
  if (is_file(file)) {
    if (GetFileAttributesW(wide_path(file).c_str()) & FILE_ATTRIBUTE_READONLY) return false;
    HANDLE f = CreateFileW(wide_path(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
  }
  const std::string probe = with_backslash(dir) + "vornicade.ini.probe" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileW(wide_path(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::string real_windows_directory() {
  std::array<wchar_t, MAX_PATH + 1> buf{};
  const UINT n = GetWindowsDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
  return n > 0 && n < buf.size() ? utf8(buf.data(), static_cast<int>(n)) : std::string("C:\\Windows");
}

// A variable of the environment, in full (the C runtime's copy holds the ANSI code page only).
std::string env(const wchar_t* name) {
  std::array<wchar_t, 32768> buf{};
  const DWORD n = GetEnvironmentVariableW(name, buf.data(), static_cast<DWORD>(buf.size()));
  return n > 0 && n < buf.size() ? utf8(buf.data(), static_cast<int>(n)) : std::string();
}

}  // namespace

std::string choose_settings_dir(const std::string& windows_dir, const std::string& appdata) {
  // The settings file belongs in the Windows directory. Where a standard user may not write
  // there (any NT-family Windows since Vista; a 64-bit program is not redirected), the dialog's
  // Apply would write nothing and the next start would silently read the old settings: use the
  // user's own folder, starting from a copy of the Windows-directory file.
  if (can_write_settings(windows_dir) || appdata.empty()) return windows_dir;
  const std::string mine = with_backslash(appdata) + "Vornicade";
  CreateDirectoryW(wide_path(mine).c_str(), nullptr);
  const std::string shared = with_backslash(windows_dir) + "vornicade.ini";
  const std::string own = with_backslash(mine) + "vornicade.ini";
  // The copy is the user's to write, whatever attributes the shared file has.
  if (!is_file(own) && is_file(shared) && CopyFileW(wide_path(shared).c_str(), wide_path(own).c_str(), TRUE))
    SetFileAttributesW(wide_path(own).c_str(), FILE_ATTRIBUTE_NORMAL);
  return mine;
}

void configure(const wumpets::Options& options) {
  Backend& b = B();
  b.options = options;
  b.instance = GetModuleHandleA(nullptr);
  std::array<wchar_t, 32768> exe{};
  const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  const std::string path = utf8(exe.data(), static_cast<int>(n));
  const std::size_t slash = path.find_last_of("\\/");
  b.program_dir = slash == std::string::npos ? ".\\" : path.substr(0, slash + 1);
  HDC screen = GetDC(nullptr);
  b.dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  if (b.dpi < 48) b.dpi = 96;
}

}  // namespace win32

namespace plat {

using win32::B;

std::string command_line() {
  // The arguments after the program's path, as passed: the switch search reads what is left once
  // our own options are taken out.
  const wchar_t* raw = GetCommandLineW();
  std::string text = win32::utf8(raw);
  std::size_t i = 0;
  if (!text.empty() && text[0] == '"') {
    i = text.find('"', 1);
    i = i == std::string::npos ? text.size() : i + 1;
  } else {
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
  }
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return wumpets::mode_arguments(text.substr(i), B().options);
}

// Another full-screen saver of this session. Only a full-screen start asks, and it then holds the
// mark (a named object that goes with its process), so a preview, a settings dialog or a saver in
// an ordinary window never stands in the way of the Preview button's "/s".
bool previous_instance() {
  HANDLE mark = CreateMutexA(nullptr, FALSE, "ZelkinWumpets.Saver");
  const bool another = mark && GetLastError() == ERROR_ALREADY_EXISTS;
  if (mark && (another || B().options.window)) CloseHandle(mark);
  return another;
}

Handle find_window(const std::string& title) { return win32::handle_of(FindWindowA(nullptr, title.c_str())); }

std::int32_t os_platform_id() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return 0;
#pragma GCC diagnostic pop
  return static_cast<std::int32_t>(info.dwPlatformId);
}

std::string windows_directory() {
  if (B().settings_dir.empty()) {
    const auto& o = B().options;
    if (!o.config_dir.empty()) {
      B().settings_dir = o.config_dir;
    } else {
      B().settings_dir = win32::choose_settings_dir(win32::real_windows_directory(), win32::env(L"APPDATA"));
    }
  }
  return B().settings_dir;
}

char path_separator() { return '\\'; }

namespace {
std::string settings_path(const std::string& file) { return win32::with_backslash(windows_directory()) + file; }
}  // namespace

std::string profile_get(const std::string& section, const std::string& key, const std::string& def, int size,
                        const std::string& file) {
  if (size < 1) return "";
  // The file by its wide name; keys and values are text of the ANSI code page.
  std::vector<wchar_t> buf(static_cast<std::size_t>(size), L'\0');
  const DWORD n = GetPrivateProfileStringW(win32::wide_ansi(section).c_str(), win32::wide_ansi(key).c_str(),
                                           win32::wide_ansi(def).c_str(), buf.data(), static_cast<DWORD>(size),
                                           win32::wide_path(settings_path(file)).c_str());
  std::string value = win32::ansi(std::wstring(buf.data(), n));
  if (value.size() > static_cast<std::size_t>(size - 1)) value.resize(static_cast<std::size_t>(size - 1));
  return value;
}

ProfileWrite profile_put(const std::string& section, const std::string& key, const std::string& value,
                         const std::string& file) {
  return profile_put_all(section, {{key, value}}, file);
}

// The same one-change writer as everywhere (w_profile_file.cpp): a fresh file beside the old one
// that then replaces it; a failure leaves the old file whole, no temporary file, and a reason.
ProfileWrite profile_put_all(const std::string& section, const ProfileEntries& entries, const std::string& file) {
  return profile::write_reported(settings_path(file), section, entries);
}

std::string data_directory() {
  const auto& o = B().options;
  if (!o.data_dir.empty()) return o.data_dir;
  // A portable copy keeps its pictures and songs in data\ beside the program.
  const std::string local = B().program_dir + "data\\";
  if (win32::is_folder(local)) return local;
  return win32::with_backslash(win32::real_windows_directory()) + "Vornicade\\Zelkin Wumpets\\";
}

Handle registry_open(std::uint32_t root, const std::string& subkey) {
  HKEY base = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(root)));
  HKEY key = nullptr;
  if (RegOpenKeyExA(base, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  for (std::size_t i = 1; i < win32::B().keys.size(); ++i) {
    if (!win32::B().keys[i]) {
      win32::B().keys[i] = key;
      return static_cast<Handle>(i);
    }
  }
  RegCloseKey(key);
  return 0;
}

std::int32_t registry_query(Handle key, const std::string& name, std::uint32_t& type, std::string& bytes,
                            std::uint32_t size) {
  if (key <= 0 || static_cast<std::size_t>(key) >= win32::B().keys.size() || !win32::B().keys[static_cast<std::size_t>(key)])
    return ERROR_INVALID_HANDLE;
  std::vector<BYTE> buf(size, ' ');
  DWORD t = 0, len = size;
  const LONG status = RegQueryValueExA(win32::B().keys[static_cast<std::size_t>(key)], name.c_str(), nullptr, &t,
                                       buf.data(), &len);
  if (status == ERROR_SUCCESS) {
    type = t;
    bytes.assign(reinterpret_cast<const char*>(buf.data()), std::min<DWORD>(len, size));
  }
  return static_cast<std::int32_t>(status);
}

void registry_close(Handle key) {
  if (key <= 0 || static_cast<std::size_t>(key) >= win32::B().keys.size()) return;
  HKEY& k = win32::B().keys[static_cast<std::size_t>(key)];
  if (k) RegCloseKey(k);
  k = nullptr;
}

void set_saver_running(bool running) {
  BOOL old = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &old, 0);
}

bool verify_saver_password(Handle wnd) {
  // The 95 family's password control-panel module; where there is none, nothing to ask.
  using Verify = BOOL(WINAPI*)(HWND);
  HMODULE cpl = LoadLibraryA("password.cpl");
  if (!cpl) return true;
  auto verify = reinterpret_cast<Verify>(reinterpret_cast<void*>(GetProcAddress(cpl, "VerifyScreenSavePwd")));
  const bool accepted = verify ? verify(win32::hwnd_of(wnd)) != FALSE : true;
  FreeLibrary(cpl);
  return accepted;
}

void change_saver_password(std::int32_t parent) {
  using Change = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  HMODULE mpr = LoadLibraryA("mpr.dll");
  if (!mpr) return;
  if (auto change = reinterpret_cast<Change>(reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA"))))
    change("SCRSAVE", win32::hwnd_of(parent), 0, nullptr);
  FreeLibrary(mpr);
}

namespace {

// An "open" of a song file larger than any song is refused before the device reads it.
bool oversized_song(const std::string& command) {
  if (command.compare(0, 6, "open \"") != 0) return false;
  const std::size_t end = command.find('"', 6);
  if (end == std::string::npos) return false;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(win32::wide_path(command.substr(6, end - 6)).c_str(), GetFileExInfoStandard, &data)) return false;
  const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return size > kMaxSongBytes;
}

// An "open" of a song whose path holds characters outside ASCII names the file by its short
// name where the volume keeps one: some sequencer drivers take only such paths.
void short_song_path(wchar_t* command, int capacity) {
  if (std::wcsncmp(command, L"open \"", 6) != 0) return;
  wchar_t* path = command + 6;
  wchar_t* end = std::wcschr(path, L'"');
  if (!end || std::all_of(path, end, [](wchar_t c) { return c < 0x80; })) return;
  static std::array<wchar_t, 2048> full, brief, rest;
  const std::size_t n = static_cast<std::size_t>(end - path);
  if (n >= full.size()) return;
  std::wmemcpy(full.data(), path, n);
  full[n] = L'\0';
  const DWORD m = GetShortPathNameW(full.data(), brief.data(), static_cast<DWORD>(brief.size()));
  if (m == 0 || m >= brief.size() || !std::all_of(brief.data(), brief.data() + m, [](wchar_t c) { return c < 0x80; }))
    return;
  const std::size_t tail = std::wcslen(end);
  if (6 + m + tail + 1 > static_cast<std::size_t>(capacity) || tail >= rest.size()) return;
  std::wmemcpy(rest.data(), end, tail + 1);
  std::wmemcpy(path, brief.data(), m);
  std::wmemcpy(path + m, rest.data(), tail + 1);
}

}  // namespace

std::int32_t media_command(const std::string& command, std::string& reply, int reply_size) {
  if (oversized_song(command)) return kMciInvalidFile;
  static std::array<char, 256> buf;  // the longest reply the core asks for is 255 characters
  const int size = std::max(1, std::min(reply_size, static_cast<int>(buf.size())));
  buf[0] = '\0';
  MCIERROR r = 0;
  if (B().media_device) {
    r = B().media_device(command.c_str(), buf.data(), static_cast<unsigned>(size));
  } else {
    // Wide, for a song in a folder of any name; fixed buffers, as nothing is allocated here.
    static std::array<wchar_t, 2048> wide_command;
    static std::array<wchar_t, 256> wide_reply;
    if (!win32::wide_path_into(command, wide_command.data(), static_cast<int>(wide_command.size())))
      return kMciInvalidFile;
    short_song_path(wide_command.data(), static_cast<int>(wide_command.size()));
    wide_reply[0] = L'\0';
    r = mciSendStringW(wide_command.data(), wide_reply.data(), static_cast<UINT>(size), nullptr);
    // The device's words are plain ASCII ("playing", "stopped", numbers).
    for (int i = 0; i < size; ++i) buf[static_cast<std::size_t>(i)] = static_cast<char>(wide_reply[static_cast<std::size_t>(i)] & 0x7F);
  }
  buf[static_cast<std::size_t>(size) - 1] = '\0';
  reply.assign(buf.data());  // within the capacity the core reserved: no allocation
  return static_cast<std::int32_t>(r);
}

std::string site_address() {
  // Our own pages: site\ beside a portable copy, else beside the installed data folder (the
  // installer puts the program in the system folder and its pages with its pictures and songs).
  const std::string local = B().program_dir + "site";
  if (win32::is_folder(local)) return local;
  return win32::with_backslash(win32::real_windows_directory()) + "Vornicade\\Zelkin Wumpets\\site";
}

void shell_open(const std::string& address) {
  std::string target = address;
  if (win32::is_folder(target)) target = win32::with_backslash(target) + "index.html";
  ShellExecuteW(nullptr, L"open", win32::wide_path(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

double timer_seconds() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

void log_error(const std::string& code) {
  // A debugger or a system log viewer shows it; under Wine, so does the terminal.
  OutputDebugStringA(("Zelkin Wumpets: " + code + "\n").c_str());
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err && err != INVALID_HANDLE_VALUE) {
    const std::string line = "ZelkinWumpets: " + code + "\r\n";
    DWORD written = 0;
    WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

void set_exit_status(int status) { B().exit_status = status; }

void end_process() {
  // A settings window of the system we made wait must not stay dead after us.
  if (B().disabled_owner) EnableWindow(B().disabled_owner, TRUE);
  if (B().process_end) B().process_end();
  ExitProcess(static_cast<UINT>(B().exit_status));
}

}  // namespace plat

// Text at the edges of the Windows back end. Folders and files are found and opened through the
// wide-character calls, so that any folder name works, whatever the ANSI code page: the paths
// the core builds and passes back are UTF-8. Settings keys and values, captions and the media
// device's words stay in the ANSI code page, as the program has always used them.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// A path (or any text holding one) as the wide calls take it: UTF-8 where the text is valid
// UTF-8 (plain ASCII included), else the ANSI code page (a path typed or stored in it).
std::wstring wide_path(const std::string& text);
// The same into a fixed buffer, for calls that must not allocate; false when it does not fit.
bool wide_path_into(const std::string& text, wchar_t* out, int capacity);
// What the wide calls give back, as the core holds paths: UTF-8.
std::string utf8(const wchar_t* text, int length = -1);
// Text of the ANSI code page, and back.
std::wstring wide_ansi(const std::string& text);
std::string ansi(const std::wstring& text);

}  // namespace win32

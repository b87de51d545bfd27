#include "platform/win32/win32_clipboard.h"

#include <windows.h>

#include <cstring>

namespace velk0::platform::win32 {

std::optional<std::string> Win32Clipboard::read_text() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::string text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
      // The text ends at its zero byte, and never past the memory block.
      const SIZE_T size = GlobalSize(data);
      SIZE_T length = 0;
      while (length < size && length < kClipboardReadChars && locked[length] != '\0') ++length;
      text.assign(locked, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool Win32Clipboard::open_as_owner(bool empty) {
  if (!OpenClipboard(GetClipboardOwner())) return false;
  if (empty) EmptyClipboard();
  CloseClipboard();
  return true;
}

namespace {

// A movable memory block holding the bytes of `data` (its terminator
// included), as the clipboard takes them; null when there is no memory.
HGLOBAL global_copy(const void* data, std::size_t bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return nullptr;
  if (void* locked = GlobalLock(memory)) {
    std::memcpy(locked, data, bytes);
    GlobalUnlock(memory);
  }
  return memory;
}

}  // namespace

bool Win32Clipboard::write_text(std::string_view text) {
  // CF_TEXT lines end in carriage return and line feed.
  std::string crlf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += text[i];
  }
  // The same text in Unicode too, as programs that read only that expect.
  std::wstring wide(crlf.size() + 1, L'\0');
  const int made = MultiByteToWideChar(CP_ACP, 0, crlf.c_str(), static_cast<int>(crlf.size() + 1),
                                       wide.data(), static_cast<int>(wide.size()));
  // A window of its own owns the text: with none, Windows may refuse it.
  HWND owner =
      CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  bool done = false;
  if (OpenClipboard(owner)) {
    EmptyClipboard();
    // Once set, the memory is the system's; until then it is ours to free.
    HGLOBAL ansi = global_copy(crlf.c_str(), crlf.size() + 1);
    done = ansi && SetClipboardData(CF_TEXT, ansi) != nullptr;
    if (ansi && !done) GlobalFree(ansi);
    HGLOBAL unicode = made > 0 ? global_copy(wide.data(), made * sizeof(wchar_t)) : nullptr;
    if (unicode && !SetClipboardData(CF_UNICODETEXT, unicode)) GlobalFree(unicode);
    CloseClipboard();
  }
  if (owner) DestroyWindow(owner);
  return done;
}

}  // namespace velk0::platform::win32

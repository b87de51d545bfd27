// A console window shows UTF-16 text as it is written; output taken into a
// file or a pipe gets the program's own bytes, as Windows programs write it.
#include "platform/console.h"

#include <windows.h>

#include <string>

#include "platform/common/text_encoding.h"

namespace velk0::platform {
namespace {

void write_line(DWORD which, std::string_view text) {
  HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  std::string line = to_display_ansi(text) + "\r\n";
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    int size = MultiByteToWideChar(1252, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(1252, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

}  // namespace

void print_line(std::string_view text) { write_line(STD_OUTPUT_HANDLE, text); }

void print_error_line(std::string_view text) { write_line(STD_ERROR_HANDLE, text); }

}  // namespace velk0::platform

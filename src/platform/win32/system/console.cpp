// A console window shows UTF-16 text as it is written; output taken into a
// file or a pipe gets the program's own bytes, as Windows programs write it,
// each line ended with CR LF by the C library's text stream.
#include "platform/console.h"

#include <windows.h>

#include <iostream>
#include <string>

#include "platform/common/text_encoding.h"

namespace velk0::platform {
namespace {

void write_line(DWORD which, std::ostream& stream, std::string_view text) {
  HANDLE out = GetStdHandle(which);
  DWORD mode = 0, written = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &mode)) {
    stream << to_display_ansi(text) << std::endl;
    return;
  }
  const std::string line = to_display_ansi(text) + "\r\n";
  int size = MultiByteToWideChar(1252, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(1252, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
  WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace

void print_line(std::string_view text) { write_line(STD_OUTPUT_HANDLE, std::cout, text); }

void print_error_line(std::string_view text) { write_line(STD_ERROR_HANDLE, std::cerr, text); }

std::string error_line_bytes(std::string_view text) { return to_display_ansi(text) + '\n'; }

}  // namespace velk0::platform

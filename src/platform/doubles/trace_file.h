// The file a trace is written to: created or emptied, and never inherited by
// the programs the program starts (the clipboard tools, the companions).
#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>

namespace velk0::platform {

class TraceFile : public std::ostream {
 public:
  // Fails (the stream's state says so) when the file cannot be opened.
  explicit TraceFile(const std::string& path);
  ~TraceFile() override;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

 private:
  // Hands what the stream writes to the C library's buffered file.
  class Buffer : public std::streambuf {
   public:
    std::FILE* file = nullptr;

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;
  };
  Buffer buffer_;
};

}  // namespace velk0::platform

#include "platform/common/std_files.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/common/file_writes.h"
#include "platform/common/text_encoding.h"
#include "platform/system.h"

namespace velk0::platform {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kLongestUtf8 = 4;
// A file that begins with these bytes says it is UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The bytes of a file, read a chunk at a time, with a few bytes of look-ahead.
class ByteSource {
 public:
  explicit ByteSource(ReadOnlyFile& file) : file_(file) {}
  // The bytes at hand: at least `wanted` of them unless the file ends first;
  // none once a read failed.
  std::string_view peek(std::size_t wanted) {
    while (buffer_.size() - start_ < wanted && !ended_ && !failed_) refill();
    if (failed_) return {};
    return std::string_view(buffer_).substr(start_);
  }
  void consume(std::size_t count) { start_ += count; }
  bool failed() const { return failed_; }

 private:
  void refill() {
    buffer_.erase(0, start_);
    start_ = 0;
    std::size_t kept = buffer_.size();
    buffer_.resize(kept + kChunk);
    const long long got = file_.read(buffer_.data() + kept, kChunk);
    buffer_.resize(kept + static_cast<std::size_t>(std::max(got, 0LL)));
    if (got == 0) ended_ = true;
    if (got < 0) failed_ = true;
  }

  ReadOnlyFile& file_;
  std::string buffer_;
  std::size_t start_ = 0;
  bool ended_ = false, failed_ = false;
};

enum class Encoding { windows1252, utf8 };

// UTF-8 when the file begins with a byte-order mark, or when the whole file
// is well-formed UTF-8 with at least one character beyond ASCII; otherwise
// Windows-1252, the program's own bytes (ASCII reads the same either way).
// Nothing when a read fails.
std::optional<Encoding> find_encoding(ReadOnlyFile& file) {
  ByteSource in(file);
  if (in.peek(kByteOrderMark.size()).starts_with(kByteOrderMark)) return Encoding::utf8;
  bool beyond_ascii = false;
  for (;;) {
    std::string_view bytes = in.peek(kLongestUtf8);
    if (in.failed()) return std::nullopt;
    if (bytes.empty()) break;
    Utf8Char c = utf8_char(bytes);
    if (c.length == 0) return Encoding::windows1252;
    beyond_ascii = beyond_ascii || c.length > 1;
    in.consume(c.length);
  }
  return beyond_ascii ? Encoding::utf8 : Encoding::windows1252;
}

// The characters of a text file in the program's own bytes, in text mode: a
// carriage return before a line feed is dropped.
class TextReader {
 public:
  TextReader(ReadOnlyFile& file, Encoding encoding) : in_(file), encoding_(encoding) {
    if (encoding_ == Encoding::utf8 && in_.peek(kByteOrderMark.size()).starts_with(kByteOrderMark))
      in_.consume(kByteOrderMark.size());
  }
  // The next character; nothing at the end of the file or when a read failed.
  std::optional<char> next() {
    std::string_view bytes = in_.peek(kLongestUtf8);
    if (bytes.starts_with("\r\n")) {
      in_.consume(1);
      bytes.remove_prefix(1);
    }
    if (bytes.empty()) return std::nullopt;
    Utf8Char c = encoding_ == Encoding::utf8 ? utf8_char(bytes) : Utf8Char{};
    if (c.length == 0) {  // a byte kept as it is
      in_.consume(1);
      return bytes.front();
    }
    in_.consume(c.length);
    return windows1252_byte(c.code_point);
  }
  bool failed() const { return in_.failed(); }

 private:
  ByteSource in_;
  Encoding encoding_;
};

std::optional<TextPage> read_page(ReadOnlyFile& file, int page) {
  std::optional<Encoding> encoding = find_encoding(file);
  if (!encoding || !file.rewind()) return std::nullopt;
  TextReader reader(file, *encoding);
  TextPage result;
  long long skip = page > 1 ? static_cast<long long>(page - 1) * kPageSize : 0;
  while (result.count < kPageSize) {
    std::optional<char> c = reader.next();
    if (!c) break;
    if (skip > 0) {
      --skip;
      continue;
    }
    ++result.count;
    if (*c != '\0') result.text += *c;
  }
  if (reader.failed()) return std::nullopt;
  return result;
}

// The characters handed on at a time by read_stream.
constexpr std::size_t kStreamPiece = 4096;

bool stream_text(ReadOnlyFile& file, const std::function<bool(std::string_view)>& take) {
  std::optional<Encoding> encoding = find_encoding(file);
  if (!encoding || !file.rewind()) return true;  // an empty text
  TextReader reader(file, *encoding);
  std::string piece;
  piece.reserve(kStreamPiece);
  for (;;) {
    std::optional<char> c = reader.next();
    if (c) piece += *c;
    if (piece.size() == kStreamPiece || (!c && !piece.empty())) {
      if (!take(piece)) return true;
      piece.clear();
    }
    if (!c) return true;
  }
}

// Something bears this name: a file, a folder, a link, even one that points
// to nothing.
bool something_named(const std::string& native_path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(native_path, ignored));
}

}  // namespace

std::optional<TextPage> StdFiles::read_text(std::string_view path, int page) {
  try {
    ReadOnlyFile file(native_(path));
    if (!file.is_open()) return std::nullopt;
    return read_page(file, page);
  } catch (const std::exception&) {
    return std::nullopt;  // whatever goes wrong, the file is one that cannot be read
  }
}

bool StdFiles::read_stream(std::string_view path,
                           const std::function<bool(std::string_view)>& take) {
  std::optional<ReadOnlyFile> file;
  try {
    file.emplace(native_(path));
  } catch (const std::exception&) {
    return false;
  }
  if (!file->is_open()) return false;
  return stream_text(*file, take);
}

std::string text_file_bytes(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

Written StdFiles::write_text(std::string_view path, std::string_view text) {
  try {
    const WriteTarget target = write_target(native_(path));
    if (!target.failure.empty()) return {target.failure};
    return replace_file(target.path, text_file_bytes(text));
  } catch (const std::exception&) {
    return {write_failure_cause(std::make_error_code(std::errc::not_enough_memory))};
  }
}

std::string posix_native_path(std::string_view system_path, std::string_view root) {
  std::string path = to_utf8(system_path);
  const bool from_root = !system_path.empty() && system_path.front() == '\\';
  const bool backslashes = path.find('\\') != std::string::npos;
  if (!backslashes || (!from_root && something_named(path))) return path;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (from_root) {
    std::string base(root);
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + path;
  }
  return path;
}

}  // namespace velk0::platform

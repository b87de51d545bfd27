#include "commands/dictionary.h"

#include "core/capacities.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/text_files.h"

namespace velk0 {
namespace {

// The dictionary is read this many characters at a time: a longer line is
// read as several, and a key that straddles two of them is not found.
constexpr std::size_t kDictionaryLine = 2047;

constexpr std::string_view kOpeners = "[{";

void look_up_word(platform::Platform& platform, const std::string& word, bool braces,
                  std::string& keys, std::string& translations, std::string_view path) {
  const std::string key = "[" + word + "]";
  std::string found;
  dict_lookup(platform, key, found, path);
  append_bounded(keys, braces ? "{" + word + "}" : key, kTextCapacity);
  if (!found.empty())
    append_bounded(translations, braces ? found : "(" + found + ")", kTextCapacity);
}

// Looks up the words of the group whose opener stands before `at`; returns
// where the text goes on, after the group's closer.
std::size_t translate_group(platform::Platform& platform, std::string_view text, std::size_t at,
                            bool braces, std::string& keys, std::string& translations,
                            std::string_view path) {
  std::string word;
  for (;; ++at) {
    const bool end = at >= text.size();
    const char c = end ? '\0' : text[at];
    if (!end && c != ' ' && c != ']' && c != '}') {
      word += c;
      continue;
    }
    if (!word.empty()) look_up_word(platform, word, braces, keys, translations, path);
    word.clear();
    if (end) return at;
    if (c != ' ') return at + 1;
  }
}

}  // namespace

void dict_lookup(platform::Platform& platform, std::string_view key, std::string& result,
                 std::string_view path) {
  result.clear();
  const bool opened =
      read_text_lines(*platform.files, path, kDictionaryLine, [&](std::string_view line) {
        line = c_text(line);
        const std::size_t at = line.find(key);
        if (at == std::string_view::npos) return true;
        result = line.substr(at + key.size());
        return false;
      });
  if (!opened) show_info(*platform.dialogs, "dictionnaire nontrouv\xE9", path);
}

void dict_translate(platform::Platform& platform, std::string& text, std::string& keys,
                    std::string& translations, std::string_view path) {
  keys.clear();
  translations.clear();
  if (text.find_first_of(kOpeners) == std::string::npos) return;
  std::string rest;
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at++];
    if (kOpeners.find(c) == std::string_view::npos)
      rest += c;
    else
      at = translate_group(platform, text, at, c == '{', keys, translations, path);
  }
  text = rest;
}

}  // namespace velk0

// The dictionary through which the harmony reading translates the words
// between brackets of the current tablature: a text file of lines, each
// giving a word's translation after the word's key, the word between square
// brackets.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velk0 {

inline constexpr std::string_view kDictionaryPath = "\\korvane\\notaflux.dic";

// `result` becomes what follows `key` on the first line of the dictionary
// that holds it (its line end included), empty when no line does; lines are
// read 2047 characters at a time. A missing dictionary is reported.
void dict_lookup(platform::Platform& platform, std::string_view key, std::string& result,
                 std::string_view path);

// Takes the groups out of `text`: a group runs from "[" or "{" to "]", "}" or
// the end of the text, and its words, separated by blanks, are looked up as
// "[word]". `keys` receives the key of each word ("{word}" in a group opened
// by "{"), `translations` each translation found, between parentheses in a
// group opened by "[". A text without "[" or "{" is left as it is.
void dict_translate(platform::Platform& platform, std::string& text, std::string& keys,
                    std::string& translations, std::string_view path);

}  // namespace velk0

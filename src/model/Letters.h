#pragma once
// Comparing and trimming typed text: field paths, units and labels, file suffixes, HTTP headers.
// ASCII letters compare without case; other bytes (UTF-8 included) must match exactly.
#include <algorithm>
#include <cctype>
#include <string_view>

namespace pavo {

inline bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

inline bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameLetter);
}

inline bool StartsWithLetters(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameLetters(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithLetters(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && SameLetters(text.substr(text.size() - suffix.size()), suffix);
}

// The text without white space (std::isspace) at either end.
inline std::string_view TrimSpace(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

}  // namespace pavo

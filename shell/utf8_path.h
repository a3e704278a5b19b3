#pragma once

#include <filesystem>
#include <string>

namespace scurrow {

// The game keeps paths in UTF-8, as SDL gives the program folder. A path made
// from a plain std::string would be read in the ANSI code page on Windows;
// this one is read as UTF-8 there and passed through byte for byte elsewhere.
inline std::filesystem::path Utf8Path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace scurrow

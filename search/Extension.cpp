#include "search/Extension.h"

#include <algorithm>

#include "platform/Utf8.h"

namespace morlind {

namespace {

// "€" is the one non-ASCII character code page 936 writes in one byte.
constexpr std::string_view kEuro = "\xE2\x82\xAC";

std::size_t AnsiWidth(std::string_view character) {
  return static_cast<unsigned char>(character[0]) < 0x80 || character == kEuro ? 1 : 2;
}

}  // namespace

std::string CutExtension(std::string_view text) {
  std::size_t end = 0;
  std::size_t width = 0;
  while (end < text.size()) {
    std::size_t length = std::min(Utf8SequenceLength(static_cast<unsigned char>(text[end])), text.size() - end);
    width += AnsiWidth(text.substr(end, length));
    if (width > kMaxExtensionBytes) break;
    end += length;
  }
  return std::string(text.substr(0, end));
}

std::string SettleExtension(std::string_view previous,
                            const std::optional<std::string>& listSelection,
                            std::string_view editText) {
  std::string extension(previous);
  if (listSelection) extension = CutExtension(*listSelection);
  if (!editText.empty()) extension = CutExtension(editText);
  return extension;
}

bool NameMatches(std::string_view name, std::string_view extension) {
  if (extension == "*") return true;
  if (name.size() < extension.size()) return false;
  return EqualFoldingAscii(name.substr(name.size() - extension.size()), extension);
}

}  // namespace morlind

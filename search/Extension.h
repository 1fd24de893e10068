// The file-type text: how it is settled from the combo box and how a file
// name is tested against it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morlind {

// The file type is cut to what 9 bytes of code page 936 text hold: an
// ASCII character takes one byte, a Chinese character two.
constexpr std::size_t kMaxExtensionBytes = 9;

// Cuts UTF-8 text to what those 9 bytes held, never splitting a character.
// A character code page 936 cannot write counts as two bytes.
std::string CutExtension(std::string_view text);

// The list selection replaces the previous text, a non-empty edit text
// replaces both; the result is used unchanged (no trimming, no case change).
std::string SettleExtension(std::string_view previous,
                            const std::optional<std::string>& listSelection,
                            std::string_view editText);

// A plain ending test, ASCII letters folded; "*" alone matches every name.
bool NameMatches(std::string_view name, std::string_view extension);

}  // namespace morlind

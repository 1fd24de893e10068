// The file-type text: how it is settled from the combo box and how a file
// name is tested against it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/AnsiText.h"

namespace morlind {

// The extension buffer holds 9 bytes of text and a terminator.
constexpr std::size_t kMaxExtensionBytes = 9;

// Cuts text to at most kMaxExtensionBytes without splitting a double-byte
// character.
std::string CutExtension(std::string_view text);

// The list selection replaces the previous text, a non-empty edit text
// replaces both; the result is used unchanged (no trimming, no case change).
std::string SettleExtension(std::string_view previous,
                            const std::optional<std::string>& listSelection,
                            std::string_view editText);

// A plain ending test, ASCII letters folded; "*" alone matches every name.
bool NameMatches(std::string_view name, std::string_view extension);

}  // namespace morlind

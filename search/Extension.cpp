#include "search/Extension.h"

namespace morlind {

std::string CutExtension(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    bool pair = IsLeadByte936(static_cast<unsigned char>(text[end])) && end + 1 < text.size();
    std::size_t next = end + (pair ? 2 : 1);
    if (next > kMaxExtensionBytes) break;
    end = next;
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
  return EqualFoldingBytes(name.substr(name.size() - extension.size()), extension);
}

}  // namespace morlind

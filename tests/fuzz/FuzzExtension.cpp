// The name test and the settling of typed extension text.
#include <cstdlib>

#include "search/Extension.h"
#include "tests/fuzz/FuzzInput.h"

using morlind::fuzz::Check;

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// A cut may only end where a whole character of the input ends.
bool EndsOnCharacterBoundary(const std::string& text, std::size_t cut) {
  std::size_t i = 0;
  while (i < cut) {
    i += morlind::IsLeadByte936(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return i == cut;
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morlind::fuzz::FuzzInput input(data, size);
  std::string previous = input.Text(9);
  std::string listText = input.Text(12);
  std::string edit = input.Text(40);
  std::string name = input.Rest();

  std::string cut = morlind::CutExtension(edit);
  Check(cut.size() <= morlind::kMaxExtensionBytes);
  Check(edit.compare(0, cut.size(), cut) == 0);
  Check(EndsOnCharacterBoundary(edit, cut.size()));
  // Nothing is cut that would have fitted.
  Check(cut.size() == edit.size() || cut.size() >= morlind::kMaxExtensionBytes - 1);

  std::optional<std::string> list;
  if (!listText.empty()) list = listText;
  std::string settled = morlind::SettleExtension(previous, list, edit);
  Check(settled == (!edit.empty() ? cut : list ? morlind::CutExtension(*list) : previous));

  bool matches = morlind::NameMatches(name, settled);
  Check(matches == morlind::NameMatches(UpperAscii(name), settled));
  Check(matches == morlind::NameMatches(name, UpperAscii(settled)));
  if (settled != "*") Check(!matches || name.size() >= settled.size());
  if (settled == "*" || settled.empty()) Check(matches);
  Check(morlind::NameMatches(name + settled, settled) || settled == "*");
  return 0;
}

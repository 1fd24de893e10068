#include "caches/EntryName.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/Utf8.h"

namespace morlind {

namespace {

// The length of the well-formed UTF-8 character at text[at] (no overlong
// forms, no surrogates, nothing past U+10FFFF), or 0.
std::size_t Utf8CharLength(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = Utf8SequenceLength(lead);
  if (lead < 0xC2 || lead > 0xF4 || at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
  }
  unsigned char second = byte(1);
  if (lead == 0xE0 && second < 0xA0) return 0;  // overlong
  if (lead == 0xED && second > 0x9F) return 0;  // a surrogate
  if (lead == 0xF0 && second < 0x90) return 0;  // overlong
  if (lead == 0xF4 && second > 0x8F) return 0;  // past U+10FFFF
  return length;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = FoldAscii(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool IsEscapeAt(std::string_view text, std::size_t at) {
  return at + 2 < text.size() && text[at] == '%' && HexValue(text[at + 1]) >= 0 && HexValue(text[at + 2]) >= 0;
}

// Each run of escapes is decoded to bytes; the well-formed UTF-8 characters
// among them are taken, every other byte keeps its escape.
std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  for (std::size_t at = 0; at < text.size();) {
    if (!IsEscapeAt(text, at)) {
      decoded += text[at++];
      continue;
    }
    std::size_t runStart = at;
    std::string bytes;
    for (; IsEscapeAt(text, at); at += 3) {
      bytes += static_cast<char>(HexValue(text[at + 1]) * 16 + HexValue(text[at + 2]));
    }
    for (std::size_t k = 0; k < bytes.size();) {
      std::size_t length = Utf8CharLength(bytes, k);
      if (length == 0) {
        decoded += text.substr(runStart + 3 * k, 3);
        ++k;
      } else {
        decoded.append(bytes, k, length);
        k += length;
      }
    }
  }
  return decoded;
}

bool IsForbiddenAscii(unsigned char c) {
  return c < 0x20 || c == 0x7F || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// The marks that turn the direction of what follows (U+200E, U+200F,
// U+202A-U+202E, U+2066-U+2069): "photo<RLO>gpj.exe" would show as
// "photoexe.jpg".
bool IsDirectionMark(std::string_view character) {
  if (character.size() != 3 || character[0] != '\xE2') return false;
  const auto second = static_cast<unsigned char>(character[1]), third = static_cast<unsigned char>(character[2]);
  return (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) ||
         (second == 0x81 && third >= 0xA6 && third <= 0xA9);
}

// Characters no Windows name holds, control characters (C1 too), marks
// that turn the text's direction and bytes that are no UTF-8 become '_'.
std::string WithoutForbidden(std::string_view text) {
  std::string name;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = Utf8CharLength(text, at);
    bool c1Control = length == 2 && text[at] == '\xC2' && static_cast<unsigned char>(text[at + 1]) < 0xA0;
    if (length == 0 || c1Control || IsDirectionMark(text.substr(at, length)) ||
        (length == 1 && IsForbiddenAscii(static_cast<unsigned char>(text[at])))) {
      name += '_';
      at += std::max<std::size_t>(length, 1);
    } else {
      name.append(text, at, length);
      at += length;
    }
  }
  return name;
}

// UTF-16 units of well-formed UTF-8 text.
std::size_t Utf16Units(std::string_view text) {
  std::size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

// Cut to kMostNameUnits, the ending kept when it is a short one.
std::string Shortened(std::string name) {
  if (Utf16Units(name) <= kMostNameUnits) return name;
  std::size_t dot = name.rfind('.');
  std::string ending = dot != std::string::npos && name.size() - dot <= 16 ? name.substr(dot) : std::string();
  name.resize(name.size() - ending.size());
  std::size_t room = kMostNameUnits - Utf16Units(ending);
  std::size_t cut = 0;
  for (std::size_t units = 0; cut < name.size();) {
    std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(name[cut]));
    units += length == 4 ? 2 : 1;
    if (units > room) break;
    cut += length;
  }
  name.resize(cut);
  return name + ending;
}

// Windows drops trailing dots and spaces from a name it is given.
void TrimTrailingDotsAndSpaces(std::string& name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

// Device names stay devices whatever ending follows: "nul.txt" is NUL.
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string folded = FoldedAscii(base);
  for (std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (folded == device) return true;
  }
  if (folded.size() < 4 || (folded.compare(0, 3, "com") != 0 && folded.compare(0, 3, "lpt") != 0)) return false;
  std::string_view number = std::string_view(folded).substr(3);
  // Digits, and the superscripts ¹ ² ³ Windows counts too.
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

// The address's last path segment, still escaped.
std::string_view LastSegment(std::string_view address) {
  // Two finds: find_first_of would search both marks at every byte.
  address = address.substr(0, std::min(address.find('?'), address.find('#')));
  std::size_t scheme = address.find("://");
  if (scheme != std::string_view::npos) {
    std::size_t path = address.find('/', scheme + 3);
    if (path == std::string_view::npos) return {};
    address.remove_prefix(path);
  }
  std::size_t slash = address.rfind('/');
  return slash == std::string_view::npos ? address : address.substr(slash + 1);
}

constexpr std::array<std::pair<std::string_view, std::string_view>, 36> kEndings{{
    {"text/html", "html"},
    {"application/xhtml+xml", "xhtml"},
    {"text/css", "css"},
    {"text/javascript", "js"},
    {"application/javascript", "js"},
    {"application/x-javascript", "js"},
    {"application/ecmascript", "js"},
    {"application/json", "json"},
    {"application/manifest+json", "json"},
    {"text/plain", "txt"},
    {"text/xml", "xml"},
    {"application/xml", "xml"},
    {"application/pdf", "pdf"},
    {"application/wasm", "wasm"},
    {"image/jpeg", "jpg"},
    {"image/png", "png"},
    {"image/apng", "png"},
    {"image/gif", "gif"},
    {"image/webp", "webp"},
    {"image/svg+xml", "svg"},
    {"image/avif", "avif"},
    {"image/bmp", "bmp"},
    {"image/x-icon", "ico"},
    {"image/vnd.microsoft.icon", "ico"},
    {"video/mp4", "mp4"},
    {"video/webm", "webm"},
    {"video/ogg", "ogv"},
    {"audio/mpeg", "mp3"},
    {"audio/mp4", "m4a"},
    {"audio/ogg", "ogg"},
    {"audio/wav", "wav"},
    {"audio/webm", "weba"},
    {"font/woff2", "woff2"},
    {"font/woff", "woff"},
    {"font/ttf", "ttf"},
    {"font/otf", "otf"},
}};

}  // namespace

std::string_view EndingOfContentType(std::string_view contentType) {
  contentType = contentType.substr(0, contentType.find(';'));
  while (!contentType.empty() && (contentType.front() == ' ' || contentType.front() == '\t')) {
    contentType.remove_prefix(1);
  }
  while (!contentType.empty() && (contentType.back() == ' ' || contentType.back() == '\t')) {
    contentType.remove_suffix(1);
  }
  std::string folded = FoldedAscii(contentType);
  for (const auto& [type, ending] : kEndings) {
    if (folded == type) return ending;
  }
  return {};
}

std::string EntryFileName(std::string_view address, std::string_view contentType) {
  std::string name = WithoutForbidden(PercentDecoded(LastSegment(address)));
  TrimTrailingDotsAndSpaces(name);
  if (name.empty()) name = "index";
  if (name.find('.') == std::string::npos) {
    std::string_view ending = EndingOfContentType(contentType);
    if (!ending.empty()) name += "." + std::string(ending);
  }
  name = Shortened(std::move(name));
  // A cut may end in what Windows drops, or leave only that.
  TrimTrailingDotsAndSpaces(name);
  if (name.empty()) name = "index";
  if (IsDeviceName(name)) name.insert(0, "_");
  return name;
}

std::string NumberedName(std::string_view name, int n) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) dot = name.size();
  return std::string(name.substr(0, dot)) + " (" + std::to_string(n) + ")" + std::string(name.substr(dot));
}

}  // namespace morlind

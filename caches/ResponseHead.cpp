#include "caches/ResponseHead.h"

#include <cctype>

#include "platform/Utf8.h"

namespace morlind {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Without a lower-case copy: a cache's every header line meets this.
bool NameIs(std::string_view name, std::string_view wanted) {
  name = Trim(name);
  return name.size() == wanted.size() && EqualFoldingAscii(name, wanted);
}

}  // namespace

ResponseHead ParseResponseHead(std::string_view raw) {
  ResponseHead head;
  bool first = true;
  while (!raw.empty()) {
    // find_first_of would search the three separators at every byte.
    std::size_t end = 0;
    while (end < raw.size() && raw[end] != '\0' && raw[end] != '\r' && raw[end] != '\n') ++end;
    if (end == raw.size()) end = std::string_view::npos;
    std::string_view line = raw.substr(0, end);
    raw.remove_prefix(end == std::string_view::npos ? raw.size() : end + 1);
    if (line.empty()) continue;
    if (first && line.substr(0, 5) == "HTTP/") {
      std::size_t space = line.find(' ');
      if (space != std::string_view::npos) {
        std::string_view code = line.substr(space + 1, 3);
        int status = 0;
        for (char digit : code) {
          if (!std::isdigit(static_cast<unsigned char>(digit))) break;
          status = status * 10 + (digit - '0');
        }
        head.status = status;
      }
      first = false;
      continue;
    }
    first = false;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = line.substr(0, colon), value = Trim(line.substr(colon + 1));
    if (NameIs(name, "content-type")) {
      head.contentType = Lower(Trim(value.substr(0, value.find(';'))));
    } else if (NameIs(name, "content-encoding")) {
      head.contentEncoding = Lower(value);
    } else if (NameIs(name, "content-length")) {
      head.contentLength = std::string(value);
    } else if (NameIs(name, "content-range")) {
      head.contentRange = std::string(value);
    }
  }
  return head;
}

}  // namespace morlind

// The response head a cache keeps beside a body: its status line and
// header lines, as Chromium (NUL-separated) and Firefox (CRLF-separated)
// store them.
#pragma once

#include <string>
#include <string_view>

namespace morlind {

struct ResponseHead {
  int status = 0;                // 200, 206, …; 0 when there is no status line
  std::string contentType;       // lower case, parameters dropped
  std::string contentEncoding;   // lower case, as sent
  std::string contentLength;     // as sent; empty when absent
  std::string contentRange;      // as sent; empty when absent
};

// Parses "HTTP/1.1 200 OK<sep>Name: value<sep>…"; lines are split at NUL,
// CR or LF, so either form reads.
ResponseHead ParseResponseHead(std::string_view raw);

}  // namespace morlind

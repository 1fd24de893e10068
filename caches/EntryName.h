// The file name a browser-cache entry is listed and saved under, made from
// its address and its response's Content-Type.
#pragma once

#include <string>
#include <string_view>

namespace morlind {

// Names are cut to this many UTF-16 units, so that a " (n)" of a second
// copy and the folder still fit beside them in Windows' 255 per name.
constexpr std::size_t kMostNameUnits = 200;

// The last segment of address's path (before '?' and '#'), percent-decoded
// as UTF-8 (escapes that are no UTF-8 stay as written), with characters no
// Windows name may hold made '_'; "index" for an address ending in '/'. A
// name without an ending gets the one contentType gives. Never empty, never
// ending in a dot or space, never a device name such as CON or NUL.
std::string EntryFileName(std::string_view address, std::string_view contentType);

// The ending a Content-Type gives ("image/jpeg; x=y" gives "jpg"), or empty.
std::string_view EndingOfContentType(std::string_view contentType);

// The n-th (n >= 2) file of one name in one save: "photo (2).jpg".
std::string NumberedName(std::string_view name, int n);

}  // namespace morlind

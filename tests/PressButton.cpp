// Drives a running dialog from outside, for screenshots: waits for the
// top-level window with the given title, then presses one of its buttons
// (the call returns when the dialog has handled the click) or closes it.
//   press_button.exe "Morlind V2.0" 1001
//   press_button.exe "Morlind V2.0" close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: press_button TITLE (CONTROL-ID | close)\n");
    return 2;
  }
  int length = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
  std::wstring title(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argv[1], -1, title.data(), length);

  bool close = std::strcmp(argv[2], "close") == 0;
  int id = close ? 0 : std::atoi(argv[2]);

  // A dialog shows once its controls exist and its initialisation is done.
  HWND window = nullptr;
  for (int tries = 0; tries < 200; ++tries) {
    window = FindWindowW(nullptr, title.c_str());
    if (window && IsWindowVisible(window) && (close || GetDlgItem(window, id))) break;
    window = nullptr;
    Sleep(100);
  }
  if (!window) {
    std::fprintf(stderr, "press_button: no window \"%s\" showing control %s\n", argv[1], argv[2]);
    return 1;
  }
  if (close) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else {
    SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
  }
  return 0;
}

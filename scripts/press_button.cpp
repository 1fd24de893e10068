// Drives a running dialog from outside, for screenshots: waits for the
// top-level window with the given title, then presses one of its buttons
// (the call returns when the dialog has handled the click), posts the
// button's command (for a button that opens a modal box), sets a control's
// text, only waits for the window, maximises it, or closes it.
//   press_button.exe "Morlind V2.0" 1001
//   press_button.exe "Morlind V2.0" post:1008
//   press_button.exe "Morlind V2.0" text:1000:jpg
//   press_button.exe "关于 Morlind V2.0" wait
//   press_button.exe "Morlind V2.0" maximize
//   press_button.exe "Morlind V2.0" close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: press_button TITLE (CONTROL-ID | post:CONTROL-ID | text:CONTROL-ID:TEXT | wait | maximize | "
                 "close)\n");
    return 2;
  }
  int length = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
  std::wstring title(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argv[1], -1, title.data(), length);

  const char* action = argv[2];
  bool close = std::strcmp(action, "close") == 0;
  bool wait = std::strcmp(action, "wait") == 0 || std::strcmp(action, "maximize") == 0;
  bool post = std::strncmp(action, "post:", 5) == 0;
  bool text = std::strncmp(action, "text:", 5) == 0;
  int id = close || wait ? 0 : std::atoi(post || text ? action + 5 : action);

  // A dialog shows once its controls exist and its initialisation is done.
  HWND window = nullptr;
  for (int tries = 0; tries < 200; ++tries) {
    window = FindWindowW(nullptr, title.c_str());
    if (window && IsWindowVisible(window) && (close || wait || GetDlgItem(window, id))) break;
    window = nullptr;
    Sleep(100);
  }
  if (!window) {
    std::fprintf(stderr, "press_button: no window \"%s\" showing control %s\n", argv[1], action);
    return 1;
  }
  if (std::strcmp(action, "maximize") == 0) {
    ShowWindow(window, SW_MAXIMIZE);
  } else if (close) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else if (text) {
    const char* value = std::strchr(action + 5, ':');
    SetDlgItemTextA(window, id, value ? value + 1 : "");
  } else if (post) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
  } else if (!wait) {
    SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
  }
  return 0;
}

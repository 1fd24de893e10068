#include <windows.h>

#include "wingui/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return morlind::RunApplication(); }

#include <windows.h>

#include "ui/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return morlind::RunApplication(); }

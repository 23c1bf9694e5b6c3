#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Varnholt", L"Varnholt(Beta)", MB_OK);
    return 0;
}

// A library that marks its own loading: when its entry point runs, it creates
// the file that RVX_MARKER_FILE names. A test that finds no file afterwards
// knows that no code of the library ran in its process.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        DWORD n = GetEnvironmentVariableA("RVX_MARKER_FILE", path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (h != INVALID_HANDLE_VALUE)
                CloseHandle(h);
        }
    }
    return TRUE;
}

// The program's entry point. Kept in a file of its own so that a program
// with its own main (the tests) does not pull it from the library.
#include "afximpl.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp *pApp = AfxGetApp();
    if (!pApp)
        return 1;
    pApp->m_hInstance = hInstance;
    try
    {
        if (!pApp->InitInstance())
            return pApp->ExitInstance();
        return pApp->Run();
    }
    catch (...)
    {
        return 1;
    }
}

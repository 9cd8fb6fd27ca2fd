// A program built like the real one: one application object and the
// framework's WinMain. Its exit status tells the test what ran:
//   "init-fails": InitInstance FALSE -> ExitInstance -> 70
//   "loop":       InitInstance TRUE, a quit posted -> Run -> ExitInstance -> 71
// plus 100 when the instance handle did not reach the application object.
#include "afxwin.h"
#include <cstring>

class CProbeApp : public CWinApp
{
public:
    BOOL m_bLoop = FALSE;
    BOOL InitInstance() override
    {
        m_bLoop = strstr(GetCommandLineA(), "loop") != NULL;
        if (!m_bLoop)
            return FALSE;
        ::PostQuitMessage(0);
        return TRUE;
    }
    int ExitInstance() override
    {
        int status = m_bLoop ? 71 : 70;
        if (m_hInstance != ::GetModuleHandleA(NULL) || AfxGetInstanceHandle() != m_hInstance)
            status += 100;
        return status;
    }
};

CProbeApp theApp;

// Until start-up can be built: the framework's own application object.
#include "afxwin.h"

CWinApp theTestApp;

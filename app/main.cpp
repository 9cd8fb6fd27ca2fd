// The one application object; the framework's WinMain runs it.
#include "adminapp.h"

CAdminApp theApp;

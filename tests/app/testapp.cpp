// The one application object of the test program, as in the real program.
#include "adminapp.h"

CAdminApp theTestApp;

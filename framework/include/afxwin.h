// The dialog framework: MFC's names for the subset this program uses.
#pragma once
#include <windows.h>
#include "afxobj.h"
#include "afxstr.h"
#include "afxcoll.h"
#include "afxmsgmap.h"
#include "afxwnd.h"
#include "afxdlg.h"
#include "afxlistbox.h"
#include "afxcombobox.h"
#include "afxbutton.h"
#include "afxedit.h"
#include "afxapp.h"
#include "afxcursor.h"

// uidrive: drives the running administrator tool from outside, the way a UI
// automation tool would: find its top-level dialog by caption, then send
// messages to its controls by ID. Used by the demo script and the end-to-end
// tests; it knows nothing of the program's code.
//
//   uidrive wait  CAPTION [ms]        wait until the dialog exists (exit 1 on time-out)
//   uidrive gone  CAPTION [ms]        wait until it has closed
//   uidrive view  CAPTION TEXT        choose a view in combobox 1021 by its text
//   uidrive click CAPTION ID          press a button (BN_CLICKED) of the dialog or a page
//   uidrive close CAPTION             the window's Close command (as Cancel)
//   uidrive text  CAPTION ID          print a control's window text
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int kViewBox = 1021;

HWND FindDialog(const char *caption) { return FindWindowA("#32770", caption); }

HWND WaitDialog(const char *caption, DWORD ms) {
  for (DWORD waited = 0;; waited += 50) {
    HWND h = FindDialog(caption);
    if (h && IsWindowVisible(h)) return h;
    if (waited >= ms) return NULL;
    Sleep(50);
  }
}

struct FindChild { int id; HWND found; };

BOOL CALLBACK FindVisibleChild(HWND h, LPARAM lp) {
  FindChild *f = reinterpret_cast<FindChild *>(lp);
  if (GetDlgCtrlID(h) == f->id && IsWindowVisible(h)) { f->found = h; return FALSE; }
  return TRUE;
}

// A control of the dialog itself or of the page that is visible: pages are
// child dialogs and reuse the same control IDs.
HWND FindControl(HWND dlg, int id) {
  FindChild f = {id, NULL};
  EnumChildWindows(dlg, FindVisibleChild, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

int Usage() {
  fputs("usage: uidrive wait|gone|view|click|close|text CAPTION [ARG]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) return Usage();
  const char *cmd = argv[1], *caption = argv[2];
  if (!strcmp(cmd, "wait")) {
    return WaitDialog(caption, argc > 3 ? strtoul(argv[3], 0, 10) : 30000) ? 0 : 1;
  }
  if (!strcmp(cmd, "gone")) {
    DWORD ms = argc > 3 ? strtoul(argv[3], 0, 10) : 30000;
    for (DWORD waited = 0; FindDialog(caption); waited += 50) {
      if (waited >= ms) return 1;
      Sleep(50);
    }
    return 0;
  }
  HWND dlg = WaitDialog(caption, 5000);
  if (!dlg) { fprintf(stderr, "uidrive: no window \"%s\"\n", caption); return 1; }
  if (!strcmp(cmd, "view") && argc > 3) {
    HWND box = GetDlgItem(dlg, kViewBox);
    LRESULT i = SendMessageA(box, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)argv[3]);
    if (i == CB_ERR) { fprintf(stderr, "uidrive: no view \"%s\"\n", argv[3]); return 1; }
    SendMessageA(box, CB_SETCURSEL, i, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(kViewBox, CBN_SELENDOK), (LPARAM)box);
    return 0;
  }
  if (!strcmp(cmd, "click") && argc > 3) {
    int id = atoi(argv[3]);
    HWND ctl = FindControl(dlg, id);
    if (!ctl) ctl = GetDlgItem(dlg, id);
    HWND parent = ctl ? GetParent(ctl) : dlg;
    // Posted, not sent: the click may open a modal box that would block us.
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)ctl);
    return 0;
  }
  if (!strcmp(cmd, "close")) {
    PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (!strcmp(cmd, "text") && argc > 3) {
    char buf[1024] = "";
    HWND ctl = FindControl(dlg, atoi(argv[3]));
    if (!ctl) return 1;
    // Across processes the text arrives through the system, not our heap.
    SendMessageA(ctl, WM_GETTEXT, sizeof buf, (LPARAM)buf);
    puts(buf);
    return 0;
  }
  return Usage();
}

// uidrive: drives the running administrator tool from outside, the way a UI
// automation tool would: find its top-level dialog by caption, then send
// messages to its controls by ID. Used by the demo script and the end-to-end
// tests; it knows nothing of the program's code.
//
//   uidrive wait  CAPTION [ms]        wait until the dialog exists (exit 1 on time-out)
//   uidrive gone  CAPTION [ms]        wait until it has closed
//   uidrive view  CAPTION TEXT        choose a view in combobox 1021 by its text
//                                     (or "#N": the Nth item, from 0, for any language)
//   uidrive choose CAPTION ID TEXT    choose a combobox item by its text (CBN_SELENDOK),
//                                     or "#N": the Nth item
//   uidrive click CAPTION ID          press a button (BN_CLICKED) of the dialog or a page
//   uidrive close CAPTION             the window's Close command (as Cancel)
//   uidrive text  CAPTION ID          print a control's window text
//   uidrive settext CAPTION ID TEXT   set an edit control's text (it notifies EN_CHANGE)
//   uidrive select CAPTION ID TEXT... select list-box items by their exact texts
//   uidrive check CAPTION ID          click a check box or radio button
//   uidrive items CAPTION ID          print a list box's items, one a line
//   uidrive key   CAPTION ID KEY      press a key (F1..F12 or a virtual-key number) in
//                                     control ID (0: the control that has the focus)
//   uidrive focus CAPTION ID          move the keyboard focus to control ID, as Tab would
//   uidrive window CLASS [ms]         wait for a visible top-level window of that class,
//                                     of any program (the help engine's, say); print its caption
//   uidrive closewindow CLASS         close the top-level windows of that class
//   uidrive message CAPTION [ms]      wait for the tool's message box, print its text
//   uidrive answer CAPTION ID         press a button of the tool's message box (IDOK 1, IDYES 6)
//   uidrive warmup                    create and destroy a window and a dialog
//   uidrive pointer X Y               move the mouse pointer (out of a screenshot's way)
//   uidrive time COMMAND CAPTION ...  run COMMAND and print "ms N": how long the tool took
//                                     to handle it and wait for input again
//   uidrive launch CAPTION PROGRAM [ms]  start PROGRAM; print "ms N" once its dialog
//                                     shows and it waits for input (the program
//                                     keeps our standard output open: write it
//                                     to a file, not to a pipe)
//   uidrive memory CAPTION            print the tool's "peak-working-set B peak-pagefile B"
//
// Commands are sent, not posted, so that they reach the tool in the order
// given; a command that opens a modal box returns once the box runs (the next
// command then reaches the box's message loop). Only windows of rvxadmin.exe
// are driven (or of the program UIDRIVE_PROGRAM names).
#include <windows.h>
#include <tlhelp32.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <string>

namespace {

const int kViewBox = 1021;

// Only the tool's own windows count: tests that run beside it may show
// dialogs with the same captions in their own processes. UIDRIVE_PROGRAM
// names another program file.
bool OfProgram(HWND h) {
  char want[MAX_PATH] = "rvxadmin.exe";
  GetEnvironmentVariableA("UIDRIVE_PROGRAM", want, sizeof want);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snap, &entry); more && !found; more = Process32Next(snap, &entry))
    if (entry.th32ProcessID == pid) found = lstrcmpiA(entry.szExeFile, want) == 0;
  CloseHandle(snap);
  return found;
}

// A message box has the tool's caption too; it is the one with an owner, or
// (at start-up, before any window) the one with the message's static 0xFFFF.
bool IsMessageBox(HWND h) { return GetWindow(h, GW_OWNER) || GetDlgItem(h, 0xFFFF); }

// The tool's own dialog: a message box with the same caption that is on its
// way out (hidden, not yet destroyed) must not stand in for it.
HWND FindDialog(const char *caption) {
  HWND any = NULL;
  for (HWND h = NULL; (h = FindWindowExA(NULL, h, "#32770", caption)) != NULL;) {
    if (!OfProgram(h)) continue;
    if (!IsMessageBox(h) && IsWindowVisible(h)) return h;
    if (!any) any = h;
  }
  return any;
}

HWND FindMessageBox(const char *caption) {
  for (HWND h = NULL; (h = FindWindowExA(NULL, h, "#32770", caption)) != NULL;)
    if (IsMessageBox(h) && IsWindowVisible(h) && OfProgram(h)) return h;
  return NULL;
}

// 0 once find(caption) finds nothing, 1 if it still finds a window after ms.
int WaitGone(HWND (*find)(const char *), const char *caption, DWORD ms) {
  for (DWORD waited = 0; find(caption); waited += 50) {
    if (waited >= ms) return 1;
    Sleep(50);
  }
  return 0;
}

HWND WaitMessageBox(const char *caption, DWORD ms) {
  for (DWORD waited = 0;; waited += 50) {
    if (HWND h = FindMessageBox(caption)) return h;
    if (waited >= ms) return NULL;
    Sleep(50);
  }
}

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

// Across processes Wine hands list-box and edit texts over as UTF-16: talk
// to the controls in wide characters and convert at our end.
std::wstring Wide(const char *s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, NULL, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  return w;
}

std::string Narrow(const wchar_t *w) {
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, NULL, 0, NULL, NULL);
  std::string s(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, w, -1, &s[0], n, NULL, NULL);
  return s;
}

// Waits until the tool has handled everything sent to it so far and waits for
// input again (a modal box's own loop counts), so that the next command meets
// the state this one made.
void WaitIdle(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return;
  WaitForInputIdle(process, 10000);
  CloseHandle(process);
}

// A command is sent without waiting for its result, since one that opens a
// modal box does not return until the box closes; an empty message sent
// after it comes back once the tool has handled the command, or has opened
// the box and runs the box's loop. Waiting on a command itself with a
// time-out would not do: Wine drops a message that is not received in time.
void Sync(HWND h) {
  for (DWORD waited = 0; waited < 60000 && IsWindow(h); waited += 500) {
    DWORD_PTR result;
    if (SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result)) break;
  }
  if (IsWindow(h)) WaitIdle(h);
}

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1000.0 / (double)f.QuadPart;
}

// What "time" reports: the time spent in Send, from the command's sending
// until the tool waits for input again; not this program's own start.
double g_sentMs = 0;

void Send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  double start = NowMs();
  SendNotifyMessageW(h, msg, wp, lp);
  Sync(h);
  g_sentMs += NowMs() - start;
}

void Notify(HWND ctl, int code) {
  Send(GetParent(ctl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ctl), code), (LPARAM)ctl);
}

std::wstring ItemText(HWND box, int i) {
  LRESULT len = SendMessageW(box, LB_GETTEXTLEN, i, 0);
  if (len == LB_ERR) return std::wstring();
  std::wstring w(len + 1, L'\0');
  SendMessageW(box, LB_GETTEXT, i, (LPARAM)&w[0]);
  w.resize(wcslen(w.c_str()));
  return w;
}

int Usage() {
  fputs("usage: uidrive [time] wait|gone|view|choose|click|close|text|settext|select|check|items|key|focus|message|nomessage|answer|"
        "memory CAPTION [ARG...]\n"
        "       uidrive window|closewindow CLASS [ms]\n"
        "       uidrive launch CAPTION PROGRAM [ms]\n"
        "       uidrive warmup | pointer X Y\n", stderr);
  return 2;
}

}  // namespace

// The first programs on a fresh Wine prefix can fail to create dialogs
// while Wine's desktop process is still starting: the scripts run this once
// after booting the prefix, so that the tests meet a settled session.
INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

int Warmup() {
  struct {
    DLGTEMPLATE t;
    WORD menu, cls, title;
  } tpl = {};
  tpl.t.style = WS_POPUP;
  tpl.t.cx = 50;
  tpl.t.cy = 20;
  for (int attempt = 0; attempt < 50; ++attempt) {
    HWND w = CreateWindowA("BUTTON", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    HWND d = CreateDialogIndirectParamA(NULL, &tpl.t, NULL, QuietDialog, 0);
    if (w) DestroyWindow(w);
    if (d) DestroyWindow(d);
    if (w && d) return 0;
    Sleep(100);
  }
  return 1;
}

// A visible top-level window of the class, of any program.
HWND FindVisibleOfClass(const char *cls) {
  for (HWND h = NULL; (h = FindWindowExA(NULL, h, cls, NULL)) != NULL;)
    if (IsWindowVisible(h)) return h;
  return NULL;
}

UINT KeyCode(const char *name) {
  if ((name[0] == 'F' || name[0] == 'f') && atoi(name + 1) >= 1 && atoi(name + 1) <= 12)
    return VK_F1 + atoi(name + 1) - 1;
  return (UINT)strtoul(name, 0, 0);
}

// Starts the program and waits until its dialog is visible and the program
// waits for input: the time a user waits at start-up.
int Launch(const char *caption, const char *program, DWORD ms) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = std::string("\"") + program + "\"";
  double start = NowMs();
  if (!CreateProcessA(program, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    fprintf(stderr, "uidrive: cannot start %s (error %lu)\n", program, GetLastError());
    return 1;
  }
  HWND dlg = NULL;
  for (;;) {
    dlg = FindDialog(caption);
    if (dlg && IsWindowVisible(dlg)) break;
    if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0 || NowMs() - start > ms) {
      fprintf(stderr, "uidrive: \"%s\" did not show\n", caption);
      return 1;
    }
  }
  Sync(dlg);
  printf("ms %.1f\n", NowMs() - start);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

int Memory(HWND dlg) {
  DWORD pid = 0;
  GetWindowThreadProcessId(dlg, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    fprintf(stderr, "uidrive: cannot read the memory counters (error %lu)\n", GetLastError());
    return 1;
  }
  CloseHandle(process);
  printf("peak-working-set %llu peak-pagefile %llu\n", (unsigned long long)counters.PeakWorkingSetSize,
         (unsigned long long)counters.PeakPagefileUsage);
  return 0;
}

int Run(int argc, char **argv);

int main(int argc, char **argv) {
  if (argc > 2 && !strcmp(argv[1], "time")) {
    int rc = Run(argc - 1, argv + 1);
    printf("ms %.1f\n", g_sentMs);
    return rc;
  }
  return Run(argc, argv);
}

int Run(int argc, char **argv) {
  if (argc == 2 && !strcmp(argv[1], "warmup")) return Warmup();
  if (argc == 4 && !strcmp(argv[1], "pointer")) return SetCursorPos(atoi(argv[2]), atoi(argv[3])) ? 0 : 1;
  if (argc < 3) return Usage();
  if (!strcmp(argv[1], "launch") && argc > 3) return Launch(argv[2], argv[3], argc > 4 ? strtoul(argv[4], 0, 10) : 120000);
  const char *cmd = argv[1], *caption = argv[2];
  if (!strcmp(cmd, "window")) {
    DWORD ms = argc > 3 ? strtoul(argv[3], 0, 10) : 30000;
    for (DWORD waited = 0;; waited += 50) {
      if (HWND h = FindVisibleOfClass(argv[2])) {
        wchar_t title[512] = L"";
        GetWindowTextW(h, title, 512);
        puts(Narrow(title).c_str());
        return 0;
      }
      if (waited >= ms) return 1;
      Sleep(50);
    }
  }
  if (!strcmp(cmd, "closewindow")) {
    for (HWND h = NULL; (h = FindWindowExA(NULL, h, argv[2], NULL)) != NULL;)
      PostMessageA(h, WM_CLOSE, 0, 0);
    return 0;
  }
  if (!strcmp(cmd, "wait")) {
    return WaitDialog(caption, argc > 3 ? strtoul(argv[3], 0, 10) : 30000) ? 0 : 1;
  }
  if (!strcmp(cmd, "gone")) return WaitGone(FindDialog, caption, argc > 3 ? strtoul(argv[3], 0, 10) : 30000);
  if (!strcmp(cmd, "message")) {
    HWND box = WaitMessageBox(caption, argc > 3 ? strtoul(argv[3], 0, 10) : 10000);
    if (!box) { fprintf(stderr, "uidrive: no message box \"%s\"\n", caption); return 1; }
    wchar_t text[8192] = L"";
    // The message's static is the box's control 0xFFFF.
    SendMessageW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 8192, (LPARAM)text);
    puts(Narrow(text).c_str());
    return 0;
  }
  // Keys are posted: the box they answer closes some time after "key" returns.
  if (!strcmp(cmd, "nomessage")) return WaitGone(FindMessageBox, caption, argc > 3 ? strtoul(argv[3], 0, 10) : 10000);
  if (!strcmp(cmd, "answer") && argc > 3) {
    HWND box = WaitMessageBox(caption, 10000);
    if (!box) { fprintf(stderr, "uidrive: no message box \"%s\"\n", caption); return 1; }
    int id = atoi(argv[3]);
    Send(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
    return 0;
  }
  HWND dlg = WaitDialog(caption, 5000);
  if (!dlg) { fprintf(stderr, "uidrive: no window \"%s\"\n", caption); return 1; }
  if (!strcmp(cmd, "memory")) return Memory(dlg);
  if ((!strcmp(cmd, "view") && argc > 3) || (!strcmp(cmd, "choose") && argc > 4)) {
    bool view = !strcmp(cmd, "view");
    HWND box = view ? GetDlgItem(dlg, kViewBox) : FindControl(dlg, atoi(argv[3]));
    const char *text = view ? argv[3] : argv[4];
    if (!box) return 1;
    std::wstring want = Wide(text);
    LRESULT i = text[0] == '#' ? (LRESULT)atoi(text + 1)
                                       : SendMessageW(box, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)want.c_str());
    if (i >= SendMessageW(box, CB_GETCOUNT, 0, 0)) i = CB_ERR;
    if (i == CB_ERR) { fprintf(stderr, "uidrive: no item \"%s\"\n", text); return 1; }
    Send(box, CB_SETCURSEL, i, 0);
    Notify(box, CBN_SELENDOK);
    return 0;
  }
  if (!strcmp(cmd, "click") && argc > 3) {
    int id = atoi(argv[3]);
    HWND ctl = FindControl(dlg, id);
    if (!ctl) ctl = GetDlgItem(dlg, id);
    HWND parent = ctl ? GetParent(ctl) : dlg;
    Send(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)ctl);
    return 0;
  }
  if (!strcmp(cmd, "settext") && argc > 4) {
    HWND ctl = FindControl(dlg, atoi(argv[3]));
    if (!ctl) return 1;
    std::wstring w = Wide(argv[4]);
    // Texts go by pointer, which only a waiting send may carry.
    DWORD_PTR result;
    SendMessageTimeoutW(ctl, WM_SETTEXT, 0, (LPARAM)w.c_str(), SMTO_NORMAL, 60000, &result);
    return 0;
  }
  if (!strcmp(cmd, "select") && argc > 4) {
    HWND box = FindControl(dlg, atoi(argv[3]));
    if (!box) return 1;
    Send(box, LB_SETSEL, FALSE, -1);
    int n = (int)SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (int a = 4; a < argc; ++a) {
      std::wstring want = Wide(argv[a]);
      int i = 0;
      while (i < n && ItemText(box, i) != want) ++i;
      if (i == n) { fprintf(stderr, "uidrive: no item \"%s\"\n", argv[a]); return 1; }
      Send(box, LB_SETSEL, TRUE, i);
    }
    Notify(box, LBN_SELCHANGE);
    return 0;
  }
  if (!strcmp(cmd, "check") && argc > 3) {
    HWND ctl = FindControl(dlg, atoi(argv[3]));
    if (!ctl) return 1;
    Send(ctl, BM_CLICK, 0, 0);
    return 0;
  }
  if (!strcmp(cmd, "items") && argc > 3) {
    HWND box = FindControl(dlg, atoi(argv[3]));
    if (!box) return 1;
    int n = (int)SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) puts(Narrow(ItemText(box, i).c_str()).c_str());
    return 0;
  }
  if (!strcmp(cmd, "key") && argc > 4) {
    int id = atoi(argv[3]);
    HWND target = id ? FindControl(dlg, id) : NULL;
    if (!target) {
      // The focus of the tool's thread: the control keys go to.
      GUITHREADINFO info;
      info.cbSize = sizeof info;
      if (GetGUIThreadInfo(GetWindowThreadProcessId(dlg, NULL), &info)) target = info.hwndFocus;
    }
    if (!target) target = dlg;
    UINT vk = KeyCode(argv[4]);
    if (!vk) return Usage();
    LPARAM scan = (LPARAM)MapVirtualKeyA(vk, 0) << 16;
    // Posted, as the keyboard would: the tool's message loop (and the hooks
    // it offers its messages to) must see them.
    PostMessageA(target, WM_KEYDOWN, vk, 1 | scan);
    PostMessageA(target, WM_KEYUP, vk, 1 | scan | (3UL << 30));
    Sync(dlg);
    return 0;
  }
  if (!strcmp(cmd, "focus") && argc > 3) {
    HWND ctl = FindControl(dlg, atoi(argv[3]));
    if (!ctl) return 1;
    // The dialog moves its focus itself (and makes a push button its
    // default), as it does for Tab. A key posted while the focus is elsewhere
    // would go elsewhere: the command ends once the focus is there.
    DWORD thread = GetWindowThreadProcessId(dlg, NULL);
    for (DWORD waited = 0; waited < 5000; waited += 50) {
      Send(dlg, WM_NEXTDLGCTL, (WPARAM)ctl, TRUE);
      GUITHREADINFO info;
      info.cbSize = sizeof info;
      if (GetGUIThreadInfo(thread, &info) && info.hwndFocus == ctl) return 0;
      Sleep(50);
    }
    fprintf(stderr, "uidrive: the focus does not stay on control %s\n", argv[3]);
    return 1;
  }
  if (!strcmp(cmd, "close")) {
    PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (!strcmp(cmd, "text") && argc > 3) {
    wchar_t buf[1024] = L"";
    HWND ctl = FindControl(dlg, atoi(argv[3]));
    if (!ctl) return 1;
    SendMessageW(ctl, WM_GETTEXT, 1024, (LPARAM)buf);
    puts(Narrow(buf).c_str());
    return 0;
  }
  return Usage();
}

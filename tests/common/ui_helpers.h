// ui_helpers.h - driving real dialogs in-process under Wine.
//
// The message-box and help seams of the framework are the only stand-ins:
// a real MessageBox or WinHelp blocks for ever under the null driver. Modal
// dialogs are driven by thread timers, which their modal loop dispatches.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "afxwin.h"

namespace ui {

struct MessageBoxCall
{
    std::string text;
    UINT type;
    DWORD helpContext;
    std::string caption;
};

// Records every application message box while it lives and answers each
// with the next queued answer (then with the default answer).
class MessageBoxRecorder
{
public:
    explicit MessageBoxRecorder(int defaultAnswer = IDOK) : defaultAnswer(defaultAnswer)
    {
        AfxSetMessageBoxResponder(&Respond, this);
    }
    ~MessageBoxRecorder() { AfxSetMessageBoxResponder(NULL, NULL); }

    void Answer(int answer) { answers.push_back(answer); }

    std::vector<MessageBoxCall> calls;
    int defaultAnswer;
    std::deque<int> answers;

private:
    static int Respond(const char *text, UINT type, DWORD helpContext, const char *caption, void *user)
    {
        MessageBoxRecorder *self = static_cast<MessageBoxRecorder *>(user);
        self->calls.push_back({text ? text : "", type, helpContext, caption ? caption : ""});
        if (self->answers.empty())
            return self->defaultAnswer;
        int answer = self->answers.front();
        self->answers.pop_front();
        return answer;
    }
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;
};

struct HelpCall
{
    std::string file;
    UINT command;
    DWORD_PTR data;
    AFX_HELP_TYPE engine;
    std::string jump;   // the jump macro of a WinHelp topic
};

// Records every help request; the engine "starts" unless told otherwise.
class HelpRecorder
{
public:
    explicit HelpRecorder(BOOL starts = TRUE) : starts(starts) { AfxSetHelpResponder(&Respond, this); }
    ~HelpRecorder() { AfxSetHelpResponder(NULL, NULL); }

    std::vector<HelpCall> calls;
    BOOL starts;

private:
    static BOOL Respond(AFX_HELP_TYPE engine, const char *file, UINT command, DWORD_PTR data, void *user)
    {
        HelpRecorder *self = static_cast<HelpRecorder *>(user);
        bool jump = engine == afxWinHelp && command == HELP_COMMAND;
        self->calls.push_back({file ? file : "", command, jump ? 0 : data, engine, jump ? (const char *)data : ""});
        return self->starts;
    }
    HelpRecorder(const HelpRecorder &) = delete;
    HelpRecorder &operator=(const HelpRecorder &) = delete;
};

// While it lives, the help path names a file of its own in the temporary
// folder, and a .chm stands beside it when asked for.
struct CompiledHelp
{
    explicit CompiledHelp(bool present) : previous(AfxGetApp()->m_pszHelpFilePath)
    {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        hlp = tmp + std::string("rvxhelp") + std::to_string(GetCurrentProcessId());
        chm = hlp + ".chm";
        hlp += ".HLP";
        if (present)
            CloseHandle(CreateFileA(chm.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        AfxGetApp()->SetHelpFilePath(hlp.c_str());
    }
    ~CompiledHelp() { DeleteFileA(chm.c_str()); AfxGetApp()->SetHelpFilePath(previous.c_str()); }
    std::string previous, hlp, chm;
};

// A real language library (English unless named) as the resource source
// while it lives (the tests run in bin/, beside it), mapped as the program
// maps it: as a resource image only.
inline HMODULE LoadResourceImage(const char *file)
{
    return LoadLibraryExA(file, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

class LanguageLibrary
{
public:
    explicit LanguageLibrary(const char *file = "rvxrsus.dll")
        : previous(AfxGetResourceHandle()), module(LoadResourceImage(file))
    {
        if (module)
            AfxSetResourceHandle(module);
    }
    ~LanguageLibrary()
    {
        AfxSetResourceHandle(previous);
        if (module)
            FreeLibrary(module);
    }
    bool Loaded() const { return module != NULL; }
    HMODULE Handle() const { return module; }

private:
    HINSTANCE previous;
    HMODULE module;
};

// Runs fn once, from a thread timer, inside whatever message loop is running
// after `ms` milliseconds (a modal dialog's loop dispatches it).
inline std::map<UINT_PTR, std::function<void()>> &PendingTimers()
{
    static std::map<UINT_PTR, std::function<void()>> timers;
    return timers;
}

inline void CALLBACK TimerFired(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    auto it = PendingTimers().find(id);
    if (it == PendingTimers().end())
        return;
    std::function<void()> fn = it->second;
    PendingTimers().erase(it);
    fn();
}

inline void Later(UINT ms, std::function<void()> fn)
{
    UINT_PTR id = SetTimer(NULL, 0, ms, &TimerFired);
    PendingTimers()[id] = fn;
}

// Runs the dialog modally; `script` gets it once its window is up and shown
// (a template without WS_VISIBLE is shown only when the modal loop first
// goes idle, which can come after a timer) and must end it (IDOK/IDCANCEL).
// Should the script leave it open, the dialog is ended with -2 so that a
// failing test cannot hang the run.
inline void RunWhenShown(CDialog &dialog, std::function<void(CDialog &)> script, int triesLeft)
{
    Later(20, [&dialog, script, triesLeft]() {
        if (dialog.m_hWnd == NULL) {
            ADD_FAILURE() << "the dialog has no window when the script runs";
            return;
        }
        if (!IsWindowVisible(dialog.m_hWnd) && triesLeft > 0) {
            RunWhenShown(dialog, script, triesLeft - 1);
            return;
        }
        script(dialog);
        if (dialog.m_hWnd && IsWindow(dialog.m_hWnd) && IsWindowVisible(dialog.m_hWnd))
            EndDialog(dialog.m_hWnd, -2);
    });
}

inline INT_PTR RunModal(CDialog &dialog, std::function<void(CDialog &)> script)
{
    RunWhenShown(dialog, script, 100);
    return dialog.DoModal();
}

// Acts on a window as soon as `find` finds it (a nested modal dialog opened
// by the caller's next message); gives up with a failure after ~2 s.
inline void WhenFound(std::function<HWND()> find, std::function<void(HWND)> act, int triesLeft = 100)
{
    Later(20, [find, act, triesLeft]() {
        HWND w = find();
        if (w && IsWindowVisible(w)) {
            act(w);
        } else if (triesLeft > 0) {
            WhenFound(find, act, triesLeft - 1);
        } else {
            ADD_FAILURE() << "the expected window never showed";
        }
    });
}

// A visible top-level window of this thread that has a control `id` and is
// not `except`; NULL when none.
struct DialogSearch
{
    int id;
    HWND except;
    HWND found;
};

// An enumeration callback must be CALLBACK (stdcall on i686): no lambda.
inline BOOL CALLBACK MatchDialogWithControl(HWND w, LPARAM p)
{
    DialogSearch *s = (DialogSearch *)p;
    if (w != s->except && IsWindowVisible(w) && GetDlgItem(w, s->id)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

inline HWND FindDialogWithControl(int id, HWND except = NULL)
{
    DialogSearch search = {id, except, NULL};
    EnumThreadWindows(GetCurrentThreadId(), &MatchDialogWithControl, (LPARAM)&search);
    return search.found;
}

// A click as the dialog manager reports it: WM_COMMAND with BN_CLICKED.
inline void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

// A notification from control id of the dialog.
inline void Notify(HWND dialog, int id, int code)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(dialog, id));
}

inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

inline std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::string text((size_t)length + 1, '\0');
    GetWindowTextA(window, &text[0], length + 1);
    text.resize((size_t)length);
    return text;
}

// An item's text by the box's length and text messages; error names a
// failed length (an index out of range).
inline std::string ItemText(HWND box, UINT lengthMessage, UINT textMessage, int index, const char *error)
{
    LRESULT length = SendMessageA(box, lengthMessage, (WPARAM)index, 0);
    if (length < 0)
        return error;
    std::string text((size_t)length + 1, '\0');
    SendMessageA(box, textMessage, (WPARAM)index, (LPARAM)&text[0]);
    text.resize((size_t)length);
    return text;
}

inline std::string ListText(HWND box, int index)
{
    return ItemText(box, LB_GETTEXTLEN, LB_GETTEXT, index, "<LB_ERR>");
}

inline std::vector<std::string> ListTexts(HWND box)
{
    std::vector<std::string> texts;
    int count = (int)SendMessageA(box, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        texts.push_back(ListText(box, i));
    return texts;
}

inline std::string ComboText(HWND box, int index)
{
    return ItemText(box, CB_GETLBTEXTLEN, CB_GETLBTEXT, index, "<CB_ERR>");
}

inline std::string ResourceString(UINT id)
{
    CString text;
    text.LoadString(id);
    return std::string((LPCSTR)text);
}

// Lets posted messages and paints run.
inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A key pressed in a control, as the keyboard posts it, then handled the way
// a modal dialog's loop handles its messages: the message-filter hook first,
// then the dialog manager of dialog, then the window itself.
inline void PressKey(HWND dialog, HWND control, UINT vk)
{
    PostMessageA(control, WM_KEYDOWN, vk, 1);
    PostMessageA(control, WM_KEYUP, vk, 0xC0000001);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (CallMsgFilterA(&msg, MSGF_DIALOGBOX) || IsDialogMessageA(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace ui

// CCmdTarget, CWnd and the small GDI/menu helpers the dialogs use.
// A CWnd does not own its HWND: destroying the object leaves the window
// alone, and destroying the window only clears m_hWnd.
#pragma once
#include "afxobj.h"
#include "afxstr.h"
#include "afxmsgmap.h"

class CDataExchange;
class CWnd;

// Root of everything that has a message map (windows and the application).
class CCmdTarget : public CObject
{
public:
    // Routes a command (WM_COMMAND id/notification code) through the maps.
    // TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

protected:
    static const AFX_MSGMAP *GetThisMessageMap();
    virtual const AFX_MSGMAP *GetMessageMap() const;
    // The first entry of this object's maps (most derived first) that
    // matches; NULL when none does.
    const AFX_MSGMAP_ENTRY *FindMessageEntry(UINT nMsg, UINT nCode, UINT nID) const;
    // Calls a command handler (AfxSig_vv).
    void DispatchCommand(const AFX_MSGMAP_ENTRY *pEntry);
};

struct CPoint : POINT
{
    CPoint() { x = y = 0; }
    CPoint(int ix, int iy) { x = ix; y = iy; }
    operator LPPOINT() { return this; }
};

struct CSize : SIZE
{
    CSize() { cx = cy = 0; }
    CSize(int x, int y) { cx = x; cy = y; }
    CSize(SIZE s) { cx = s.cx; cy = s.cy; }
};

struct CRect : RECT
{
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT &r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// A device context wrapper; it does not own m_hDC.
class CDC
{
public:
    HDC m_hDC;
    explicit CDC(HDC hDC = NULL) : m_hDC(hDC) {}
    virtual ~CDC() {}
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    // Width and height of the text in the currently selected font.
    CSize GetTextExtent(LPCSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString &str) const { return GetTextExtent(str, str.GetLength()); }
};

// A menu wrapper that does not own m_hMenu (the system menu belongs to its window).
class CMenu
{
public:
    HMENU m_hMenu;
    explicit CMenu(HMENU hMenu = NULL) : m_hMenu(hMenu) {}
    HMENU GetSafeHmenu() const { return m_hMenu; }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = NULL)
    { return ::InsertMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem); }
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = NULL)
    { return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem); }
    // Previous state (MF_ENABLED/MF_GRAYED/MF_DISABLED), -1 when no such item.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    // A temporary wrapper from a small recycled pool: valid until a few more
    // FromHandle calls have been made; NULL for a NULL handle.
    static CMenu *FromHandle(HMENU hMenu);
};

class CWnd : public CCmdTarget
{
public:
    HWND m_hWnd = NULL;

    CWnd() {}
    ~CWnd() override;   // unmaps the object; never destroys the window

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to hWnd if there is one, else a temporary wrapper
    // from a small recycled pool (valid until a few dozen more temporary
    // wrappers have been handed out; never delete it). NULL for NULL.
    static CWnd *FromHandle(HWND hWnd);
    // The object attached to hWnd (by Attach, DDX_Control or a dialog of this
    // framework), else NULL.
    static CWnd *FromHandlePermanent(HWND hWnd);
    // Attaches this object to a window that has none yet; FALSE if hWnd is
    // NULL or this object is already attached.
    BOOL Attach(HWND hWndNew);
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    { return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam); }

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    CWnd *SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd *GetFocus() { return FromHandle(::GetFocus()); }
    CWnd *GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd *GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const { return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount); }
    void GetWindowText(CString &rString) const;   // the whole text, any length
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int nID, LPCSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
    int GetDlgItemText(int nID, CString &rString) const;

    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    { ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint); }
    // pWndInsertAfter: a window, NULL (with SWP_NOZORDER), or &wndTop,
    // &wndBottom, &wndTopMost, &wndNoTopMost.
    BOOL SetWindowPos(const CWnd *pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    { return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : NULL, x, y, cx, cy, nFlags); }
    static const CWnd wndTop, wndBottom, wndTopMost, wndNoTopMost;
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const;    // both corners
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void ClientToScreen(LPRECT lpRect) const;    // both corners
    // Centres on the parent (or the screen's work area when there is none).
    void CenterWindow(CWnd *pAlternateOwner = NULL);
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }

    // The window's system menu as a temporary wrapper (see CMenu::FromHandle);
    // bRevert = TRUE restores the default menu and returns NULL.
    CMenu *GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
    // The previous icon of that size.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    { return (HICON)::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon); }

    virtual BOOL DestroyWindow();

    // A keyboard or mouse message, before the dialog manager handles it
    // (Enter presses the default button, Escape cancels, Tab moves on).
    // The framework offers it to the window it is for and then to each
    // parent that has an object, innermost first; TRUE keeps it from being
    // handled any further.
    virtual BOOL PreTranslateMessage(MSG *pMsg) { return FALSE; }

    void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }

    // A DC for the client area; give it back with ReleaseDC (which frees the
    // wrapper). NULL when no DC could be had.
    CDC *GetDC();
    int ReleaseDC(CDC *pDC);

    // Runs DoDataExchange: bSaveAndValidate TRUE reads the controls into the
    // members, FALSE shows the members in the controls. Control notifications
    // that the exchange itself causes (EN_CHANGE from SetWindowText, ...) are
    // not dispatched to this window's map. FALSE when a control was missing.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange *pDX) {}

    // Default processing of the message being dispatched to this window.
    LRESULT Default();

    // Command routing: WM_COMMAND reaches OnCommand, which looks the id and
    // notification code up in the message maps. TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Dispatches one message through the maps; TRUE (and *pResult) when a
    // handler took it, FALSE for default processing.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);

    // Default handlers: each does the default processing of its message, so
    // that a derived handler can end with e.g. CDialog::OnSysCommand(nID, lParam).
    void OnSysCommand(UINT nID, LPARAM lParam) { Default(); }
    void OnShowWindow(BOOL bShow, UINT nStatus) { Default(); }
    BOOL OnEraseBkgnd(CDC *pDC) { return (BOOL)Default(); }
    HCURSOR OnQueryDragIcon() { return (HCURSOR)Default(); }
    void OnSysColorChange() { Default(); }

protected:
    // Called after the window has received its last message (WM_NCDESTROY),
    // once m_hWnd is NULL; the object may delete itself here.
    virtual void PostNcDestroy() {}

    // Called by window/dialog procedures of this framework when the window
    // has been destroyed.
    void OnFinalDestroy();
    // The window procedure's default processing (DefDlgProc for dialogs).
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    friend class CDialog;
    friend class CDataExchange;
    // Non-zero while UpdateData runs on this window: notifications are held off.
    int m_nUpdateDataDepth = 0;

private:
    explicit CWnd(HWND hWndSpecial) : m_hWnd(hWndSpecial) {}   // the wndTop... markers
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;
};

// The state of one UpdateData run.
class CDataExchange
{
public:
    BOOL m_bSaveAndValidate;   // TRUE: controls -> members
    CWnd *m_pDlgWnd;
    BOOL m_bFailed = FALSE;    // a named control did not exist

    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    // The control's window; NULL (and m_bFailed) when the dialog has none of that ID.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC) { return PrepareCtrl(nIDC); }
};

// Attaches the control's window to rControl the first time (no subclassing:
// its notifications still go to the dialog's map).
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);
// The window text, any length, bytes as they are.
void DDX_Text(CDataExchange *pDX, int nIDC, CString &value);
// Save: the selected item's text (drop-down list) or the edit text (drop-down).
// Load: selects the first item that begins with value, searching from the top;
// if none does, the edit text of a drop-down becomes value and a drop-down
// list is left as it is.
void DDX_CBString(CDataExchange *pDX, int nIDC, CString &value);
// BST_UNCHECKED/CHECKED/INDETERMINATE as 0/1/2. On load a value outside 0..2
// shows (and becomes) 0.
void DDX_Check(CDataExchange *pDX, int nIDC, int &value);

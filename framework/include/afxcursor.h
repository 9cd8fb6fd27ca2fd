// CWaitCursor: the hourglass for the length of a scope, for work that keeps
// the UI thread busy for a noticeable time (loading, saving). The cursor in
// use before comes back at the end of the scope.
#pragma once
#include <windows.h>

class CWaitCursor
{
public:
    CWaitCursor() : m_previous(::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor &) = delete;
    CWaitCursor &operator=(const CWaitCursor &) = delete;
    // Shows the hourglass again, after a message box or a dialog put its own
    // cursor up in between.
    void Restore() { ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_WAIT)); }

private:
    HCURSOR m_previous;
};

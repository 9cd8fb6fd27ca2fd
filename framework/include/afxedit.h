// CEdit: a thin wrapper of an edit control; one message per call.
#pragma once
#include "afxwnd.h"

class CEdit : public CWnd
{
public:
    // 0 removes the limit (as far as the control allows).
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, (WPARAM)nChars); }
    void SetSel(int nStartChar, int nEndChar) { SendMessage(EM_SETSEL, (WPARAM)nStartChar, (LPARAM)nEndChar); }
    void GetSel(int &nStartChar, int &nEndChar) const
    { DWORD s = 0, e = 0; SendMessage(EM_GETSEL, (WPARAM)&s, (LPARAM)&e); nStartChar = (int)s; nEndChar = (int)e; }
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE) { SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText); }
    BOOL GetModify() const { return (BOOL)SendMessage(EM_GETMODIFY); }
    void SetModify(BOOL bModified = TRUE) { SendMessage(EM_SETMODIFY, (WPARAM)bModified); }
};

// CDialog: modal and modeless dialogs from templates in the resource module
// (AfxGetResourceHandle). One static dialog procedure finds the object and
// dispatches through its message map; nothing thrown escapes it.
#pragma once
#include "afxwnd.h"

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = NULL);
    ~CDialog() override;

    // Runs the dialog modally. The owner is the parent given to the
    // constructor, else the application's main window (unless that is this
    // dialog), else none. The EndDialog result; -1 when the template is
    // missing or the window could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (a child dialog for a WS_CHILD template).
    // FALSE when the template is missing or the window could not be made.
    BOOL Create(UINT nIDTemplate, CWnd *pParentWnd = NULL);
    void EndDialog(int nResult);

    // Shows the members in the controls (UpdateData(FALSE)); TRUE lets the
    // dialog manager set the focus.
    virtual BOOL OnInitDialog();
    // IDOK: UpdateData(TRUE), then EndDialog(IDOK) if that succeeded.
    virtual void OnOK();
    // IDCANCEL (also Esc and the Close box): EndDialog(IDCANCEL).
    virtual void OnCancel();

    // Commands no handler of the dialog took go to the application object
    // last (e.g. ID_HELP to CWinApp::OnHelp).
    BOOL OnCmdMsg(UINT nID, int nCode) override;

    UINT m_nIDHelp = 0;   // the template ID

protected:
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd *m_pParentWnd;

    DECLARE_MESSAGE_MAP()
};

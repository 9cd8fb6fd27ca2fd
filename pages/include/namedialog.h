// namedialog.h - the small modal dialog that asks for a new configuration's
// name (template 28486).
//
// It only collects a text: commas, reserved names and duplicates are the
// caller's business. The text is taken as typed (blanks and case kept). After
// the first edit, OK is enabled exactly while the text is not empty.
#pragma once

#include "afxwin.h"

class CNameDialog : public CDialog
{
public:
    explicit CNameDialog(CWnd *parent = NULL);

    // The text of edit 1023 as last transferred; read it after DoModal
    // returned IDOK.
    CString name;

protected:
    virtual void DoDataExchange(CDataExchange *pDX);
    virtual void OnOK();

    void OnNameChange();     // EN_CHANGE of 1023
    void OnHelpContents();   // the standard help command (57670)

    DECLARE_MESSAGE_MAP()
};

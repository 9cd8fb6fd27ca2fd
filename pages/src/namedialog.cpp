// The name entry dialog: collects one text, nothing more.
#include "namedialog.h"

#include "resource.h"

CNameDialog::CNameDialog(CWnd *parent)
    : CDialog(IDD_NAME, parent)
{
}

void CNameDialog::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    // No length limit and no validation: the caller checks the name.
    DDX_Text(pDX, IDC_NAME, name);
}

BEGIN_MESSAGE_MAP(CNameDialog, CDialog)
    ON_EN_CHANGE(IDC_NAME, OnNameChange)
    ON_COMMAND(ID_HELP_CMD, OnHelpContents)
END_MESSAGE_MAP()

void CNameDialog::OnNameChange()
{
    UpdateData(TRUE);
    // A name of blanks is a name: only the empty text keeps OK disabled.
    CWnd *ok = GetDlgItem(IDOK);
    if (ok)
        ok->EnableWindow(!name.IsEmpty());
}

void CNameDialog::OnOK()
{
    UpdateData(TRUE);
    CDialog::OnOK();
}

void CNameDialog::OnHelpContents()
{
    AfxGetApp()->WinHelp(0, HELP_CONTENTS);
}

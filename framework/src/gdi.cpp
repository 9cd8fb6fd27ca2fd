// CDC and CMenu helpers.
#include "afximpl.h"

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const
{
    SIZE size = {0, 0};
    if (lpszString && nCount > 0)
        ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
    return CSize(size);
}

CMenu *CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return NULL;
    return AfxTemporaryWrapper<CMenu, 8>(hMenu, &CMenu::m_hMenu);
}

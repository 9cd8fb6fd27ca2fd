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
    enum { kPool = 8 };
    static CMenu pool[kPool];
    static int next = 0;
    for (CMenu &m : pool)
        if (m.m_hMenu == hMenu)
            return &m;
    CMenu *p = &pool[next];
    next = (next + 1) % kPool;
    p->m_hMenu = hMenu;
    return p;
}

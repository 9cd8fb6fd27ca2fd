// Message-map lookup and command dispatch.
#include "afximpl.h"

const AFX_MSGMAP *CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, (AFX_PMSG)0}};
    static const AFX_MSGMAP map = {NULL, &entries[0]};
    return &map;
}

const AFX_MSGMAP *CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY *CCmdTarget::FindMessageEntry(UINT nMsg, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP *map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : NULL)
    {
        for (const AFX_MSGMAP_ENTRY *e = map->lpEntries; e->nSig != AfxSig_end; ++e)
            if (e->nMessage == nMsg && e->nCode == nCode && e->nID == nID)
                return e;
    }
    return NULL;
}

void CCmdTarget::DispatchCommand(const AFX_MSGMAP_ENTRY *pEntry)
{
    (this->*pEntry->pfn)();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    const AFX_MSGMAP_ENTRY *e = FindMessageEntry(WM_COMMAND, (UINT)nCode, nID);
    if (!e || e->nSig != AfxSig_vv)
        return FALSE;
    DispatchCommand(e);
    return TRUE;
}

// CObject and run-time class information.
#include "afxobj.h"
#include <new>

const CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, NULL, NULL};

CRuntimeClass *CObject::GetRuntimeClass() const
{
    return RUNTIME_CLASS(CObject);
}

BOOL CObject::IsKindOf(const CRuntimeClass *pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

CObject *CRuntimeClass::CreateObject() const
{
    if (!m_pfnCreateObject)
        return NULL;
    // The constructor may throw (bad_alloc); dynamic creation reports that
    // as NULL, like a class that cannot be created.
    try
    {
        return m_pfnCreateObject();
    }
    catch (...)
    {
        return NULL;
    }
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass *pBaseClass) const
{
    for (const CRuntimeClass *p = this; p; p = p->m_pBaseClass)
        if (p == pBaseClass)
            return TRUE;
    return FALSE;
}

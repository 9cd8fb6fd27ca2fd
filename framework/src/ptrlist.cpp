// CPtrList: one heap node per element, so a POSITION (the node) survives
// every change but the removal of that node.
#include "afxcoll.h"

CPtrList::~CPtrList()
{
    RemoveAll();
}

void *&CPtrList::GetHead() { return m_pNodeHead->data; }
void *CPtrList::GetHead() const { return m_pNodeHead->data; }
void *&CPtrList::GetTail() { return m_pNodeTail->data; }
void *CPtrList::GetTail() const { return m_pNodeTail->data; }

void *CPtrList::RemoveHead()
{
    void *data = m_pNodeHead->data;
    RemoveAt((POSITION)m_pNodeHead);
    return data;
}

void *CPtrList::RemoveTail()
{
    void *data = m_pNodeTail->data;
    RemoveAt((POSITION)m_pNodeTail);
    return data;
}

POSITION CPtrList::Link(CNode *prev, CNode *next, void *newElement)
{
    CNode *node = new CNode;
    node->data = newElement;
    node->pPrev = prev;
    node->pNext = next;
    (prev ? prev->pNext : m_pNodeHead) = node;
    (next ? next->pPrev : m_pNodeTail) = node;
    ++m_nCount;
    return (POSITION)node;
}

POSITION CPtrList::AddHead(void *newElement)
{
    return Link(nullptr, m_pNodeHead, newElement);
}

POSITION CPtrList::AddTail(void *newElement)
{
    return Link(m_pNodeTail, nullptr, newElement);
}

void CPtrList::RemoveAll()
{
    CNode *node = m_pNodeHead;
    while (node)
    {
        CNode *next = node->pNext;
        delete node;
        node = next;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
}

CPtrList::CNode *CPtrList::Step(POSITION &rPosition, bool forward)
{
    CNode *node = static_cast<CNode *>(rPosition);
    rPosition = (POSITION)(forward ? node->pNext : node->pPrev);
    return node;
}

void *&CPtrList::GetNext(POSITION &rPosition) { return Step(rPosition, true)->data; }
void *CPtrList::GetNext(POSITION &rPosition) const { return Step(rPosition, true)->data; }
void *&CPtrList::GetPrev(POSITION &rPosition) { return Step(rPosition, false)->data; }
void *CPtrList::GetPrev(POSITION &rPosition) const { return Step(rPosition, false)->data; }

void *&CPtrList::GetAt(POSITION position) { return static_cast<CNode *>(position)->data; }
void *CPtrList::GetAt(POSITION position) const { return static_cast<CNode *>(position)->data; }
void CPtrList::SetAt(POSITION pos, void *newElement) { static_cast<CNode *>(pos)->data = newElement; }

void CPtrList::RemoveAt(POSITION position)
{
    CNode *node = static_cast<CNode *>(position);
    if (node->pPrev)
        node->pPrev->pNext = node->pNext;
    else
        m_pNodeHead = node->pNext;
    if (node->pNext)
        node->pNext->pPrev = node->pPrev;
    else
        m_pNodeTail = node->pPrev;
    delete node;
    --m_nCount;
}

POSITION CPtrList::InsertBefore(POSITION position, void *newElement)
{
    CNode *at = static_cast<CNode *>(position);
    return at ? Link(at->pPrev, at, newElement) : AddHead(newElement);
}

POSITION CPtrList::InsertAfter(POSITION position, void *newElement)
{
    CNode *at = static_cast<CNode *>(position);
    return at ? Link(at, at->pNext, newElement) : AddTail(newElement);
}

POSITION CPtrList::Find(void *searchValue, POSITION startAfter) const
{
    CNode *node = startAfter ? static_cast<CNode *>(startAfter)->pNext : m_pNodeHead;
    for (; node; node = node->pNext)
        if (node->data == searchValue)
            return (POSITION)node;
    return NULL;
}

POSITION CPtrList::FindIndex(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount)
        return NULL;
    CNode *node = m_pNodeHead;
    while (nIndex-- > 0)
        node = node->pNext;
    return (POSITION)node;
}

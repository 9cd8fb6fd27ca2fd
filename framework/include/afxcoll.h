// CPtrList: a doubly linked list of void*. A POSITION is the node itself, so
// it stays valid until that node is removed, whatever else is added or
// removed (list boxes keep POSITIONs in their item data).
#pragma once
#include "afxobj.h"

struct __POSITION {};
typedef __POSITION *POSITION;

class CPtrList : public CObject
{
public:
    CPtrList() {}
    ~CPtrList() override;

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    void *&GetHead();          // the list must not be empty
    void *GetHead() const;
    void *&GetTail();
    void *GetTail() const;
    void *RemoveHead();        // the list must not be empty
    void *RemoveTail();

    POSITION AddHead(void *newElement);
    POSITION AddTail(void *newElement);
    void RemoveAll();

    POSITION GetHeadPosition() const { return (POSITION)m_pNodeHead; }
    POSITION GetTailPosition() const { return (POSITION)m_pNodeTail; }
    void *&GetNext(POSITION &rPosition);   // returns the element, moves to the next (NULL at end)
    void *GetNext(POSITION &rPosition) const;
    void *&GetPrev(POSITION &rPosition);
    void *GetPrev(POSITION &rPosition) const;

    void *&GetAt(POSITION position);
    void *GetAt(POSITION position) const;
    void SetAt(POSITION pos, void *newElement);
    void RemoveAt(POSITION position);

    POSITION InsertBefore(POSITION position, void *newElement);
    POSITION InsertAfter(POSITION position, void *newElement);

    // First node holding searchValue after startAfter (from the head when NULL).
    POSITION Find(void *searchValue, POSITION startAfter = NULL) const;
    // Node at a zero-based index; NULL when out of range.
    POSITION FindIndex(int nIndex) const;

private:
    struct CNode : __POSITION
    {
        CNode *pNext;
        CNode *pPrev;
        void *data;
    };
    // A new node between two neighbours (null at either end of the list).
    POSITION Link(CNode *prev, CNode *next, void *newElement);
    // The node at rPosition; rPosition moves to its neighbour (NULL past an end).
    static CNode *Step(POSITION &rPosition, bool forward);

    CNode *m_pNodeHead = nullptr;
    CNode *m_pNodeTail = nullptr;
    int m_nCount = 0;

    CPtrList(const CPtrList &) = delete;
    CPtrList &operator=(const CPtrList &) = delete;
};

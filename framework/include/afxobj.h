// CObject: the common base of the framework's classes. Run-time type
// questions are C++'s own (dynamic_cast).
#pragma once
#include <windows.h>

class CObject
{
public:
    virtual ~CObject() {}

protected:
    CObject() {}
};

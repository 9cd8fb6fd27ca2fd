// pagehost.h - what an editing page needs from the dialog that hosts it.
//
// The three pages share one "current configuration" so that switching pages
// keeps the administrator on the same configuration; the host owns that index
// and the view box (the list of configurations kept in the main dialog).
#pragma once

#include <windows.h>

class CPageHost
{
public:
    virtual int GetCurrentConfigurationIndex() = 0;
    virtual void SetCurrentConfigurationIndex(int) = 0;
    virtual void ConfigurationsChanged() = 0;
    virtual HWND GetViewBoxHwnd() = 0;
    // Every page stores what it shows into its current copy, so that the
    // copies hold what OK would store (before one is duplicated).
    virtual void StoreShownEdits() {}
    virtual ~CPageHost() {}
};

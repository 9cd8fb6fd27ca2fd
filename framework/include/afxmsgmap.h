// Message maps: each class that declares one has a plain static table of
// entries; the dispatcher walks the class's table, then its base's, up to
// CCmdTarget. Handlers are ordinary (non-virtual) member functions; the
// macros check each handler's signature with a static_cast before storing
// it as the common pointer-to-member type.
#pragma once
#include <windows.h>

class CCmdTarget;
class CDC;
typedef void (CCmdTarget::*AFX_PMSG)();

// Signature tags: how the dispatcher calls the stored member function.
enum AfxSig
{
    AfxSig_end = 0,
    AfxSig_vv,       // void f()
    AfxSig_vwl,      // void f(UINT, LPARAM)
    AfxSig_vbw,      // void f(BOOL, UINT)
    AfxSig_bD,       // BOOL f(CDC*)
    AfxSig_hv,       // HCURSOR f()
    AfxSig_lwl,      // LRESULT f(WPARAM, LPARAM)
};

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;   // WM_COMMAND for commands and control notifications
    UINT nCode;      // notification code (0 for commands and clicks)
    UINT nID;        // control or command ID (0 for window messages)
    UINT nSig;       // AfxSig
    AFX_PMSG pfn;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP *(*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY *lpEntries;
};

// Leaves the class in the protected section, as MFC's does.
#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP *GetThisMessageMap(); \
    const AFX_MSGMAP *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP *theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP *theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, AfxSig_end, (AFX_PMSG)0}}; \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap; \
    }

#define _AFX_PMSG_OF(type, memberFxn) \
    reinterpret_cast<AFX_PMSG>(static_cast<type>(&ThisClass::memberFxn))

typedef void (CCmdTarget::*AFX_PMSG_VV)();
typedef void (CCmdTarget::*AFX_PMSG_VWL)(UINT, LPARAM);
typedef void (CCmdTarget::*AFX_PMSG_VBW)(BOOL, UINT);
typedef BOOL (CCmdTarget::*AFX_PMSG_BD)(CDC *);
typedef HCURSOR (CCmdTarget::*AFX_PMSG_HV)();
typedef LRESULT (CCmdTarget::*AFX_PMSG_LWL)(WPARAM, LPARAM);

// void memberFxn()
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (UINT)(id), AfxSig_vv, _AFX_PMSG_OF(AFX_PMSG_VV, memberFxn)},
// void memberFxn()  -- any WM_COMMAND notification code from control id
#define ON_CONTROL(code, id, memberFxn) {WM_COMMAND, (UINT)(code), (UINT)(id), AfxSig_vv, _AFX_PMSG_OF(AFX_PMSG_VV, memberFxn)},
// void memberFxn()
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
// void memberFxn()
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
// void memberFxn()
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
// void memberFxn()
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
// void memberFxn()
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
// void memberFxn()
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, AfxSig_vwl, _AFX_PMSG_OF(AFX_PMSG_VWL, OnSysCommand)},
// void OnShowWindow(BOOL bShow, UINT nStatus)
#define ON_WM_SHOWWINDOW() {WM_SHOWWINDOW, 0, 0, AfxSig_vbw, _AFX_PMSG_OF(AFX_PMSG_VBW, OnShowWindow)},
// BOOL OnEraseBkgnd(CDC *pDC)  -- TRUE when the background has been erased
#define ON_WM_ERASEBKGND() {WM_ERASEBKGND, 0, 0, AfxSig_bD, _AFX_PMSG_OF(AFX_PMSG_BD, OnEraseBkgnd)},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, AfxSig_hv, _AFX_PMSG_OF(AFX_PMSG_HV, OnQueryDragIcon)},
// void OnSysColorChange()
#define ON_WM_SYSCOLORCHANGE() {WM_SYSCOLORCHANGE, 0, 0, AfxSig_vv, _AFX_PMSG_OF(AFX_PMSG_VV, OnSysColorChange)},
// LRESULT memberFxn(WPARAM wParam, LPARAM lParam)
#define ON_MESSAGE(message, memberFxn) {(UINT)(message), 0, 0, AfxSig_lwl, _AFX_PMSG_OF(AFX_PMSG_LWL, memberFxn)},

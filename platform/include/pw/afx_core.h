// Base of our MFC layer: TCHAR and the debugging macros, CObject, CCmdTarget and
// message maps (command routing by id, window messages by number).
//
// A class routes messages with a map:
//
//     class CMyApp : public CWinApp { ... DECLARE_MESSAGE_MAP() };
//     BEGIN_MESSAGE_MAP(CMyApp, CWinApp)
//         ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
//     END_MESSAGE_MAP()
//
// OnCmdMsg looks for a handler in the class's map, then in its bases' maps.
#pragma once

#include <cassert>
#include <cstdio>

#include "windows.h"

typedef char TCHAR;
#ifndef _T
#define _T(x) x
#endif
#ifndef _TEXT
#define _TEXT(x) x
#endif

#define afx_msg
#define AFX_EXT_CLASS
#define AFX_EXPORT
#define AFX_API_EXPORT

#ifndef ASSERT
#define ASSERT(f) assert(f)
#endif
#ifndef VERIFY
#ifdef NDEBUG
#define VERIFY(f) ((void)(f))
#else
#define VERIFY(f) assert(f)
#endif
#endif
#ifndef ASSERT_VALID
#define ASSERT_VALID(p) ((void)0)
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif

// Framework command ids and string ids (values of the original framework).
#define ID_HELP 0xE146
#define ID_CONTEXT_HELP 0xE145
#define ID_DEFAULT_HELP 0xE147
#define ID_APP_EXIT 0xE141
#define AFX_IDS_APP_TITLE 0xE000

// Notification code of a command in WM_COMMAND (HIWORD of wParam).
#define CN_COMMAND 0

class CObject {
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

// How a map entry's handler is called.
enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,     // void f()
    AfxSig_hv,     // HCURSOR f()                 (WM_QUERYDRAGICON)
    AfxSig_bv,     // BOOL f()                    (WM_INITDIALOG handlers)
    AfxSig_lwl,    // LRESULT f(WPARAM, LPARAM)   (ON_MESSAGE)
    AfxSig_cmd_v,  // void f()                    (ON_COMMAND)
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message, WM_COMMAND for commands
    UINT nCode;     // notification code for commands
    UINT nID;       // first command id
    UINT nLastID;   // last command id
    UINT_PTR nSig;  // AfxSig
    AFX_PMSG pfn;   // handler, cast back by nSig before the call
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The first entry for a window message (nMessage, nCode, nID); NULL when none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* entries, UINT nMsg, UINT nCode, UINT nID);

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
        typedef theClass ThisClass;                                                      \
        typedef baseClass TheBaseClass;                                                  \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                              \
    {0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0}                                              \
    }                                                                                  \
    ;                                                                                  \
    (void)sizeof(ThisClass*);                                                          \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                \
    }

// memberFxn: a pointer to a member `void f()` of the class or a base, e.g.
// &CWinApp::OnHelp.
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(id), AfxSig_cmd_v, static_cast<AFX_PMSG>(memberFxn)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(idLast), AfxSig_cmd_v, static_cast<AFX_PMSG>(memberFxn)},

class CCmdTarget : public CObject {
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;
    // Runs the handler of command nID (nCode CN_COMMAND) from this object's map
    // or its bases' maps. TRUE when one ran. pExtra, pHandlerInfo: unused.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

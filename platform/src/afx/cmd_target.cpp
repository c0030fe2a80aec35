// CCmdTarget: command routing through message maps.
#include "pw/afx_core.h"

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* e, UINT msg, UINT code, UINT id) {
    for (; e && e->nSig != AfxSig_end; ++e)
        if (e->nMessage == msg && e->nCode == code && id >= e->nID && id <= e->nLastID) return e;
    return nullptr;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void*, void*) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(map->lpEntries, WM_COMMAND, static_cast<UINT>(code), id);
        if (e && e->nSig == AfxSig_cmd_v) {
            (this->*(e->pfn))();
            return TRUE;
        }
    }
    return FALSE;
}

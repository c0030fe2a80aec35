// CreateMetaFileA, CloseMetaFile and the metafile handle calls.
#include "gdi/dc.h"
#include "gdi/metafile_device.h"

#include <cstdio>
#include <cstring>

using namespace pw;
using namespace pw::gdi;

namespace {

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

HMETAFILE keep(std::vector<uint8_t> bytes) {
    auto mf = std::make_unique<MetafileObject>();
    mf->bytes = std::move(bytes);
    MetafileObject* raw = mf.release();
    register_object(raw);
    return static_cast<HMETAFILE>(static_cast<void*>(static_cast<GdiObject*>(raw)));
}

} // namespace

extern "C" {

HDC WINAPI CreateMetaFileA(LPCSTR file) {
    try {
        auto dc = std::make_unique<DcObject>(std::make_unique<MetafileDevice>(), OBJ_METADC);
        if (file) dc->metafile_path = file;
        return adopt_dc(std::move(dc));
    } catch (...) {
        return nullptr;
    }
}

HMETAFILE WINAPI CloseMetaFile(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d || d->type != OBJ_METADC) return nullptr;
    unregister_object(d);
    std::unique_ptr<DcObject> owned(d);
    try {
        auto* device = static_cast<MetafileDevice*>(d->device.get());
        auto bytes = device->finish();
        if (!bytes) return nullptr;
        if (!d->metafile_path.empty()) {
            (*bytes)[0] = 2; // mtType: disk metafile
            if (!write_file(d->metafile_path, *bytes)) return nullptr;
        }
        return keep(std::move(*bytes));
    } catch (...) {
        return nullptr;
    }
}

BOOL WINAPI DeleteMetaFile(HMETAFILE metafile) {
    auto* mf = find<MetafileObject>(metafile, OBJ_METAFILE);
    if (!mf) return FALSE;
    unregister_object(mf);
    delete mf;
    return TRUE;
}

UINT WINAPI GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID out) {
    auto* mf = find<MetafileObject>(metafile, OBJ_METAFILE);
    if (!mf) return 0;
    const UINT n = static_cast<UINT>(mf->bytes.size());
    if (!out) return n;
    if (size < n) return 0;
    std::memcpy(out, mf->bytes.data(), n);
    return n;
}

HMETAFILE WINAPI SetMetaFileBitsEx(UINT size, const BYTE* bytes) {
    std::vector<MetaRecord> records;
    if (!scan_metafile(bytes, size, &records)) return nullptr;
    try {
        return keep(std::vector<uint8_t>(bytes, bytes + size));
    } catch (...) {
        return nullptr;
    }
}

} // extern "C"

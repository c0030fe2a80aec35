// lucentra metafile: one bitmap region of a layout drawn by the printer module's
// page block into a Windows metafile, for pasting the block into a document.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "blocklink/block_link.h"
#include "cli/commands.h"
#include "job/job_error.h"
#include "job/page_regions.h"
#include "job/plugin_module.h"
#include "kel/errlog.h"
#include "layout/block_form.h"
#include "layout/load_layout.h"
#include "layout/region_classes.h"
#include "pw/gdi.h"
#include "pw/kernel.h"

namespace lucentra::cli {
namespace {

constexpr const char* kBlockLibrary = "lucentra-blocks.so";

int refuse(const std::string& why) {
    fprintf(stderr, "lucentra: %s\n", why.c_str());
    return kRefused;
}

int failed(const std::string& why) {
    fprintf(stderr, "lucentra: %s\n", why.c_str());
    return kFailed;
}

const LayoutRegion* find_region(const LayoutPage& page, const std::string& wanted) {
    const bool numeric = !wanted.empty() && wanted.find_first_not_of("0123456789") == std::string::npos;
    for (const LayoutRegion& r : page.regions)
        if ((numeric && std::to_string(r.number) == wanted) || (!r.id.empty() && r.id == wanted)) return &r;
    return nullptr;
}

// The library beside the module that binds to it (see block_link.h).
class BlockLibrary {
public:
    BlockLibrary() {
        path_ = (std::filesystem::path(program_folder()) / kBlockLibrary).string();
        handle_ = LoadLibraryA(path_.c_str());
        if (handle_)
            draw = reinterpret_cast<BlockMetafileFn>(reinterpret_cast<void*>(GetProcAddress(handle_, kBlockMetafileSymbol)));
    }
    ~BlockLibrary() {
        if (handle_) FreeLibrary(handle_);
    }
    const std::string& path() const { return path_; }
    BlockMetafileFn draw = nullptr;

private:
    std::string path_;
    HMODULE handle_ = nullptr;
};

// Writes the bytes beside the target and renames, so a failed write never
// leaves a file that looks like a finished metafile.
bool write_whole(const std::string& path, const std::vector<unsigned char>& bytes, std::string* why) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return *why = "cannot create " + path, false;
        out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
        out.close();
        if (!out) {
            std::filesystem::remove(temporary);
            return *why = "cannot write " + path, false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return *why = "cannot write " + path, false;
    }
    return true;
}

}  // namespace

int metafile_command(const MetafileOptions& o) {
    DecodeOptions decode;
    decode.fallback_dpi = o.dpi;
    std::shared_ptr<const Layout> layout;
    try {
        layout = std::make_shared<const Layout>(load_layout(o.layout, decode));
    } catch (const LayoutError& e) {
        return refuse(e.what());
    }
    if (o.page < 1 || o.page > (int)layout->pages.size())
        return refuse(o.layout + ": there is no page " + std::to_string(o.page) + " (the layout has " +
                      std::to_string(layout->pages.size()) + ")");
    const LayoutPage& page = layout->pages[(size_t)o.page - 1];
    const LayoutRegion* region = find_region(page, o.region);
    if (!region) return refuse(o.layout + ": " + page.label + " has no region \"" + o.region + "\"");
    const std::string where = o.layout + ": " + region->label;
    if (region->class_id == CID_OUTLINES)
        return refuse(where + " is an outline drawing; only bitmap regions become metafiles");
    if (region->class_id == CID_REFUSED_3010 || region->class_id == CID_REFUSED_3111)
        return refuse(where + " is of a class that is never printed (" + region_class_name(region->class_id) + ")");

    JobPage job_page{page.image, page.scan_page, o.layout, std::shared_ptr<const LayoutPage>(layout, &page)};
    PageRegions regions(job_page);
    const size_t index = regions.index_of(*region);
    const float base = (float)o.res.value_or(std::max(page.info.xres, page.info.yres));
    BitmapForm form = block_bitmap_form(*regions.region(index), base, o.deep);
    if (form.width <= 0 || form.height <= 0) return refuse(where + " has no pixels at " + std::to_string(base) + " dpi");
    if (form.width > 32767 || form.height > 32767)
        return refuse(where + " is too large for a metafile (" + std::to_string(form.width) + " x " +
                      std::to_string(form.height) + " pixels; at most 32767 a side)");

    std::unique_ptr<PluginModule> module;
    try {
        module = std::make_unique<PluginModule>(locate_module(program_folder()));
    } catch (const JobError& e) {
        return failed(e.what());
    }
    int status = kOk;
    {
        // Declared after the module, so it is released before the module is.
        BlockLibrary blocks;
        if (!blocks.draw) {
            return failed("cannot load " + blocks.path() + " (error " + std::to_string(GetLastError()) + ")");
        }
        std::unique_ptr<EBITMAP> kept = make_block_bitmap(form);
        EBITMAP output(kept.get());  // what the engine's store is told to produce
        std::string problem;
        ESTORE* store = regions.make_store(index, &output, nullptr, &problem);
        if (!store) {
            return failed(where + ": " + problem);
        }
        size_t mark = err.count();
        HMETAFILE metafile = nullptr;
        short width = 0, height = 0;
        unsigned short resolution = 0;
        int r = blocks.draw(regions.region(index), store, kept.release(), &metafile, &width, &height, &resolution);
        if (r != KEL_OK || !metafile) {
            std::string why = regions.store_error();
            if (why.empty()) {
                auto entries = err.entries();
                why = mark < entries.size() ? entries[mark].message : "the block could not be drawn";
            }
            status = failed(where + ": " + why);
        } else {
            std::vector<unsigned char> bytes(GetMetaFileBitsEx(metafile, 0, nullptr));
            GetMetaFileBitsEx(metafile, (UINT)bytes.size(), bytes.data());
            DeleteMetaFile(metafile);
            std::string why;
            if (bytes.empty() || !write_whole(o.output, bytes, &why)) {
                status = failed(why.empty() ? "the metafile is empty" : why);
            } else {
                printf("Wrote %s: %s, %d x %d pixels at %u dpi, %d-bit%s\n", o.output.c_str(), region->label.c_str(),
                       width, height, resolution, form.bits, form.type == BMT_PALETTE ? " with a palette" : "");
            }
        }
    }
    module.reset();
    return status;
}

}  // namespace lucentra::cli

#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "print/raster_writers.h"

namespace pw::print {

std::unique_ptr<FaxTiffWriter> FaxTiffWriter::open(int fd, const std::string& name, std::string* why) {
    // libtiff closes the descriptor it is given; the caller keeps its own.
    int own = dup(fd);
    errno = 0;
    TIFF* tiff = own >= 0 ? TIFFFdOpen(own, name.c_str(), "w") : nullptr;
    if (!tiff) {
        // libtiff writes the header at once: a full disk shows here, and says so.
        const int error = errno;
        if (own >= 0) ::close(own);
        *why = "cannot start the TIFF file " + name + (error ? std::string(": ") + std::strerror(error) : "");
        return nullptr;
    }
    std::unique_ptr<FaxTiffWriter> w(new FaxTiffWriter);
    w->tiff_ = tiff;
    return w;
}

FaxTiffWriter::~FaxTiffWriter() {
    if (tiff_) TIFFClose(static_cast<TIFF*>(tiff_));
}

bool FaxTiffWriter::add_page(const PageImage& page, std::string* why) {
    TIFF* t = static_cast<TIFF*>(tiff_);
    if (!t || page.format != RowFormat::white1) {
        *why = "a fax page must be black and white";
        return false;
    }
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(page.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(page.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(page.xdpi));
    TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(page.ydpi));
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(page.height));
    TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(pages_), static_cast<uint16_t>(0));
    TIFFSetField(t, TIFFTAG_SOFTWARE, "Pagewright");

    std::vector<uint8_t> row(static_cast<size_t>(page.bytes_per_row()));
    for (int y = 0; y < page.height; ++y) {
        if ((y & 63) == 0 && page.keep_going && !page.keep_going()) {
            *why = "the document was aborted";
            return false;
        }
        page.row(y, row.data());
        // Fax pages are min-is-white: a set bit is black.
        for (uint8_t& b : row) b = static_cast<uint8_t>(~b);
        if (TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0) < 0) {
            *why = "the TIFF page could not be written";
            return false;
        }
    }
    if (!TIFFWriteDirectory(t)) {
        *why = "the TIFF page could not be written";
        return false;
    }
    ++pages_;
    return true;
}

bool FaxTiffWriter::close(std::string* why) {
    TIFF* t = static_cast<TIFF*>(tiff_);
    tiff_ = nullptr;
    if (!t) return true;
    // Flush before close so that a failed write is noticed; TIFFClose returns nothing.
    bool ok = TIFFFlush(t) != 0;
    TIFFClose(t);
    if (!ok) *why = "the TIFF file could not be written";
    return ok;
}

}  // namespace pw::print

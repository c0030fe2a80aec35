// ESCRIPTEDSTORE: a store that serves given lines or outlines and plays a script.
#include <algorithm>
#include <cstring>

#include "kel/testing.h"

ESCRIPTEDSTORE::ESCRIPTEDSTORE(std::vector<unsigned char> pixels, int stride, int lines)
    : outlines_(false), pixels_(std::move(pixels)), stride_(std::max(stride, 0)), lines_(std::max(lines, 0)) {
    // Lines the buffer does not hold are served as zeros rather than read past it.
    pixels_.resize((size_t)stride_ * (size_t)lines_, 0);
}

ESCRIPTEDSTORE::ESCRIPTEDSTORE(const CLART& art) : outlines_(true), art_(art) {}

const char* ESCRIPTEDSTORE::Name() { return "ESCRIPTEDSTORE"; }

int ESCRIPTEDSTORE::Setup() {
    ++setup_calls;
    calls.push_back("Setup");
    if (setup_result != KEL_OK) return setup_result;
    set_up_ = true;
    cancelled_ = false;
    next_line_ = 0;
    pulls_since_setup_ = 0;
    return KEL_OK;
}

int ESCRIPTEDSTORE::Pull(EHOLDER* holder) {
    ++pull_calls;
    calls.push_back("Pull");
    int index = pulls_since_setup_++;
    int result = serve(holder);
    auto scripted = pull_results.find(index);
    return scripted != pull_results.end() ? scripted->second : result;
}

int ESCRIPTEDSTORE::serve(EHOLDER* holder) {
    if (cancelled_) return KEL_CANCELLED;
    if (!set_up_) return KEL_ERR_BAD_STATE;
    if (holder == nullptr) return KEL_ERR_BAD_ARGUMENT;
    if (outlines_) {
        if (!holder->IsA(CID_BEZIERS)) return KEL_ERR_UNSUPPORTED;
        *static_cast<EBEZIERS*>(holder)->GetArt() = art_;
        return KEL_OK;
    }
    if (holder->IsA(CID_BITMAP_STRIP)) {
        auto* strip = static_cast<EBITMAP_STRIP*>(holder);
        unsigned char* line = strip->GetLine();
        if (line == nullptr) return KEL_ERR_BAD_ARGUMENT;
        return serve_line(line, strip->GetBytesPerLine());
    }
    if (holder->IsA(CID_BITMAP)) {
        auto* bitmap = static_cast<EBITMAP*>(holder);
        int result = KEL_ERR_BAD_STATE;
        for (int y = 0; y < bitmap->GetHeight(); ++y) {
            unsigned char* line = bitmap->Line(y);
            if (line == nullptr) return KEL_ERR_BAD_ARGUMENT;
            result = serve_line(line, bitmap->GetBytesPerLine());
            if (result != KEL_MORE) break;
        }
        return result == KEL_MORE ? KEL_DONE : result;
    }
    return KEL_ERR_UNSUPPORTED;
}

int ESCRIPTEDSTORE::serve_line(unsigned char* destination, int destination_bytes) {
    if (next_line_ >= lines_) return KEL_ERR_BAD_STATE;
    size_t wanted = (size_t)std::max(destination_bytes, 0);
    size_t copied = std::min(wanted, (size_t)stride_);
    std::memcpy(destination, pixels_.data() + (size_t)next_line_ * stride_, copied);
    std::memset(destination + copied, 0, wanted - copied);
    ++next_line_;
    return next_line_ < lines_ ? KEL_MORE : KEL_DONE;
}

int ESCRIPTEDSTORE::Done() {
    ++done_calls;
    calls.push_back("Done");
    return done_result;
}

int ESCRIPTEDSTORE::Cancel() {
    ++cancel_calls;
    calls.push_back("Cancel");
    if (cancel_result == KEL_OK) cancelled_ = true;
    return cancel_result;
}

// Tone steps over a Letter page at 300 dpi (2550 x 3300) in 24 and 8 bits,
// beside one memcpy of the same bytes, and the whole of drawing such a block
// (pull into a DIB section, tone steps, StretchDIBits) onto the raster device.
//
// Goal: the three tone steps together within 4 x one memcpy of the image.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstring>
#include <memory>
#include <vector>

#include "kel/kel.h"
#include "pw/gdi.h"
#include "rtfblk.h"

namespace {

constexpr int kWidth = 2550, kHeight = 3300;

long dib_stride(int bits) { return ((long)kWidth * bits + 31) / 32 * 4; }

// A scan-like image: a smooth gradient with noise, samples within 30..220 so
// that every step has work to do.
std::vector<unsigned char> scan_like(int bits) {
    const long stride = dib_stride(bits);
    std::vector<unsigned char> img((size_t)stride * kHeight);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (long x = 0; x < (long)kWidth * bits / 8; ++x) {
            seed = seed * 1664525u + 1013904223u;
            img[(size_t)y * stride + x] = (unsigned char)(30 + (x / 13 + y / 17 + (seed >> 28)) % 191);
        }
    return img;
}

void BM_Memcpy(benchmark::State& state) {
    const int bits = (int)state.range(0);
    std::vector<unsigned char> src = scan_like(bits), dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)src.size());
}

enum Step { kAll, kAutoLevels, kToneCurve, kClip };

void BM_ToneSteps(benchmark::State& state) {
    const int bits = (int)state.range(0);
    const Step step = (Step)state.range(1);
    const std::vector<unsigned char> original = scan_like(bits);
    std::vector<unsigned char> img = original;
    const int stride = (int)dib_stride(bits);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(img.data(), original.data(), img.size());
        state.ResumeTiming();
        if (step == kAll || step == kAutoLevels) auto_levels(img.data(), bits, kHeight, kWidth, stride);
        if (step == kAll || step == kToneCurve) tone_curve(img.data(), bits, kHeight, kWidth, stride, 10, 40);
        if (step == kAll || step == kClip) clip_extremes(img.data(), bits, kHeight, kWidth, stride, bits == 24);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)img.size());
}

// Serves prepared engine lines (top first) into the block's strip.
class PreparedStore : public ESTORE {
public:
    PreparedStore(std::vector<unsigned char> lines, int line_bytes) : lines_(std::move(lines)), line_bytes_(line_bytes) {}
    int Setup() override {
        next_ = 0;
        return 0;
    }
    int Done() override { return 0; }
    int Pull(EHOLDER* holder) override {
        auto* strip = static_cast<EBITMAP_PSTRIP*>(holder);
        std::memcpy(strip->GetLine(), &lines_[(size_t)next_ * line_bytes_], (size_t)line_bytes_);
        return ++next_ < kHeight ? KEL_MORE : KEL_DONE;
    }

private:
    std::vector<unsigned char> lines_;
    int line_bytes_;
    int next_ = 0;
};

long peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_PullToDc(benchmark::State& state) {
    const int bits = (int)state.range(0);
    const long rss_before = peak_rss_kib();
    auto bm = std::make_unique<EBITMAP>();
    initialize_ebitmap(kWidth, kHeight, (char)bits, 300, bm.get());
    bm->SetPadLine(PAD_DWORD);
    bm->SetBitMapType(bits == 24 ? BMT_COLOUR : BMT_GRAY);
    PreparedStore store(scan_like(bits), bm->GetBytesPerLine());
    RTFBLK block;
    block.set_bitmap(bm.release());
    block.set_seq(&store);

    // The page: a memory DC over a 24-bit DIB section of the same size.
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* page_bits = nullptr;
    HBITMAP page = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &page_bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, page);
    std::memset(page_bits, 0xFF, (size_t)dib_stride(24) * kHeight);
    sCOPYINFO tones{10, 40, 1, 0};
    const long rss_ready = peak_rss_kib();

    for (auto _ : state) {
        if (block.pull_to_dc(dc, 0, 0, kWidth, kHeight, 1, &tones) != 0) state.SkipWithError("pull_to_dc failed");
    }
    const long image_kib = (long)(dib_stride(bits) * kHeight / 1024);
    // What drawing adds to the peak beyond the store's lines and the page: the
    // DIB section, once.
    state.counters["image_MiB"] = image_kib / 1024.0;
    state.counters["added_peak_MiB"] = (peak_rss_kib() - rss_ready) / 1024.0;
    state.counters["setup_MiB"] = (rss_ready - rss_before) / 1024.0;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(page);
}

}  // namespace

BENCHMARK(BM_Memcpy)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToneSteps)
    ->ArgNames({"bits", "step"})
    ->Args({24, kAll})->Args({8, kAll})
    ->Args({24, kAutoLevels})->Args({24, kToneCurve})->Args({24, kClip})
    ->Args({8, kAutoLevels})->Args({8, kToneCurve})->Args({8, kClip})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PullToDc)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond)->Iterations(3);

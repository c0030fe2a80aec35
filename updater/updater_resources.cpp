// The updater program's own resources: its two dialog templates, icon 133 and
// the built-in English texts.
#include <array>

#include "dialog_templates.h"
#include "english_texts.h"

namespace {

// Icon 133: a sheet of paper with a green arrow pointing down into it, drawn
// at compile time so that the two sizes stay the same picture.
template <int N>
constexpr std::array<BYTE, N * N * 4> draw_icon() {
    std::array<BYTE, N * N * 4> px{};
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            BYTE r = 0, g = 0, b = 0, a = 0;
            const int fx = x * 32 / N, fy = y * 32 / N;  // position on a 32 x 32 grid
            if (fx >= 6 && fx <= 25 && fy >= 3 && fy <= 29) {
                bool edge = fx == 6 || fx == 25 || fy == 3 || fy == 29;
                r = g = b = edge ? 64 : 250;
                a = 255;
            }
            const bool shaft = fx >= 14 && fx <= 17 && fy >= 6 && fy <= 16;
            const bool head = fy >= 17 && fy <= 24 && (fx - 15) * (fx - 15) <= (24 - fy) * (24 - fy) * 2;
            if (shaft || head) {
                r = 20, g = 150, b = 60, a = 255;
            }
            const int i = (y * N + x) * 4;
            px[i] = r, px[i + 1] = g, px[i + 2] = b, px[i + 3] = a;
        }
    }
    return px;
}

constexpr auto kIcon32 = draw_icon<32>();
constexpr auto kIcon16 = draw_icon<16>();
const pw::res::IconImage kIconImages[] = {{32, 32, kIcon32.data()}, {16, 16, kIcon16.data()}};
const pw::res::IconGroup kIcons[] = {{IDR_MAINFRAME, kIconImages, std::size(kIconImages)}};

const pw::res::StringTable kStrings[] = {{1033, updater::kEnglishTexts, std::size(updater::kEnglishTexts)}};
const pw::res::DialogTemplate kDialogs[] = {updater::kConfirmDialog, updater::kProgressDialog};

const pw::res::ModuleResources kResources = {
    .string_tables = kStrings,
    .string_table_count = std::size(kStrings),
    .icon_groups = kIcons,
    .icon_group_count = std::size(kIcons),
    .dialogs = kDialogs,
    .dialog_count = std::size(kDialogs),
};

}  // namespace

PW_MODULE_RESOURCES(kResources);

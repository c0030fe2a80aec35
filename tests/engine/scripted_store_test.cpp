#include <gtest/gtest.h>

#include <vector>

#include "kel/testing.h"

namespace {

// Three lines of 4 bytes: line y holds y*10 + x.
std::vector<unsigned char> three_lines() {
    std::vector<unsigned char> p;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) p.push_back((unsigned char)(y * 10 + x));
    return p;
}

EBITMAP form(int width, int height) {
    EBITMAP bm;
    initialize_ebitmap(width, height, 8, 300, &bm);
    return bm;
}

TEST(ScriptedStore, ServesOneLinePerPullIntoAPointerStrip) {
    ESCRIPTEDSTORE store(three_lines(), 4, 3);
    EBITMAP bm = form(4, 3);
    EBITMAP_PSTRIP strip(&bm);
    strip.SetHeight(1);
    unsigned char lines[3][4] = {};

    strip.SetLine(lines[0]);
    EXPECT_EQ(store.Pull(&strip), KEL_ERR_BAD_STATE);  // before Setup
    ASSERT_EQ(store.Setup(), 0);
    const int expected[] = {KEL_MORE, KEL_MORE, KEL_DONE};
    for (int y = 0; y < 3; ++y) {
        strip.SetLine(lines[y]);
        EXPECT_EQ(store.Pull(&strip), expected[y]);
    }
    EXPECT_EQ(lines[2][3], 23);
    EXPECT_EQ(lines[0][1], 1);
    EXPECT_EQ(store.Pull(&strip), KEL_ERR_BAD_STATE);  // past the last line
    EXPECT_EQ(store.Done(), 0);
    EXPECT_EQ(store.calls, (std::vector<std::string>{"Pull", "Setup", "Pull", "Pull", "Pull", "Pull", "Done"}));
    EXPECT_EQ(store.pull_calls, 5);

    strip.SetLine(nullptr);
    store.Setup();
    EXPECT_EQ(store.Pull(&strip), KEL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(store.Pull(nullptr), KEL_ERR_BAD_ARGUMENT);
    EBEZIERS outlines;
    EXPECT_EQ(store.Pull(&outlines), KEL_ERR_UNSUPPORTED);
}

TEST(ScriptedStore, WiderStripLinesAreZeroFilledAndWholeBitmapsFilled) {
    ESCRIPTEDSTORE store(three_lines(), 4, 3);
    EBITMAP bm = form(6, 3);
    bm.SetPadLine(PAD_DWORD);  // 8 bytes a line
    ASSERT_TRUE(bm.Allocate());
    bm.Line(0)[7] = 0xEE;
    store.Setup();
    EXPECT_EQ(store.Pull(&bm), KEL_DONE);
    EXPECT_EQ(bm.Line(1)[2], 12);
    EXPECT_EQ(bm.Line(0)[7], 0);
    EXPECT_EQ(store.lines_served(), 3);
}

TEST(ScriptedStore, PlaysItsScript) {
    ESCRIPTEDSTORE store(three_lines(), 4, 3);
    store.setup_result = KEL_ERR_NO_MEMORY;
    EXPECT_EQ(store.Setup(), KEL_ERR_NO_MEMORY);
    store.setup_result = 0;
    store.pull_results[1] = KEL_CANCELLED;
    store.pull_results[2] = KEL_MORE;  // "more" on the last line
    store.done_result = KEL_WARN_LOST_OUTLINE;
    store.cancel_result = KEL_ERR_GENERAL;

    EBITMAP bm = form(4, 3);
    EBITMAP_PSTRIP strip(&bm);
    unsigned char line[4];
    strip.SetLine(line);
    ASSERT_EQ(store.Setup(), 0);
    EXPECT_EQ(store.Pull(&strip), KEL_MORE);
    EXPECT_EQ(store.Pull(&strip), KEL_CANCELLED);
    EXPECT_EQ(store.Pull(&strip), KEL_MORE);
    EXPECT_EQ(line[0], 20);  // the data still arrive
    EXPECT_EQ(store.Done(), KEL_WARN_LOST_OUTLINE);
    EXPECT_EQ(store.Cancel(), KEL_ERR_GENERAL);
    store.cancel_result = 0;
    EXPECT_EQ(store.Cancel(), 0);
    EXPECT_EQ(store.Pull(&strip), KEL_CANCELLED);  // a stopped store serves nothing
    EXPECT_EQ(store.setup_calls, 2);
    EXPECT_EQ(store.done_calls, 1);
    EXPECT_EQ(store.cancel_calls, 2);
}

TEST(ScriptedStore, ServesOutlines) {
    CLART art;
    CLART_FIGURE f;
    f.start = EPOINT(0, 0);
    f.kinds = {CLART_FIGURE::LINE, CLART_FIGURE::LINE};
    f.points = {EPOINT(10, 0), EPOINT(10, 5)};
    art.add_figure(f);
    ESCRIPTEDSTORE store(art);
    EBEZIERS holder;
    store.Setup();
    EXPECT_EQ(store.Pull(&holder), KEL_OK);
    ASSERT_EQ(holder.GetArt()->figures.size(), 1u);
    EXPECT_EQ(holder.GetArt()->max_x, 10);
    EXPECT_EQ(holder.GetArt()->max_y, 5);
    EBITMAP bm = form(1, 1);
    EXPECT_EQ(store.Pull(&bm), KEL_ERR_UNSUPPORTED);
}

}  // namespace

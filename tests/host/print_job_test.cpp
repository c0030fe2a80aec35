// The job driver in process, with the real plug-in loaded as lucentra loads it.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "host_test_util.h"
#include "job/page_fit.h"
#include "job/page_regions.h"
#include "job/plugin_module.h"
#include "job/print_job.h"
#include "kel/errlog.h"
#include "pw/kernel.h"
#include "pw/spool.h"
#include "pw/user.h"
#include "tools/sample_images.h"
#include "ui/interrupt.h"

using namespace lucentra;

namespace {

class PrintJobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        config_ = new test::TempDir();
        setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
    }
    static void TearDownTestSuite() { delete config_; }

    std::vector<JobPage> pages(int count) {
        samples::Raster r(300, 200, 3, 8);
        for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = (uint8_t)(i * 7);
        samples::PngOptions o;
        o.colour_type = 2;
        o.dpi = 150;
        samples::write_png(dir_.file("p.png"), r, o);
        std::shared_ptr<const ImageFile> image = open_image(dir_.file("p.png"));
        return std::vector<JobPage>(count, JobPage{image, 0, "p.png"});
    }

    static test::TempDir* config_;
    test::TempDir dir_;
    JobObserver quiet_;
};
test::TempDir* PrintJobTest::config_ = nullptr;

double property(EDESTINATION& destination, int id) {
    EVALUE value;
    EXPECT_EQ(destination.Get(id, &value), KEL_OK) << id;
    return value.AsDouble();
}

}  // namespace

TEST(PageResolution, OwnDetailOverTheShrinkButNoMoreThanThePrinterShows) {
    PageInfo page;
    struct Case {
        double xres, yres, printer, scale, expect;
    } cases[] = {
        {300, 300, 600, 1, 300},        {204, 196, 0, 1, 204},    {600, 600, 300, 1, 300},
        {204, 98, 204, 1, 204},         {300, 300, 600, 0.5, 600}, {300, 300, 600, 0.25, 600},
        {300, 300, 0, 0.75, 400},       {300, 300, 600, 2, 300},  {6000, 6000, 0, 0.5, 9600},
    };
    for (const Case& c : cases) {
        page.xres = c.xres, page.yres = c.yres;
        EXPECT_DOUBLE_EQ(page_resolution(page, c.printer, c.scale), c.expect)
            << c.xres << " dpi at scale " << c.scale << " on " << c.printer;
    }
}

TEST(PageFit, PredictsTheDestinationsPageScale) {
    const PrintableArea letter600{4800, 6300, 600};
    struct Case {
        ScaleMode mode;
        float percent;
        Canvas canvas;
        float expect;
    } cases[] = {
        {ScaleMode::Fit, 0, {2550, 3300}, 4800.0f / 2550.0f * 300.0f / 600.0f},  // width decides
        {ScaleMode::Fit, 0, {3300, 2550}, 4800.0f / 3300.0f * 300.0f / 600.0f},  // landscape: width again
        {ScaleMode::Fit, 0, {2000, 3300}, 6300.0f / 3300.0f * 300.0f / 600.0f},  // height decides
        {ScaleMode::Fit, 0, {10, 10}, 12.0f},                                     // limited above
        {ScaleMode::Fit, 0, {0, 0}, 12.0f},                                       // nothing laid out
        {ScaleMode::Actual, 50, {2550, 3300}, 1.0f},
        {ScaleMode::Percent, 50, {2550, 3300}, 0.5f},
        {ScaleMode::Percent, 5, {2550, 3300}, 0.12f},  // limited below
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(predicted_page_scale(c.mode, c.percent, letter600, c.canvas), c.expect)
            << (int)c.mode << " " << c.canvas.width << " x " << c.canvas.height;
}

TEST(PageFit, CanvasOfAPlainPageIsTheScanIn300thsRoundedOutward) {
    test::TempDir dir;
    samples::Raster r(1728, 10, 1, 1);
    samples::TiffPage fax;
    fax.raster = r;
    fax.photometric = 0, fax.compression = 4, fax.xres = 204, fax.yres = 196;
    samples::write_tiff(dir.file("fax.tif"), {fax});
    JobPage page{open_image(dir.file("fax.tif")), 0, "fax.tif"};
    Canvas canvas = page_canvas(PageRegions(page));
    EXPECT_EQ(canvas.width, 2542);  // 1728 / 204 x 300 = 2541.2
    EXPECT_EQ(canvas.height, 16);   // 10 / 196 x 300 = 15.3
}

TEST_F(PrintJobTest, SettingsReachTheDestinationAndTheDocumentIsWritten) {
    PluginModule module(locate_module(PW_BIN_DIR));
    EDESTINATION& destination = *module.destination();
    std::string pdf = dir_.file("out.pdf");
    pw_set_print_output(pdf.c_str());
    JobSettings settings;
    settings.printer = "PDF";
    settings.scale = ScaleMode::Percent;
    settings.scale_percent = 50;
    settings.deep = false;
    settings.variables = {{"printer_default_res", "120"}};
    std::atomic<bool> stop{false};

    JobResult result = run_print_job(destination, pages(2), settings, quiet_, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Printed) << result.reason;
    EXPECT_EQ(result.pages_printed, 2);
    EXPECT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(property(destination, 3017), 0);             // not deep
    EXPECT_NEAR(property(destination, 3015), 50, 1e-3);    // page scale in percent
    // The scan's own resolution over the scale: the destination asks for its own pixels.
    EXPECT_NEAR(property(destination, 3012), 300, 0.05);
    EXPECT_EQ(property(destination, 1075), 0);
    EXPECT_EQ(EVARIABLE::find("printer_default_res")->text(), "120");

    // Refused settings stop the job before a document exists.
    settings.variables = {{"printer_default_res", "lots"}};
    result = run_print_job(destination, pages(1), settings, quiet_, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Failed);
    EXPECT_EQ(result.reason, "\"lots\" is not a value for the engine variable printer_default_res");
    pw_set_print_output(nullptr);
}

TEST_F(PrintJobTest, AShrunkScanIsAskedForAtItsOwnSize) {
    // 8.5 x 11 inches at 40 dpi: fitting shrinks it into the printable area, and
    // 50% halves it; either way the destination must ask for the scan's own
    // pixels, so that nothing is resampled.
    samples::Raster r(340, 440, 3, 8);
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = (uint8_t)(i * 13);
    samples::PngOptions o;
    o.colour_type = 2;
    o.dpi = 40;
    samples::write_png(dir_.file("letter.png"), r, o);
    std::shared_ptr<const ImageFile> image = open_image(dir_.file("letter.png"));
    std::vector<JobPage> job(2, JobPage{image, 0, "letter.png"});

    std::optional<PrintableArea> area = printable_area("PDF");
    ASSERT_TRUE(area.has_value());
    EXPECT_FALSE(printable_area("no such printer").has_value());
    const float fit = predicted_page_scale(ScaleMode::Fit, 0, *area, page_canvas(PageRegions(job[0])));
    ASSERT_LT(fit, 1.0f);

    for (auto [mode, percent] : {std::pair{ScaleMode::Fit, 100.0f}, {ScaleMode::Percent, 50.0f}}) {
        SCOPED_TRACE((int)mode);
        PluginModule module(locate_module(PW_BIN_DIR));
        EDESTINATION& destination = *module.destination();
        pw_set_print_output(dir_.file("fit.pdf").c_str());
        JobSettings settings;
        settings.printer = "PDF";
        settings.scale = mode;
        settings.scale_percent = percent;
        std::atomic<bool> stop{false};
        size_t mark = err.count();
        JobResult result = run_print_job(destination, job, settings, quiet_, stop);
        ASSERT_EQ(result.outcome, JobOutcome::Printed) << result.reason;
        EXPECT_FLOAT_EQ((float)property(destination, 3015) / 100, mode == ScaleMode::Fit ? fit : 0.5f);
        int asked = 0;
        auto entries = err.entries();
        for (size_t i = mark; i < entries.size(); ++i)
            if (entries[i].message.find("pixels wanted") != std::string::npos) {
                ++asked;
                EXPECT_NE(entries[i].message.find("340 x 440 pixels wanted at 40 dpi"), std::string::npos)
                    << entries[i].message;
            }
        EXPECT_EQ(asked, 2);
        pw_set_print_output(nullptr);
    }
}

TEST_F(PrintJobTest, AStopBeforeTheFirstPagePrintsNothing) {
    PluginModule module(locate_module(PW_BIN_DIR));
    std::string pdf = dir_.file("stopped.pdf");
    pw_set_print_output(pdf.c_str());
    JobSettings settings;
    settings.printer = "PDF";
    std::atomic<bool> stop{true};
    JobResult result = run_print_job(*module.destination(), pages(3), settings, quiet_, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Cancelled);
    EXPECT_EQ(result.pages_printed, 0);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    pw_set_print_output(nullptr);
}

TEST(InterruptWatch, CtrlCArrivesAsAMessageOnTheJobThread) {
    std::atomic<bool> stop{false};
    int notices = 0;
    {
        InterruptWatch watch(stop, [&] { ++notices; });
        kill(getpid(), SIGINT);
        // Nothing happens until the queue is pumped, as in an abort procedure.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(stop.load());
        for (int i = 0; i < 200 && !stop.load(); ++i) {
            InterruptWatch::pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(stop.load());
        EXPECT_EQ(notices, 1);
    }
    // The handler is gone with the watch: a later posted cancel changes nothing.
    stop = false;
    PostThreadMessageA(GetCurrentThreadId(), InterruptWatch::cancel_message(), 0, 0);
    InterruptWatch::pump();
    EXPECT_FALSE(stop.load());
}

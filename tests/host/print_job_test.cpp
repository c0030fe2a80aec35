// The job driver in process, with the real plug-in loaded as lucentra loads it.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "host_test_util.h"
#include "job/plugin_module.h"
#include "job/print_job.h"
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

TEST(PageResolution, OwnDetailButNoMoreThanThePrinterShows) {
    PageInfo page;
    struct Case {
        double xres, yres, printer, expect;
    } cases[] = {{300, 300, 600, 300}, {204, 196, 0, 204}, {600, 600, 300, 300}, {204, 98, 204, 204}};
    for (const Case& c : cases) {
        page.xres = c.xres, page.yres = c.yres;
        EXPECT_EQ(page_resolution(page, c.printer), c.expect);
    }
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
    EXPECT_NEAR(property(destination, 3012), 150, 0.05);  // the scan's own resolution
    EXPECT_EQ(property(destination, 1075), 0);
    EXPECT_EQ(EVARIABLE::find("printer_default_res")->text(), "120");

    // Refused settings stop the job before a document exists.
    settings.variables = {{"printer_default_res", "lots"}};
    result = run_print_job(destination, pages(1), settings, quiet_, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Failed);
    EXPECT_EQ(result.reason, "\"lots\" is not a value for the engine variable printer_default_res");
    pw_set_print_output(nullptr);
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

// Ctrl-C and failing stores in the middle of a document, with the real plug-in
// loaded as lucentra loads it. The scan's rows come through a reader that acts
// at a chosen row of a chosen page, so "the start, the middle and the end of a
// page" are exact rows, not timings. Whatever happens, the document is all or
// nothing: no output file, an existing one kept, the reason in one line, and
// the same module prints the next job.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>

#include "fault_util.h"
#include "job/plugin_module.h"
#include "job/print_job.h"
#include "pw/spool.h"
#include "pw/user.h"
#include "ui/interrupt.h"

using namespace lucentra;
using namespace faults;

namespace {

// Runs `act` just before row `row` of page `page` is read (each reader of that
// page counts from its top row).
class ActingImage : public ImageFile {
public:
    ActingImage(std::shared_ptr<const ImageFile> inner, int page, int row, std::function<void()> act)
        : ImageFile(inner->path(), {}), inner_(std::move(inner)), page_(page), row_(row), act_(std::move(act)) {
        for (int p = 0; p < inner_->page_count(); ++p) pages_.push_back(inner_->page(p));
    }
    std::unique_ptr<RowReader> open_rows(int index) const override {
        return std::make_unique<Reader>(inner_->open_rows(index), index == page_ ? row_ : -1, act_);
    }

private:
    class Reader : public RowReader {
    public:
        Reader(std::unique_ptr<RowReader> inner, int row, std::function<void()> act)
            : inner_(std::move(inner)), row_(row), act_(std::move(act)) {}
        void read(uint8_t* out) override {
            if (next_++ == row_) act_();
            inner_->read(out);
        }

    private:
        std::unique_ptr<RowReader> inner_;
        int row_, next_ = 0;
        std::function<void()> act_;
    };
    std::shared_ptr<const ImageFile> inner_;
    int page_, row_;
    std::function<void()> act_;
};

class JobInterrupt : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        config_ = new TempDir();
        setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
    }
    static void TearDownTestSuite() { delete config_; }
    void SetUp() override {
        write_scan(dir_.file("scan.tif"), 3, 120, 90);
        scan_ = open_image(dir_.file("scan.tif"));
        write_earlier();
        pw_set_print_output(out_.c_str());
    }
    void TearDown() override { pw_set_print_output(nullptr); }

    // Three pages of `image`, sent at the scan's own resolution.
    JobResult print(std::shared_ptr<const ImageFile> image, const std::string& printer, std::atomic<bool>& stop) {
        std::vector<JobPage> pages;
        for (int p = 0; p < 3; ++p) pages.push_back(JobPage{image, p, "scan.tif page " + std::to_string(p + 1)});
        JobSettings settings;
        settings.printer = printer;
        return run_print_job(*module_.destination(), pages, settings, observer_, stop);
    }

    // After a failed or stopped job the output is as before, nothing else is
    // beside it, and the module prints the same job completely.
    void expect_nothing_lost(const std::string& printer) {
        EXPECT_TRUE(test::slurp(out_) == kEarlier) << "the earlier file was replaced";
        EXPECT_EQ(entries(dir_.file("out")), std::vector<std::string>{"doc"});
        std::atomic<bool> calm{false};
        JobResult again = print(scan_, printer, calm);
        EXPECT_EQ(again.outcome, JobOutcome::Printed) << again.reason;
        EXPECT_EQ(again.pages_printed, 3);
        EXPECT_TRUE(test::slurp(out_) != kEarlier) << "the next job did not print";
        write_earlier();
    }
    void write_earlier() {
        lucentra::samples::write_bytes(out_, std::vector<uint8_t>(kEarlier.begin(), kEarlier.end()));
    }

    static TempDir* config_;
    TempDir dir_;
    const std::string kEarlier = "an earlier print";
    std::string out_ = [this] {
        fs::create_directories(dir_.file("out"));
        return dir_.file("out/doc");
    }();
    std::shared_ptr<const ImageFile> scan_;
    PluginModule module_{locate_module(PW_BIN_DIR)};
    JobObserver observer_;
};
TempDir* JobInterrupt::config_ = nullptr;

// A real Ctrl-C: SIGINT to this process, which the watch turns into a message
// for the job thread. Waits until the message is queued, so the job's next
// chance to dispatch messages (the abort procedure, or between pages) is the
// one that sees it.
void press_ctrl_c() {
    kill(getpid(), SIGINT);
    MSG msg;
    for (int i = 0; i < 400 && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i) usleep(5000);
}

}  // namespace

TEST_F(JobInterrupt, CtrlCAtTheStartMiddleAndEndOfAPage) {
    // Rows of the 90-row second page (at the scan's resolution the page is asked
    // for at its own size, so the store reads each row once).
    const int rows[] = {0, 45, 89};
    for (const char* printer : {"PDF", "Fax"}) {
        for (int row : rows) {
            SCOPED_TRACE(std::string(printer) + ", Ctrl-C before row " + std::to_string(row) + " of page 2");
            std::atomic<bool> stop{false};
            JobResult result;
            {
                InterruptWatch watch(stop, nullptr);
                auto image = std::make_shared<ActingImage>(scan_, 1, row, press_ctrl_c);
                result = print(image, printer, stop);
            }
            EXPECT_EQ(result.outcome, JobOutcome::Cancelled) << result.reason;
            EXPECT_EQ(result.reason.rfind("stopped by the user after ", 0), 0u) << result.reason;
            EXPECT_NE(result.reason.find("nothing was printed"), std::string::npos) << result.reason;
            expect_nothing_lost(printer);
        }
    }
}

TEST_F(JobInterrupt, AStoreThatFailsOnAnyRowFailsTheDocumentAndSaysWhere) {
    for (int row : {0, 1, 44, 88, 89}) {
        SCOPED_TRACE("the scan fails at row " + std::to_string(row) + " of page 3");
        std::atomic<bool> stop{false};
        auto image = std::make_shared<ActingImage>(scan_, 2, row, [row] {
            throw DecodeError("scan.tif, page 3: damaged data at row " + std::to_string(row + 1));
        });
        JobResult result = print(image, "PDF", stop);
        EXPECT_EQ(result.outcome, JobOutcome::Failed);
        EXPECT_NE(result.reason.find("damaged data at row " + std::to_string(row + 1)), std::string::npos)
            << result.reason;
        expect_nothing_lost("PDF");
    }
}

// lucentra end to end: the real program, the real plug-in, real files; the
// printed PDF measured on pdftoppm's rendering.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "host_test_util.h"
#include "pw/registry.h"
#include "pw/spool.h"
#include "run_program.h"
#include "tools/sample_images.h"

using namespace lucentra;
using namespace lucentra::test;
using samples::Raster;

namespace {

const std::string kLucentra = std::string(PW_BIN_DIR) + "/lucentra";

// A gray rendering of one PDF page.
struct Rendering {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    uint8_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }

    // Bounding box of the pixels darker than `below`: x0, y0, x1, y1 (exclusive).
    std::array<int, 4> box(int below) const {
        std::array<int, 4> b{width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) < below)
                    b[0] = std::min(b[0], x), b[1] = std::min(b[1], y), b[2] = std::max(b[2], x + 1),
                    b[3] = std::max(b[3], y + 1);
        return b;
    }
};

Rendering render(const std::string& pdf, int page, int dpi, const std::string& scratch) {
    std::string prefix = scratch + "/render";
    shell("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
          std::to_string(page) + " " + pdf + " " + prefix);
    std::string pgm = slurp(prefix + ".pgm");
    Rendering r;
    std::istringstream in(pgm);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.width >> r.height >> maxval;
    in.get();
    if (magic != "P5" || r.width <= 0) return r;
    r.pixels.resize((size_t)r.width * r.height);
    in.read(reinterpret_cast<char*>(r.pixels.data()), (std::streamsize)r.pixels.size());
    return r;
}

int pdf_pages(const std::string& pdf) { return std::atoi(shell("qpdf --show-npages " + pdf).c_str()); }

bool qpdf_check(const std::string& pdf) {
    int status = -1;
    shell("qpdf --check " + pdf, &status);
    return status == 0;
}

class PrintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Printers, paper and registry of our own: Letter paper, an empty hive.
        config_ = new TempDir();
        setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
        setenv("LC_PAPER", "en_US.UTF-8", 1);
        unsetenv("LC_ALL");
    }
    static void TearDownTestSuite() {
        delete config_;
        config_ = nullptr;
    }

    RunResult lucentra(std::vector<std::string> args,
                 const std::function<void(pid_t, const std::string&)>& while_running = {}) {
        args.insert(args.begin(), kLucentra);
        return run_program(args, {{"XDG_CONFIG_HOME", config_->path()}, {"LC_PAPER", "en_US.UTF-8"}}, dir_.path(),
                           while_running);
    }

    // The PDF printer as the platform describes it (paper, printable area).
    static const PW_PRINTER_INFO& pdf_printer() {
        static PW_PRINTER_INFO info = [] {
            for (const auto& p : pw_list_printers())
                if (p.name == "PDF") return p;
            return PW_PRINTER_INFO{};
        }();
        return info;
    }

    // A 300-dpi Letter colour scan: reddish all over, with a black inch square
    // whose corner is one inch from the top left, and a white one in the middle
    // (the destination stretches the range of tones present to black..white).
    std::string letter_scan() {
        Raster r(2550, 3300, 3, 8);
        for (int y = 0; y < 3300; ++y)
            for (int x = 0; x < 2550; ++x) {
                bool mark = x >= 300 && x < 600 && y >= 300 && y < 600;
                bool white = x >= 1200 && x < 1500 && y >= 1500 && y < 1800;
                uint8_t* p = r.row(y) + 3 * x;
                p[0] = mark ? 0 : white ? 255 : 200, p[1] = mark ? 0 : white ? 255 : 80,
                p[2] = mark ? 0 : white ? 255 : 80;
            }
        samples::PngOptions o;
        o.colour_type = 2;
        o.dpi = 300;
        std::string path = dir_.file("letter.png");
        samples::write_png(path, r, o);
        return path;
    }

    static TempDir* config_;
    TempDir dir_;
};
TempDir* PrintTest::config_ = nullptr;

}  // namespace

TEST_F(PrintTest, LetterScanLandsWhereItsScaleSays) {
    const PW_PRINTER_INFO& printer = pdf_printer();
    ASSERT_EQ(printer.paper, "Letter");
    const std::string scan = letter_scan();
    const int dpi = 72;
    auto px = [&](int hundredths_mm) { return hundredths_mm / 2540.0 * dpi; };
    const double left = px(printer.printable_left), top = px(printer.printable_top);
    const double width = px(printer.printable_width), height = px(printer.printable_height);
    const double fit = std::min(width / (8.5 * dpi), height / (11.0 * dpi));

    struct Case {
        const char* scale;
        double factor;  // printed size / scanned size
    } cases[] = {{"actual", 1.0}, {"fit", fit}, {"50", 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        std::string pdf = dir_.file(std::string("scan-") + c.scale + ".pdf");
        RunResult run = lucentra({"print", scan, "--scale", c.scale, "--output", pdf});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Printed 1 page on \"PDF\": " + pdf + "\n");
        EXPECT_TRUE(qpdf_check(pdf));
        Rendering page = render(pdf, 1, dpi, dir_.path());
        ASSERT_GT(page.width, 0);
        // The scan starts at the printable area's corner; it is cut at the
        // printable area's edges (at actual size a Letter scan is larger).
        auto scan_box = page.box(200);
        EXPECT_NEAR(scan_box[0], left, 2);
        EXPECT_NEAR(scan_box[1], top, 2);
        EXPECT_NEAR(scan_box[2], std::min(left + width, left + 8.5 * dpi * c.factor), 2);
        EXPECT_NEAR(scan_box[3], std::min(top + height, top + 11 * dpi * c.factor), 2);
        // The inch square: one inch in, one inch wide, times the scale.
        auto mark = page.box(40);
        EXPECT_NEAR(mark[0], left + dpi * c.factor, 2);
        EXPECT_NEAR(mark[1], top + dpi * c.factor, 2);
        EXPECT_NEAR(mark[2] - mark[0], dpi * c.factor, 2);
        EXPECT_NEAR(mark[3] - mark[1], dpi * c.factor, 2);
    }
}

TEST_F(PrintTest, MultiPageTiffsPrintOnePagePerTiffPage) {
    // Three gray pages (LZW, 100 dpi) and two bilevel fax pages (G4, 204 x 196).
    std::vector<samples::TiffPage> gray, fax;
    for (int p = 0; p < 3; ++p) {
        samples::TiffPage t;
        t.raster = Raster(850, 1100, 1, 8);
        for (size_t i = 0; i < t.raster.data.size(); ++i) t.raster.data[i] = (uint8_t)(i % 850 / 4 + p * 10);
        t.photometric = 1, t.compression = 5, t.xres = 100;
        gray.push_back(t);
    }
    for (int p = 0; p < 2; ++p) {
        samples::TiffPage t;
        t.raster = Raster(1728, 2156, 1, 1);
        for (int y = 100; y < 2000; ++y)  // black bars, 10 rows of every 40
            if (y % 40 < 10) std::fill(t.raster.row(y), t.raster.row(y) + 150, 0xFF);
        t.photometric = 0, t.compression = 4, t.xres = 204, t.yres = 196;
        fax.push_back(t);
    }
    samples::write_tiff(dir_.file("gray.tif"), gray);
    samples::write_tiff(dir_.file("fax.tif"), fax);

    for (auto [input, pages] : {std::pair{std::string("gray.tif"), 3}, {std::string("fax.tif"), 2}}) {
        SCOPED_TRACE(input);
        std::string pdf = dir_.file(input + ".pdf");
        RunResult run = lucentra({"print", dir_.file(input), "--output", pdf});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(pdf_pages(pdf), pages);
        EXPECT_TRUE(qpdf_check(pdf));
    }
    // The fax's bars print square: 1200 dots of 204 dpi wide, 5.88 inches.
    Rendering page = render(dir_.file("fax.tif.pdf"), 2, 72, dir_.path());
    auto bars = page.box(128);
    EXPECT_NEAR((bars[2] - bars[0]) / 72.0, 1200 / 204.0, 0.05);
    EXPECT_NEAR((bars[3] - bars[1]) / 72.0, (1970 - 120) / 196.0, 0.05);  // rows 120 to 1969
}

TEST_F(PrintTest, FaxPrinterGetsOneBitPagesAsAG4Tiff) {
    std::string tif = dir_.file("out.tif");
    std::string log = dir_.file("log.jsonl");
    RunResult run = lucentra({"print", letter_scan(), "--printer", "Fax", "--output", tif, "--log", log});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string info = shell("tiffinfo " + tif);
    EXPECT_NE(info.find("CCITT Group 4"), std::string::npos) << info;
    EXPECT_NE(info.find("Bits/Sample: 1"), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: 204, 196"), std::string::npos) << info;
    // One-bit mode: the colour page was asked for one bit deep.
    EXPECT_NE(slurp(log).find("pixels wanted at 204 dpi, 1-bit"), std::string::npos);
}

TEST_F(PrintTest, ModuleComesFromTheRegistrysProgramDir) {
    // A program folder elsewhere, holding the module the updater would install.
    std::string program_dir = dir_.file("Program Files");
    std::filesystem::create_directories(program_dir);
    std::filesystem::copy_file(std::string(PW_BIN_DIR) + "/pagewright.dst", program_dir + "/pagewright.dst");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velmora\\VL Lucentra LT\\Preferences", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "ProgramDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(program_dir.c_str()),
                             (DWORD)program_dir.size() + 1),
              ERROR_SUCCESS);

    RunResult version = lucentra({"--version"});
    EXPECT_EQ(version.status, 0) << version.out;
    EXPECT_NE(version.out.find(program_dir + "/pagewright.dst (from the registry ProgramDir)"), std::string::npos)
        << version.out;
    EXPECT_NE(version.out.find("2.0.0.1"), std::string::npos) << version.out;
    std::string pdf = dir_.file("from-copy.pdf");
    RunResult print = lucentra({"print", letter_scan(), "--output", pdf});
    EXPECT_EQ(print.status, 0) << print.err;

    // A ProgramDir without the module is a clear failure, not a silent fallback.
    std::filesystem::remove(program_dir + "/pagewright.dst");
    RunResult missing = lucentra({"print", letter_scan(), "--output", pdf + "2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot find the printer module " + program_dir), std::string::npos) << missing.err;
    RegDeleteValueA(key, "ProgramDir");
    RegCloseKey(key);
}

TEST_F(PrintTest, CtrlCStopsTheJobAndLeavesNoOutput) {
    std::string scan = letter_scan();
    std::vector<std::string> args = {"print"};
    for (int i = 0; i < 30; ++i) args.push_back(scan);
    std::string pdf = dir_.file("stopped.pdf");
    args.insert(args.end(), {"--output", pdf});
    bool sent = false;
    RunResult run = lucentra(args, [&](pid_t pid, const std::string& err_path) {
        // Wait until the first page is done, then press Ctrl-C.
        for (int i = 0; i < 600 && !sent; ++i) {
            if (slurp(err_path).find("page 1 of 30: done") != std::string::npos) {
                kill(pid, SIGINT);
                sent = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    ASSERT_TRUE(sent) << run.err;
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_FALSE(run.signalled);
    EXPECT_NE(run.err.find("stopped by the user"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

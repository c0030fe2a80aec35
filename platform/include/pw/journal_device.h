// The journal device: records every call a DC hands its device as one text
// line, and optionally forwards the call to another device, so that a trace
// can wrap a real printer (`lucentra --trace`) and tests can check what was
// drawn and in which order.
//
// Lines name the GDI call and its arguments, numbers in the classic format:
//   SetMapMode 7
//   SetWindowExtEx 20400 26400
//   StretchDIBits dst=0,0,100,50 src=0,0,10,5 dib=10x5x24 usage=0 rop=0x00CC0020 mode=3 device=[0,0,100,50] flip=0,0
//   FillPath color=0x000000 mode=1 figures=1 points=4
//   PatBlt dst=0,0,10,10 color=0xFFFFFF rop=0x00F00021 device=[0,0,10,10]
//   SelectPalette entries=2 | SelectPalette default
//   RealizePalette
//   StartDoc "name" output="file" -> 1 | StartPage -> 1 | EndPage -> 1 | EndDoc -> 1 | AbortDoc -> 1
//   DeleteDC
// A drawing line ends with " -> unsupported" or " -> failed" when the target said so.
// A forwarded call's result is the target's; without a target every drawing
// call succeeds and the spooler calls report success.
#pragma once

#include "pw/device.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pw {

class JournalDevice : public Device {
public:
    using Sink = std::function<void(const std::string& line)>;

    // `target` may be null. `sink`, when given, receives each line as it is
    // made (it is also kept in lines()). Without a target the device describes
    // a Letter page at 600 dpi, 24 bits.
    explicit JournalDevice(std::unique_ptr<Device> target = nullptr, Sink sink = {});

    const char* kind() const override { return "journal"; }
    const std::vector<std::string>& lines() const { return lines_; }
    Device* target() const { return target_.get(); }

protected:
    DrawStatus on_stretch_dib(const StretchDibCall& call, int* lines) override;
    DrawStatus on_fill_path(const FillPathCall& call) override;
    DrawStatus on_pat_blt(const PatBltCall& call) override;
    void on_state(const StateChange& change) override;
    void on_select_palette(const PaletteData* palette) override;
    UINT on_realize_palette(const PaletteData* palette) override;
    int on_start_doc(const DocStart& doc) override;
    int on_start_page() override;
    int on_end_page() override;
    int on_end_doc() override;
    int on_abort_doc() override;
    void on_close() override;

private:
    void log(std::string line);
    std::unique_ptr<Device> target_;
    Sink sink_;
    std::vector<std::string> lines_;
};

} // namespace pw

// A DC over a new journal device wrapping `target` (may be null).
HDC pw_create_journal_dc(std::unique_ptr<pw::Device> target, pw::JournalDevice::Sink sink = {});

#include "ui/interrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "pw/kernel.h"
#include "pw/user.h"

namespace lucentra {
namespace {

// The pipe the signal handler writes to; one watch at a time.
int signal_pipe[2] = {-1, -1};
struct sigaction previous_int, previous_term;

constexpr unsigned kCancelMessage = WM_APP + 0x4C;  // "L" for lucentra

LRESULT on_thread_message(void* context, const MSG* msg) {
    auto* watch = static_cast<InterruptWatch*>(context);
    if (msg->message == kCancelMessage) {
        watch->raise();
        return 1;
    }
    return 0;
}

}  // namespace

unsigned InterruptWatch::cancel_message() { return kCancelMessage; }

void InterruptWatch::on_signal(int) {
    const char byte = 'c';
    // Nothing else is safe here; errors cannot be reported anyway.
    ssize_t ignored = write(signal_pipe[1], &byte, 1);
    (void)ignored;
}

InterruptWatch::InterruptWatch(std::atomic<bool>& stop, std::function<void()> notice)
    : stop_(stop), notice_(std::move(notice)), thread_id_(GetCurrentThreadId()) {
    // The job thread's queue must exist before anyone posts to it.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    auto previous = pw_set_thread_message_handler(on_thread_message, this, &previous_context_);
    previous_handler_ = reinterpret_cast<void*>(previous);

    if (pipe2(signal_pipe, O_CLOEXEC) != 0) {
        signal_pipe[0] = signal_pipe[1] = -1;
        return;  // no Ctrl-C handling: the default action ends the program
    }
    watcher_ = std::thread([this] { watch(); });
    struct sigaction action {};
    action.sa_handler = on_signal;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_int);
    sigaction(SIGTERM, &action, &previous_term);
}

InterruptWatch::~InterruptWatch() {
    if (watcher_.joinable()) {
        sigaction(SIGINT, &previous_int, nullptr);
        sigaction(SIGTERM, &previous_term, nullptr);
        const char quit = 'q';
        ssize_t ignored = write(signal_pipe[1], &quit, 1);
        (void)ignored;
        watcher_.join();
        close(signal_pipe[0]);
        close(signal_pipe[1]);
        signal_pipe[0] = signal_pipe[1] = -1;
    }
    pw_set_thread_message_handler(reinterpret_cast<PW_THREAD_MESSAGE_HANDLER>(previous_handler_), previous_context_,
                                  nullptr);
}

void InterruptWatch::watch() {
    char byte = 0;
    while (read(signal_pipe[0], &byte, 1) == 1) {
        if (byte == 'q') return;
        PostThreadMessageA((DWORD)thread_id_, kCancelMessage, 0, 0);
    }
}

void InterruptWatch::raise() {
    if (stop_.exchange(true)) return;
    if (notice_) notice_();
}

void InterruptWatch::pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace lucentra

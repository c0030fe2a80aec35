// Ctrl-C (SIGINT) and SIGTERM during a job, delivered the way the original
// platform delivers a user's cancel: as a message posted to the job thread's
// message queue. The destination's abort procedure (or the job between pages)
// dispatches it, and the handler sets the job's stop flag.
//
// A signal handler may not post messages, so it only writes a byte to a pipe; a
// watcher thread reads the pipe and posts the message. The first signal asks the
// job to stop cleanly; the handler then resets itself, so a second Ctrl-C ends
// the program at once.
//
// One InterruptWatch at a time, made and destroyed on the job's thread.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace lucentra {

class InterruptWatch {
public:
    // `stop` is set when the message arrives; `notice` (may be empty) is called
    // then, on the job's thread.
    InterruptWatch(std::atomic<bool>& stop, std::function<void()> notice);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Dispatches every message waiting in the calling thread's queue.
    static void pump();
    // What the watcher posts; exposed for tests.
    static unsigned cancel_message();
    // Behaves as if the user pressed Ctrl-C (for tests).
    void raise();

private:
    static void on_signal(int);
    void watch();

    std::atomic<bool>& stop_;
    std::function<void()> notice_;
    unsigned long thread_id_;
    std::thread watcher_;
    void* previous_handler_ = nullptr;
    void* previous_context_ = nullptr;
};

}  // namespace lucentra

// A loopback IPP printer for tests: ippeveprinter on a free port, keeping every
// document it receives in a spool folder of its own.
//
//   IppPrinter printer;
//   ASSERT_TRUE(printer.start("colour", true)) << printer.error();
//   ... print to printer.uri() ...
//   printer.wait_for_documents(1);
//
// ippeveprinter needs the system D-Bus and avahi; when they are not running and we
// are root, start() runs scripts/start-services.sh. A machine without ippeveprinter
// or the services fails the test with the reason: the tests never skip silently.
// The printer is killed and its folder removed when the object goes.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

class IppPrinter {
public:
    IppPrinter() = default;
    IppPrinter(const IppPrinter&) = delete;
    IppPrinter& operator=(const IppPrinter&) = delete;
    ~IppPrinter() {
        stop();
        remove_files();
    }

    // Starts a printer named `name`: colour or monochrome, taking `formats`
    // (ippeveprinter's -f list). False with error() telling why.
    bool start(const std::string& name, bool colour,
               const std::string& formats = "application/pdf,image/pwg-raster") {
        namespace fs = std::filesystem;
        const char* tool = "/usr/sbin/ippeveprinter";
        if (access(tool, X_OK) != 0) return failed("ippeveprinter is not installed (package cups-ipp-utils)");
        if (!services_running() && !start_services()) return failed(error_);
        char tmpl[] = "/tmp/pw-ipp-XXXXXX";
        if (!mkdtemp(tmpl)) return failed("cannot make a spool folder");
        dir_ = tmpl;
        spool_ = dir_ + "/spool";
        fs::create_directory(spool_);
        log_ = dir_ + "/ippeveprinter.log";
        name_ = name;
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = free_port();
            if (port_ <= 0) return failed("no free TCP port");
            pid_ = fork();
            if (pid_ < 0) return failed("fork failed");
            if (pid_ == 0) {
                FILE* out = std::freopen(log_.c_str(), "w", stdout);
                (void)out;
                dup2(fileno(stdout), 2);
                const std::string port = std::to_string(port_);
                const std::string speed = colour ? "10,10" : "10,0";
                execl(tool, tool, "-r", "off", "-n", "localhost", "-p", port.c_str(), "-d", spool_.c_str(), "-k",
                      "-c", "/bin/true", "-f", formats.c_str(), "-s", speed.c_str(), name.c_str(),
                      static_cast<char*>(nullptr));
                _exit(127);
            }
            if (wait_until_listening()) return true;
            stop();
        }
        std::string log = read_file(log_);
        return failed("ippeveprinter did not start (is avahi-daemon running? see scripts/start-services.sh): " + log);
    }

    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status;
            for (int i = 0; i < 50 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
            pid_ = -1;
        }
    }

    void remove_files() {
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
            dir_.clear();
        }
    }

    std::string uri() const { return "ipp://localhost:" + std::to_string(port_) + "/ipp/print"; }
    const std::string& spool_dir() const { return spool_; }
    const std::string& error() const { return error_; }

    // The documents the printer received, waiting up to a few seconds for `count`.
    std::vector<std::string> wait_for_documents(size_t count) const {
        std::vector<std::string> files;
        for (int i = 0; i < 100; ++i) {
            files = documents();
            if (files.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return files;
    }

    std::vector<std::string> documents() const {
        std::vector<std::string> files;
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(spool_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            // Beside each document the printer keeps its attributes (.ipp) and the
            // output of its print command (.prn, empty with /bin/true).
            const auto ext = it->path().extension();
            if (it->is_regular_file() && ext != ".ipp" && ext != ".prn") files.push_back(it->path().string());
        }
        return files;
    }

    static std::string read_file(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    bool failed(const std::string& why) {
        error_ = why;
        return false;
    }

    static bool services_running() { return std::system("avahi-daemon --check >/dev/null 2>&1") == 0; }

    bool start_services() {
        std::string script = std::string(PW_TEST_DATA) + "/../../scripts/start-services.sh";
        if (geteuid() != 0) {
            error_ = "avahi-daemon is not running and only root can start it: run scripts/start-services.sh as root";
            return false;
        }
        if (std::system((script + " >/dev/null 2>&1").c_str()) != 0 || !services_running()) {
            error_ = "dbus and avahi-daemon could not be started by " + script;
            return false;
        }
        return true;
    }

    static int free_port() {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0) return -1;
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        socklen_t len = sizeof a;
        int port = -1;
        if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port = ntohs(a.sin_port);
        close(s);
        return port;
    }

    bool wait_until_listening() {
        for (int i = 0; i < 200; ++i) {
            int status;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            int s = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a.sin_port = htons(static_cast<uint16_t>(port_));
            bool up = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
            close(s);
            if (up) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    pid_t pid_ = -1;
    int port_ = 0;
    std::string name_, dir_, spool_, log_, error_;
};

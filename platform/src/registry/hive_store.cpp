#include "registry/hive_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pw::reg {

namespace {

constexpr const char* kRootName = "HKEY_CURRENT_USER";

std::string config_home() {
    // The XDG rules: an empty or relative value is to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* pw = getpwuid(getuid());
        home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
    }
    return std::string(home) + "/.config";
}

std::string directory_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

bool make_dirs(const std::string& dir) {
    if (dir.empty()) return true;
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (!make_dirs(directory_of(dir))) return false;
    return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool read_file(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

bool write_all(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool replace_file(const std::string& path, const std::string& data) {
    std::string tmp = path + ".XXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = write_all(fd, data) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok) ok = rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) unlink(tmp.c_str());
    return ok;
}

// Holds an exclusive flock for the lifetime of the object.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A damaged file reads as missing keys and values, which on its own would only
// show as "not found" somewhere later: say once per process what happened and
// where, as the printers file does.
void report_damage(const std::string& path, size_t damaged) {
    static std::atomic<bool> reported{false};
    if (damaged == 0 || reported.exchange(true)) return;
    std::fprintf(stderr, "%s: %zu damaged line%s skipped; the file is kept as %s.bak when it is next written\n",
                 path.c_str(), damaged, damaged == 1 ? "" : "s", path.c_str());
}

}  // namespace

std::string user_hive_path() { return config_home() + "/pagewright/registry"; }

Hive load_user_hive() {
    Hive hive(kRootName);
    std::string text;
    const std::string path = user_hive_path();
    if (!read_file(path, text)) text.clear();
    report_damage(path, hive.parse(text));
    return hive;
}

bool update_user_hive(const std::function<bool(Hive&)>& change) {
    const std::string path = user_hive_path();
    if (!make_dirs(directory_of(path))) return false;
    FileLock lock(path + ".lock");
    if (!lock.held()) return false;

    Hive hive(kRootName);
    std::string text;
    bool existed = read_file(path, text);
    size_t damaged = hive.parse(existed ? text : std::string());
    report_damage(path, damaged);
    if (!change(hive)) return true;
    // Rewriting drops the lines we could not read; keep the old file for the user.
    if (existed && damaged > 0) replace_file(path + ".bak", text);
    return replace_file(path, hive.serialize());
}

}  // namespace pw::reg

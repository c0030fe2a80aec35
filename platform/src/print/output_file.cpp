#include "print/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pw::print {

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path, std::string* why) {
    if (path.empty()) {
        *why = "no output file name";
        return nullptr;
    }
    auto slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) {
        *why = "the output '" + path + "' names a folder, not a file";
        return nullptr;
    }
    // A device or pipe (/dev/stdout, /dev/full, a fifo) is written as it stands:
    // there is nothing to replace atomically, and renaming over it would remove it.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        FILE* direct = std::fopen(path.c_str(), "wb");
        if (!direct) {
            *why = "cannot write '" + path + "': " + std::strerror(errno);
            return nullptr;
        }
        return std::unique_ptr<OutputFile>(new OutputFile(path, "", direct));
    }
    std::string temp = dir + "." + base + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        *why = "cannot write '" + path + "': " + std::strerror(errno);
        return nullptr;
    }
    // mkstemp makes the file private; the finished file gets the usual mode.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        *why = "cannot write '" + path + "': " + std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return nullptr;
    }
    return std::unique_ptr<OutputFile>(new OutputFile(path, temp, f));
}

OutputFile::~OutputFile() { discard(); }

int OutputFile::fd() const { return file_ ? fileno(file_) : -1; }

bool OutputFile::commit(std::string* why) {
    if (done_ || !file_) {
        *why = "the output '" + path_ + "' was already closed";
        return false;
    }
    bool direct = temp_.empty();
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_) && (direct || fsync(fileno(file_)) == 0);
    int err = errno;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok && (direct || std::rename(temp_.c_str(), path_.c_str()) == 0)) {
        done_ = true;
        return true;
    }
    if (ok) err = errno;
    *why = "cannot write '" + path_ + "': " + std::strerror(err ? err : EIO);
    if (!direct) unlink(temp_.c_str());
    done_ = true;
    return false;
}

void OutputFile::discard() {
    if (done_) return;
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) unlink(temp_.c_str());
    done_ = true;
}

}  // namespace pw::print

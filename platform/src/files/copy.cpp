// CopyFileA, DeleteFileA and GetFileAttributesA.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "files/errors.h"

namespace {

using pw::files::error_from_errno;
using pw::files::set_error;

// Closes a descriptor and removes a temporary file unless released.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TempFile() {
        if (fd_ >= 0) close(fd_);
        if (!path_.empty()) unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool close_now() {
        int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }
    void release() { path_.clear(); }

private:
    int fd_;
    std::string path_;
};

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string parent_of(const std::string& path) {
    size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    if (cut == 0) return "/";
    return path.substr(0, cut);
}

// ENOENT means "no such file" when the directory exists, "no such path" otherwise,
// the distinction the original makes.
DWORD missing_error(const std::string& path) {
    struct stat st;
    return stat(parent_of(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                           : ERROR_PATH_NOT_FOUND;
}

bool read_only(const struct stat& st) { return (st.st_mode & 0222) == 0; }

BOOL fail(DWORD code) {
    set_error(code);
    return FALSE;
}

DWORD copy_data(int from, int to) {
    char buf[64 * 1024];
    for (;;) {
        ssize_t n = read(from, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ERROR_READ_FAULT;
        if (n == 0) return ERROR_SUCCESS;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(to, buf + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
            done += w;
        }
    }
}

}  // namespace

extern "C" {

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    if (!lpExistingFileName || !lpNewFileName) return fail(ERROR_INVALID_PARAMETER);
    const std::string src = pw::native_path(lpExistingFileName);
    const std::string dst = pw::native_path(lpNewFileName);
    if (src.empty() || dst.empty()) return fail(ERROR_PATH_NOT_FOUND);

    Fd in(open(src.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return fail(errno == ENOENT ? missing_error(src) : error_from_errno(errno));
    struct stat sst;
    if (fstat(in.get(), &sst) != 0) return fail(error_from_errno(errno));
    if (S_ISDIR(sst.st_mode)) return fail(ERROR_ACCESS_DENIED);

    struct stat dst_st;
    if (stat(dst.c_str(), &dst_st) == 0) {
        if (bFailIfExists) return fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(dst_st.st_mode) || read_only(dst_st)) return fail(ERROR_ACCESS_DENIED);
        // A file copied onto itself already holds what was asked for.
        if (dst_st.st_dev == sst.st_dev && dst_st.st_ino == sst.st_ino) return TRUE;
    } else if (errno != ENOENT) {
        return fail(error_from_errno(errno));
    }

    // The temporary file lives in the destination's directory, so that the final
    // rename stays on one file system and is atomic.
    const std::string dir = parent_of(dst);
    std::string name = dst.substr(dst.find_last_of('/') + 1);
    std::string tmp_path = dir + "/." + name + ".pwcopy-XXXXXX";
    int tfd = mkostemp(tmp_path.data(), O_CLOEXEC);
    if (tfd < 0) return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : error_from_errno(errno));
    TempFile tmp(tfd, tmp_path);

    DWORD rc = copy_data(in.get(), tmp.fd());
    if (rc != ERROR_SUCCESS) return fail(rc);
    const struct timespec times[2] = {sst.st_atim, sst.st_mtim};
    if (fchmod(tmp.fd(), sst.st_mode & 07777) != 0 || futimens(tmp.fd(), times) != 0)
        return fail(error_from_errno(errno));
    if (fsync(tmp.fd()) != 0) return fail(ERROR_WRITE_FAULT);
    if (!tmp.close_now()) return fail(ERROR_WRITE_FAULT);

    if (bFailIfExists) {
        // link() refuses an existing name, so a file that appeared meanwhile is
        // never overwritten.
        if (link(tmp.path().c_str(), dst.c_str()) != 0) return fail(error_from_errno(errno));
        return TRUE;  // the temporary name is removed by tmp
    }
    if (rename(tmp.path().c_str(), dst.c_str()) != 0) return fail(error_from_errno(errno));
    tmp.release();
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    if (!lpFileName) return fail(ERROR_INVALID_PARAMETER);
    const std::string path = pw::native_path(lpFileName);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return fail(errno == ENOENT ? missing_error(path) : error_from_errno(errno));
    if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && read_only(st))) return fail(ERROR_ACCESS_DENIED);
    if (unlink(path.c_str()) != 0) return fail(error_from_errno(errno));
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    if (!lpFileName) {
        set_error(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string path = pw::native_path(lpFileName);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        set_error(errno == ENOENT ? missing_error(path) : error_from_errno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attrs = 0;
    if (S_ISDIR(st.st_mode)) attrs |= FILE_ATTRIBUTE_DIRECTORY;
    if (read_only(st)) attrs |= FILE_ATTRIBUTE_READONLY;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    std::string name = trimmed.substr(trimmed.find_last_of('/') + 1);
    if (name.size() > 1 && name[0] == '.' && name != "..") attrs |= FILE_ATTRIBUTE_HIDDEN;
    return attrs ? attrs : FILE_ATTRIBUTE_NORMAL;
}

}  // extern "C"

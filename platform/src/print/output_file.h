// A file written beside its final name and renamed into place only when complete,
// so that a failed or aborted document leaves no file that looks printed, and an
// existing file is replaced only by a complete one.
//
// Lifecycle: open() makes the hidden temporary ".NAME.XXXXXX" in the target's
// folder; write through stream(); commit() renames it over the target. Destroying
// an object that was not committed removes the temporary.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace pw::print {

class OutputFile {
public:
    static std::unique_ptr<OutputFile> open(const std::string& path, std::string* why);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    FILE* stream() { return file_; }
    int fd() const;
    const std::string& path() const { return path_; }
    // Flushes, closes and renames into place; false with the reason on failure (the
    // temporary is removed then too).
    bool commit(std::string* why);
    // Closes and removes the temporary. Safe to call more than once.
    void discard();

private:
    OutputFile(std::string path, std::string temp, FILE* file) : path_(std::move(path)), temp_(std::move(temp)), file_(file) {}
    std::string path_;
    std::string temp_;
    FILE* file_ = nullptr;
    bool done_ = false;
};

}  // namespace pw::print

// In-memory form of one registry hive and its text file format.
//
// A Hive is a plain value: loading parses a whole file, saving writes a whole
// file. Paths are relative to the hive's root ("" is the root itself), use "\"
// between key names and compare without regard to ASCII case.
//
// File format (line based, bytes, "\n" ends a line):
//   PAGEWRIGHT REGISTRY 1
//   [HKEY_CURRENT_USER\Software\Velmora]
//   "ProgramDir"=1:"/opt/lucentra\x00"
//   "Flags"=4:hex:01000000
// A key header names a key that exists (its parents exist too). Value names and
// string data are quoted with \\, \" and \xHH escapes; other types are written in
// hex. Any line that does not parse is skipped and counted, so a damaged file reads
// as missing keys and values instead of failing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pw::reg {

struct Value {
    std::string name;  // as created
    uint32_t type = 0;
    std::string data;  // exact bytes
};

struct Key {
    std::string path;  // as created, relative to the root
    std::vector<Value> values;

    const Value* find(std::string_view name) const;
    Value* find(std::string_view name);
    void set(std::string_view name, uint32_t type, std::string data);
    bool erase(std::string_view name);
};

// Lower-cases ASCII letters: the comparison form of key paths and value names.
std::string fold(std::string_view s);

// Splits a sub-key text at "\" and rejoins it without empty names, so "A\\B\" is
// "A\B". Returns false when a name holds a control character.
bool normalize_path(std::string_view sub, std::string& out);

// Joins a parent path and a normalised relative path.
std::string join_path(const std::string& parent, const std::string& rel);

class Hive {
public:
    // Name of the root as it appears in key headers, e.g. "HKEY_CURRENT_USER".
    explicit Hive(std::string root_name) : root_name_(std::move(root_name)) {}

    const Key* find(std::string_view path) const;
    Key* find(std::string_view path);
    // Creates the key and its missing parents; *created tells whether it was new.
    Key& ensure(std::string_view path, bool* created = nullptr);

    // Parses file text; returns the number of lines that were skipped as damaged.
    size_t parse(std::string_view text);
    std::string serialize() const;

private:
    std::string root_name_;
    std::map<std::string, Key> keys_;  // by folded path; the root "" always exists
};

}  // namespace pw::reg

#include "registry/hive.h"

#include <cstdio>

namespace pw::reg {

namespace {

constexpr std::string_view kMagic = "PAGEWRIGHT REGISTRY 1";

bool is_string_type(uint32_t type) { return type == 1 || type == 2 || type == 7; }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void append_hex_byte(std::string& out, unsigned char b) {
    static const char digits[] = "0123456789abcdef";
    out += digits[b >> 4];
    out += digits[b & 15];
}

// Quotes bytes so that the line stays printable ASCII whatever the data holds.
std::string quote(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            append_hex_byte(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text starting at s[pos] == '"'; advances pos past the closing quote.
bool unquote(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    out.clear();
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= s.size()) return false;
        if (s[i] == '\\' || s[i] == '"') {
            out += s[i];
        } else if (s[i] == 'x' && i + 2 < s.size() && hex_digit(s[i + 1]) >= 0 && hex_digit(s[i + 2]) >= 0) {
            out += static_cast<char>(hex_digit(s[i + 1]) * 16 + hex_digit(s[i + 2]));
            i += 2;
        } else {
            return false;
        }
    }
    return false;
}

bool parse_hex(std::string_view s, std::string& out) {
    if (s.size() % 2 != 0) return false;
    out.clear();
    for (size_t i = 0; i < s.size(); i += 2) {
        int hi = hex_digit(s[i]), lo = hex_digit(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

// "name"=TYPE:"data" or "name"=TYPE:hex:HEX
bool parse_value_line(std::string_view line, Value& v) {
    size_t pos = 0;
    if (!unquote(line, pos, v.name)) return false;
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    uint64_t type = 0;
    size_t digits = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && digits < 10) {
        type = type * 10 + static_cast<uint64_t>(line[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0 || type > 0xffffffffu || pos >= line.size() || line[pos] != ':') return false;
    ++pos;
    v.type = static_cast<uint32_t>(type);
    std::string_view rest = line.substr(pos);
    if (rest.substr(0, 4) == "hex:") return parse_hex(rest.substr(4), v.data);
    size_t qpos = 0;
    return unquote(rest, qpos, v.data) && qpos == rest.size();
}

}  // namespace

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool normalize_path(std::string_view sub, std::string& out) {
    out.clear();
    size_t start = 0;
    while (start <= sub.size()) {
        size_t end = sub.find('\\', start);
        if (end == std::string_view::npos) end = sub.size();
        std::string_view name = sub.substr(start, end - start);
        for (unsigned char c : name)
            if (c < 0x20 || c == 0x7f) return false;
        if (!name.empty()) {
            if (!out.empty()) out += '\\';
            out += name;
        }
        start = end + 1;
    }
    return true;
}

std::string join_path(const std::string& parent, const std::string& rel) {
    if (parent.empty()) return rel;
    if (rel.empty()) return parent;
    return parent + "\\" + rel;
}

const Value* Key::find(std::string_view name) const {
    std::string f = fold(name);
    for (const Value& v : values)
        if (fold(v.name) == f) return &v;
    return nullptr;
}

Value* Key::find(std::string_view name) {
    return const_cast<Value*>(static_cast<const Key*>(this)->find(name));
}

void Key::set(std::string_view name, uint32_t type, std::string data) {
    if (Value* v = find(name)) {
        v->type = type;
        v->data = std::move(data);
        return;
    }
    values.push_back(Value{std::string(name), type, std::move(data)});
}

bool Key::erase(std::string_view name) {
    std::string f = fold(name);
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (fold(it->name) == f) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

const Key* Hive::find(std::string_view path) const {
    auto it = keys_.find(fold(path));
    if (it != keys_.end()) return &it->second;
    return nullptr;
}

Key* Hive::find(std::string_view path) { return const_cast<Key*>(static_cast<const Hive*>(this)->find(path)); }

Key& Hive::ensure(std::string_view path, bool* created) {
    if (created) *created = false;
    if (Key* k = find(path)) return *k;
    // Parents first, so that every stored key's ancestors exist as on the original.
    size_t cut = path.rfind('\\');
    if (cut != std::string_view::npos) ensure(path.substr(0, cut));
    else if (!path.empty()) ensure("");
    if (created) *created = true;
    Key& k = keys_[fold(path)];
    k.path = std::string(path);
    return k;
}

size_t Hive::parse(std::string_view text) {
    keys_.clear();
    ensure("");
    size_t damaged = 0;
    Key* current = nullptr;
    const std::string prefix = "[" + root_name_;
    bool first = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            first = false;
            if (line == kMagic) continue;
        }
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            current = nullptr;
            std::string path;
            bool ok = line.back() == ']' && line.size() >= prefix.size() + 1 &&
                      fold(line.substr(0, prefix.size())) == fold(prefix);
            if (ok) {
                std::string_view rest = line.substr(prefix.size(), line.size() - prefix.size() - 1);
                ok = (rest.empty() || rest[0] == '\\') && normalize_path(rest, path);
            }
            if (ok) current = &ensure(path);
            else ++damaged;
            continue;
        }
        Value v;
        if (current && parse_value_line(line, v)) current->set(v.name, v.type, std::move(v.data));
        else ++damaged;
    }
    return damaged;
}

std::string Hive::serialize() const {
    std::string out(kMagic);
    out += '\n';
    for (const auto& [folded, key] : keys_) {
        // The root is written only when it holds values; other keys always, so
        // that an empty key keeps existing.
        if (key.path.empty() && key.values.empty()) continue;
        out += "\n[" + root_name_;
        if (!key.path.empty()) out += "\\" + key.path;
        out += "]\n";
        for (const Value& v : key.values) {
            out += quote(v.name);
            out += '=';
            out += std::to_string(v.type);
            out += ':';
            if (is_string_type(v.type)) {
                out += quote(v.data);
            } else {
                out += "hex:";
                for (unsigned char c : v.data) append_hex_byte(out, c);
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace pw::reg

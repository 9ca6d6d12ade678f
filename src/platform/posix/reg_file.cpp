#include "platform/posix/reg_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace kvx::platform::posix {

std::string RegDocument::Fold(const std::string& s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string RegDocument::NormalizePath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

namespace {

// Reads a quoted string starting at text[pos] == '"'; pos ends after the
// closing quote. False when the quote is never closed.
bool ReadQuoted(const std::string& text, size_t& pos, std::string* out) {
    out->clear();
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size()) c = text[++pos];
        out->push_back(c);
    }
    return false;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

bool ParseValueLine(const std::string& line, RegValue* value) {
    size_t pos = 0;
    if (line.empty() || line[0] != '"' || !ReadQuoted(line, pos, &value->name)) return false;
    if (pos >= line.size() || line[pos] != '=') return false;
    std::string data = line.substr(pos + 1);
    if (data.rfind("dword:", 0) == 0) {
        std::string digits = data.substr(6);
        if (digits.empty() || digits.size() > 8) return false;
        char* end = nullptr;
        unsigned long n = std::strtoul(digits.c_str(), &end, 16);
        if (*end != '\0') return false;
        value->type = RegValue::Type::Dword;
        value->dword = static_cast<uint32_t>(n);
        return true;
    }
    if (!data.empty() && data[0] == '"') {
        size_t p = 0;
        if (!ReadQuoted(data, p, &value->text) || p != data.size()) return false;
        value->type = RegValue::Type::String;
        return true;
    }
    return false;
}

}  // namespace

RegDocument RegDocument::Parse(const std::string& text) {
    RegDocument doc;
    std::istringstream in(text);
    std::string line;
    std::string current;  // folded path of the key being read; empty: none
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            current.clear();
            if (line.back() != ']') continue;
            std::string path = NormalizePath(line.substr(1, line.size() - 2));
            if (path.empty()) continue;
            doc.CreateKey(path);
            current = Fold(path);
            continue;
        }
        RegValue value;
        if (current.empty() || !ParseValueLine(line, &value)) continue;
        doc.Set(doc.keys_[current].path, value);
    }
    return doc;
}

std::string RegDocument::Serialize() const {
    std::string out;
    for (const auto& entry : keys_) {
        const Key& key = entry.second;
        out += "[" + key.path + "]\n";
        for (const RegValue& v : key.values) {
            out += Quote(v.name) + "=";
            if (v.type == RegValue::Type::Dword) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "dword:%08x", v.dword);
                out += hex;
            } else {
                out += Quote(v.text);
            }
            out += "\n";
        }
        out += "\n";
    }
    return out;
}

bool RegDocument::HasKey(const std::string& path) const {
    return keys_.count(Fold(NormalizePath(path))) != 0;
}

bool RegDocument::CreateKey(const std::string& path) {
    std::string normal = NormalizePath(path);
    if (normal.empty()) return false;
    size_t start = 0;
    for (;;) {
        size_t sep = normal.find('\\', start);
        std::string prefix = normal.substr(0, sep);
        auto inserted = keys_.emplace(Fold(prefix), Key{prefix, {}});
        (void)inserted;
        if (sep == std::string::npos) return true;
        start = sep + 1;
    }
}

bool RegDocument::DeleteTree(const std::string& path) {
    std::string folded = Fold(NormalizePath(path));
    auto it = keys_.find(folded);
    if (it == keys_.end()) return false;
    keys_.erase(it);
    std::string below = folded + "\\";
    for (auto k = keys_.lower_bound(below); k != keys_.end() && k->first.compare(0, below.size(), below) == 0;)
        k = keys_.erase(k);
    return true;
}

const RegValue* RegDocument::Find(const std::string& path, const std::string& name) const {
    auto key = keys_.find(Fold(NormalizePath(path)));
    if (key == keys_.end()) return nullptr;
    std::string folded = Fold(name);
    for (const RegValue& v : key->second.values)
        if (Fold(v.name) == folded) return &v;
    return nullptr;
}

bool RegDocument::Set(const std::string& path, const RegValue& value) {
    auto key = keys_.find(Fold(NormalizePath(path)));
    if (key == keys_.end()) return false;
    std::string folded = Fold(value.name);
    for (RegValue& v : key->second.values) {
        if (Fold(v.name) == folded) {
            std::string keepName = v.name;
            v = value;
            v.name = keepName;
            return true;
        }
    }
    key->second.values.push_back(value);
    return true;
}

}  // namespace kvx::platform::posix

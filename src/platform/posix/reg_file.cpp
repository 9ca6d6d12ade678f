#include "platform/posix/reg_file.h"

#include <cctype>

namespace kvx::platform::posix {

std::string RegDocument::Fold(std::string_view s) {
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
bool ReadQuoted(std::string_view text, size_t& pos, std::string* out) {
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

void AppendQuoted(std::string& out, const std::string& s) {
    out.push_back('"');
    for (char c : s) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// Exactly one to eight hexadecimal digits, nothing else: no sign, no
// spaces, no "0x".
bool ParseHexDword(std::string_view digits, uint32_t* out) {
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t n = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        const int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        n = n << 4 | static_cast<uint32_t>(d);
    }
    *out = n;
    return true;
}

bool ParseValueLine(std::string_view line, RegValue* value) {
    size_t pos = 0;
    if (line.empty() || line[0] != '"' || !ReadQuoted(line, pos, &value->name)) return false;
    if (pos >= line.size() || line[pos] != '=') return false;
    std::string_view data = line.substr(pos + 1);
    constexpr std::string_view kDword = "dword:";
    if (data.substr(0, kDword.size()) == kDword) {
        if (!ParseHexDword(data.substr(kDword.size()), &value->dword)) return false;
        value->type = RegValue::Type::Dword;
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

RegDocument RegDocument::Parse(std::string_view text) {
    RegDocument doc;
    Key* current = nullptr;  // the key being read; null: none
    RegValue value;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            current = nullptr;
            if (line.back() != ']' || line.size() < 2) continue;
            std::string path = NormalizePath(std::string(line.substr(1, line.size() - 2)));
            if (path.empty()) continue;
            doc.CreateKey(path);
            current = &doc.keys_[Fold(path)];
            continue;
        }
        if (!current || !ParseValueLine(line, &value)) continue;
        SetIn(*current, value);
    }
    return doc;
}

std::string RegDocument::Serialize() const {
    size_t estimate = 0;
    for (const auto& entry : keys_) estimate += entry.second.path.size() + 4 + entry.second.values.size() * 40;
    std::string out;
    out.reserve(estimate);
    for (const auto& entry : keys_) {
        const Key& key = entry.second;
        out += '[';
        out += key.path;
        out += "]\n";
        for (const RegValue& v : key.values) {
            AppendQuoted(out, v.name);
            out += '=';
            if (v.type == RegValue::Type::Dword) {
                static const char kHex[] = "0123456789abcdef";
                char hex[14] = {'d', 'w', 'o', 'r', 'd', ':'};
                for (int i = 0; i < 8; ++i) hex[6 + i] = kHex[(v.dword >> (28 - 4 * i)) & 0xF];
                out.append(hex, sizeof hex);
            } else {
                AppendQuoted(out, v.text);
            }
            out += '\n';
        }
        out += '\n';
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
        keys_.emplace(Fold(prefix), Key{prefix, {}, {}});
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
    auto at = key->second.index.find(Fold(name));
    return at == key->second.index.end() ? nullptr : &key->second.values[at->second];
}

// A value set again keeps the spelling of its name and its place.
void RegDocument::SetIn(Key& key, const RegValue& value) {
    auto inserted = key.index.emplace(Fold(value.name), key.values.size());
    if (inserted.second) {
        key.values.push_back(value);
        return;
    }
    RegValue& v = key.values[inserted.first->second];
    v.type = value.type;
    v.dword = value.dword;
    v.text = value.text;
}

bool RegDocument::Set(const std::string& path, const RegValue& value) {
    auto key = keys_.find(Fold(NormalizePath(path)));
    if (key == keys_.end()) return false;
    SetIn(key->second, value);
    return true;
}

}  // namespace kvx::platform::posix

// The text form of the settings store on POSIX systems, close to a registry
// export so that a person can read and edit it:
//
//   [Software\Benmor\Kolvex410QFXZQPSdk\Camera_00]
//   "Color"=dword:00000002
//   "Note"="text with \"quotes\""
//
// Key paths and value names compare without regard to ASCII case and keep the
// spelling they were created with.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kvx::platform::posix {

struct RegValue {
    enum class Type { Dword, String };
    std::string name;
    Type type = Type::Dword;
    uint32_t dword = 0;
    std::string text;
};

class RegDocument {
public:
    // Lines that cannot be understood are skipped, so that one damaged line
    // never costs the rest of the settings. Linear in the size of the text,
    // however many values a key holds.
    static RegDocument Parse(std::string_view text);
    std::string Serialize() const;

    bool HasKey(const std::string& path) const;
    // Creates the key and every key above it; false for an empty path.
    bool CreateKey(const std::string& path);
    // Removes the key and every key below it; false when it did not exist.
    bool DeleteTree(const std::string& path);

    const RegValue* Find(const std::string& path, const std::string& name) const;
    // The key must exist.
    bool Set(const std::string& path, const RegValue& value);

    static std::string NormalizePath(const std::string& path);

private:
    struct Key {
        std::string path;
        std::vector<RegValue> values;                   // in the order they were first set
        std::unordered_map<std::string, size_t> index;  // folded name -> position in values
    };
    static std::string Fold(std::string_view s);
    static void SetIn(Key& key, const RegValue& value);

    std::map<std::string, Key> keys_;  // by folded path
};

}  // namespace kvx::platform::posix

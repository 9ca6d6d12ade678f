// A small RIFF reader of its own, so that AVI files are checked by code that
// shares nothing with the writer: chunks and lists as they lie in the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output_test_support.h"

namespace kvx::test {

struct RiffChunk {
    std::string id;        // "RIFF", "LIST", "avih", "00db", ...
    uint32_t size = 0;     // as stored
    size_t offset = 0;     // of the id in the file
    std::string listType;  // "AVI ", "hdrl", "movi", ... for RIFF and LIST
    std::vector<RiffChunk> children;

    size_t dataOffset() const { return offset + 8; }
    const RiffChunk* Find(const std::string& wanted) const {
        for (const RiffChunk& c : children) {
            if (c.id == wanted || c.listType == wanted) return &c;
        }
        return nullptr;
    }
};

// Reads the chunks in [begin, end); a chunk that would run past `end` ends
// the walk, as it ends a reader's.
inline std::vector<RiffChunk> ReadChunks(const std::vector<uint8_t>& file, size_t begin, size_t end) {
    std::vector<RiffChunk> chunks;
    size_t at = begin;
    while (at + 8 <= end) {
        RiffChunk chunk;
        chunk.id.assign(reinterpret_cast<const char*>(file.data() + at), 4);
        chunk.size = U32At(file, at + 4);
        chunk.offset = at;
        const size_t dataEnd = at + 8 + chunk.size;
        if (dataEnd > end) break;
        if ((chunk.id == "RIFF" || chunk.id == "LIST") && chunk.size >= 4) {
            chunk.listType.assign(reinterpret_cast<const char*>(file.data() + at + 8), 4);
            chunk.children = ReadChunks(file, at + 12, dataEnd);
        }
        const size_t pad = chunk.size & 1;
        chunks.push_back(std::move(chunk));
        at = dataEnd + pad;
    }
    return chunks;
}

inline RiffChunk ReadRiff(const std::vector<uint8_t>& file) {
    const auto top = ReadChunks(file, 0, file.size());
    return top.empty() ? RiffChunk{} : top.front();
}

}  // namespace kvx::test

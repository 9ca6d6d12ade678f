// A fuzz driver without libFuzzer: runs every file of a corpus folder, then
// a fixed number of inputs made from them by seeded random mutations, so a
// run is the same on every machine and takes the same time.
//
//   kolvex_fuzz_NAME CORPUS_FOLDER RUNS [SEED]
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

using Input = std::vector<uint8_t>;
constexpr size_t kMaxLength = 4096;

std::vector<Input> ReadCorpus(const std::string& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) names.push_back(entry.path());
    // Directory order differs between systems; the runs must not.
    std::sort(names.begin(), names.end());
    std::vector<Input> corpus;
    for (const auto& name : names) {
        std::ifstream in(name, std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return corpus;
}

// Numbers that sit on the edges the code under test cares about.
constexpr int32_t kEdges[] = {0, 1, -1, 2, 3, 4, 8, 255, 256, 400, 480, 1536, 1537, 2048, 2049, 32767, 32768,
                              100000, 1000000, INT_MAX, INT_MIN, INT_MIN + 1, 0x40000000};

void Mutate(Input& in, const std::vector<Input>& corpus, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n == 0 ? size_t{0} : static_cast<size_t>(rng() % n); };
    const int steps = 1 + static_cast<int>(rng() % 8);
    for (int s = 0; s < steps; ++s) {
        switch (rng() % 7) {
            case 0:  // flip a bit
                if (!in.empty()) in[pick(in.size())] ^= static_cast<uint8_t>(1u << (rng() % 8));
                break;
            case 1:  // a random byte
                if (!in.empty()) in[pick(in.size())] = static_cast<uint8_t>(rng());
                break;
            case 2: {  // insert random bytes
                const size_t at = pick(in.size() + 1), n = 1 + pick(16);
                for (size_t i = 0; i < n; ++i) in.insert(in.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng()));
                break;
            }
            case 3:  // erase a run
                if (!in.empty()) {
                    const size_t at = pick(in.size()), n = std::min(in.size() - at, 1 + pick(32));
                    in.erase(in.begin() + static_cast<std::ptrdiff_t>(at), in.begin() + static_cast<std::ptrdiff_t>(at + n));
                }
                break;
            case 4:  // repeat a run
                if (!in.empty()) {
                    const size_t at = pick(in.size()), n = std::min(in.size() - at, 1 + pick(64));
                    Input run(in.begin() + static_cast<std::ptrdiff_t>(at), in.begin() + static_cast<std::ptrdiff_t>(at + n));
                    in.insert(in.begin() + static_cast<std::ptrdiff_t>(pick(in.size() + 1)), run.begin(), run.end());
                }
                break;
            case 5:  // splice in a part of another entry
                if (!corpus.empty()) {
                    const Input& other = corpus[pick(corpus.size())];
                    if (!other.empty()) {
                        const size_t at = pick(other.size()), n = std::min(other.size() - at, 1 + pick(256));
                        in.insert(in.begin() + static_cast<std::ptrdiff_t>(pick(in.size() + 1)),
                                  other.begin() + static_cast<std::ptrdiff_t>(at),
                                  other.begin() + static_cast<std::ptrdiff_t>(at + n));
                    }
                }
                break;
            default:  // an edge number, little-endian, anywhere
                if (in.size() >= 4) {
                    const auto v = static_cast<uint32_t>(kEdges[pick(std::size(kEdges))]);
                    const size_t at = pick(in.size() - 3);
                    for (int b = 0; b < 4; ++b) in[at + static_cast<size_t>(b)] = static_cast<uint8_t>(v >> (8 * b));
                }
                break;
        }
    }
    if (in.size() > kMaxLength) in.resize(kMaxLength);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER RUNS [SEED]\n", argv[0]);
        return 2;
    }
    LLVMFuzzerInitialize(&argc, &argv);
    const std::vector<Input> corpus = ReadCorpus(argv[1]);
    for (const Input& in : corpus) LLVMFuzzerTestOneInput(in.data(), in.size());

    const long runs = std::strtol(argv[2], nullptr, 10);
    std::mt19937 rng(argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1u);
    for (long i = 0; i < runs; ++i) {
        Input in = corpus.empty() || rng() % 8 == 0 ? Input{} : corpus[rng() % corpus.size()];
        Mutate(in, corpus, rng);
        LLVMFuzzerTestOneInput(in.data(), in.size());
    }
    std::printf("%zu corpus inputs and %ld mutations ran\n", corpus.size(), runs);
    return 0;
}

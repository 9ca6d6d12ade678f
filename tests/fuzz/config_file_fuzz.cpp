// Settings files of any content through Kolvex_LoadConfigFileA: every whole
// 8-byte record becomes one pair, in order, and nothing else is taken.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "KolvexSdk.h"
#include "api/sdk_chain.h"
#include "camera/kolvex.h"
#include "camera_sandbox.h"
#include "fuzz_target.h"
#include "settings/config_file.h"
#include "unique_name.h"

namespace {

kvx::test::CameraSandbox* g_sandbox = nullptr;
int g_handle = 0;
std::string g_file;

void TearDown() {
    if (g_handle) Kolvex_Release(g_handle);
    g_handle = 0;
    std::remove(g_file.c_str());
    delete g_sandbox;
    g_sandbox = nullptr;
}

int32_t LittleEndian(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_sandbox = new kvx::test::CameraSandbox({0});
    g_handle = Kolvex_Initialize(nullptr);
    g_file = (std::filesystem::temp_directory_path() / (kvx::test::UniqueName("kolvex-fuzz-config") + ".bin")).string();
    std::atexit(TearDown);
    FUZZ_CHECK(g_handle != 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pairs = kvx::settings::ParseConfigPairs(data, size);
    FUZZ_CHECK(pairs.size() == size / 8);
    for (size_t i = 0; i < pairs.size(); ++i) {
        FUZZ_CHECK(pairs[i].first == LittleEndian(data + 8 * i));
        FUZZ_CHECK(pairs[i].second == LittleEndian(data + 8 * i + 4));
    }

    std::FILE* f = std::fopen(g_file.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (size) FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
    FUZZ_CHECK(Kolvex_LoadConfigFileA(g_handle, g_file.c_str()) == 1);
    FUZZ_CHECK(kvx::SdkChain().Lookup(g_handle)->ConfigPairs() == pairs);
    FUZZ_CHECK(Kolvex_GetLastError(g_handle) == 0);
    return 0;
}

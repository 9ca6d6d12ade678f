#include "api/sdk_chain.h"

#include <cstdlib>
#include <new>

#include "camera/kolvex.h"
#include "platform/clock.h"

namespace kvx {

CSdkChain::CSdkChain() = default;

CSdkChain::~CSdkChain() {
    // At process exit the cameras still registered are left alone: their
    // teardown would stop threads and write settings, which must not happen
    // while the loader tears the process down. Only the nodes go.
    std::lock_guard<std::mutex> hold(lock_);
    ForEachMutable([](CSDKDATA& d) { new std::shared_ptr<CKolvex>(std::move(d.camera)); });
    Clear();
}

int CSdkChain::CreateEntry(std::shared_ptr<CKolvex>* created) {
    std::shared_ptr<CKolvex> camera;
    try {
        camera = std::make_shared<CKolvex>();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::lock_guard<std::mutex> hold(lock_);
    int handle;
    do {
        handle = source_ ? source_()
                         : static_cast<int>(platform::TickCount() + static_cast<uint32_t>(std::rand()) + count());
    } while (handle == 0 || ContainsLocked(handle));
    AddElement(CSDKDATA{handle, camera});
    if (created) *created = camera;
    return handle;
}

std::shared_ptr<CKolvex> CSdkChain::Lookup(int handle) {
    std::lock_guard<std::mutex> hold(lock_);
    Node* node = Find([handle](const CSDKDATA& d) { return d.handle == handle; });
    return node ? node->data.camera : nullptr;
}

bool CSdkChain::Take(int handle, std::shared_ptr<CKolvex>* camera) {
    std::lock_guard<std::mutex> hold(lock_);
    Node* node = Find([handle](const CSDKDATA& d) { return d.handle == handle; });
    if (!node) return false;
    *camera = std::move(node->data.camera);
    RemoveCursor();
    return true;
}

uint32_t CSdkChain::Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return count();
}

void CSdkChain::SetHandleSource(HandleSource source) {
    std::lock_guard<std::mutex> hold(lock_);
    source_ = std::move(source);
}

bool CSdkChain::ContainsLocked(int handle) const {
    bool found = false;
    ForEach([&](const CSDKDATA& d) { found = found || d.handle == handle; });
    return found;
}

CSdkChain& SdkChain() {
    static CSdkChain chain;
    return chain;
}

}  // namespace kvx

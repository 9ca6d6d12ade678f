// The process-wide table from camera handles to camera objects.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "api/ring.h"

namespace kvx {

class CKolvex;

struct CSDKDATA {
    int handle;
    // Shared with every export that is running on this camera, so that a
    // release racing another call never frees the object under it: the last
    // holder destroys it.
    std::shared_ptr<CKolvex> camera;
};

class CSdkChain : public CTRing<CSDKDATA> {
public:
    using HandleSource = std::function<int()>;

    CSdkChain();
    ~CSdkChain() override;

    // Creates a camera object and enters it under a new handle, never 0 and
    // never equal to a live handle. Returns 0 when no object can be made.
    int CreateEntry(std::shared_ptr<CKolvex>* created = nullptr);

    // The camera registered under `handle`, or null.
    std::shared_ptr<CKolvex> Lookup(int handle);

    // Removes the entry of `handle` and hands its camera to the caller,
    // which destroys it by dropping the last reference. False when absent.
    bool Take(int handle, std::shared_ptr<CKolvex>* camera);

    uint32_t Count();

    // The handle proposal: tick count + rand() + number of live cameras.
    // Replaceable so that tests can force collisions.
    void SetHandleSource(HandleSource source);

private:
    bool ContainsLocked(int handle) const;

    std::mutex lock_;  // guards the ring (cursor included) and source_
    HandleSource source_;
};

// The one registry of the process.
CSdkChain& SdkChain();

}  // namespace kvx

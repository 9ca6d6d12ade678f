// The device table that every process using this library shares, in which a
// camera object notes the device number it streams from so that no other
// camera object, here or in another process, opens it meanwhile.
//
// Layout (fixed: other processes and other builds read it):
//
//   byte 1,944,320 + 140 n: entry of device n (0..31)
//     0   owner window   uint32   0 when free
//     4   owner module   uint32   executable module of the owning process
//     8   reserved       uint32   0, or the change mark (below); others never release an entry with non-zero here
//     12  owner name     char[128], NUL-terminated; empty when free
//
// Readers look only at the string in the owner name, so the bytes after its
// terminator carry an owner stamp (a tag, the owner's process id and a check
// value over the entry) by which an entry left behind by a crashed process is
// recognised. The check value ties the stamp to the claim it was written
// with: a later claim by a writer that leaves the tail alone does not match
// it and is never taken for the dead one.
//
// A claim or release takes several writes, and a process may die between
// any two. While it makes them, the process holds the entry's change mark:
// its process id in the reserved word, set and cleared with one atomic
// operation each. A mark whose process has ended frees the entry whatever
// else it holds, so no state a dying process leaves keeps a device busy.
// Writers that know only the layout always leave the reserved word 0 and
// never release an entry in which it is not, so they never touch an entry
// while it is marked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/shared_memory.h"
#include "platform/window_message.h"

namespace kvx {

// The environment variable that names the device table a process uses
// instead of the machine's own; the virtual cameras' wires follow it.
constexpr char kDeviceTableVariable[] = "KOLVEX_DEVICE_TABLE";

class SharedDeviceTable {
public:
    static constexpr char kName[] = "BENMOR_USBCAMERA";
    static constexpr size_t kSize = 0x460000;
    static constexpr size_t kClearedOnCreate = 32768;
    static constexpr size_t kEntrySize = 140;
    static constexpr size_t kFirstEntry = 13888 * kEntrySize;
    static constexpr int kEntries = 32;
    static constexpr char kOwnerName[] = "KolvexSdk_410QFX_ZQP.dll";

    SharedDeviceTable();
    ~SharedDeviceTable();
    SharedDeviceTable(const SharedDeviceTable&) = delete;
    SharedDeviceTable& operator=(const SharedDeviceTable&) = delete;

    // Joins the table: maps it, or creates it and clears its start. False
    // when there is no view afterwards.
    bool Attach(const std::string& name = kName);
    bool OpenShared(const std::string& name);
    bool CreateShared(const std::string& name, size_t size);
    int CloseShared();

    // Test and claim in one step: takes entry n when it is free or was left
    // by a process that has ended; true when this object holds it afterwards
    // (also when it already did). False when someone else holds it, or
    // without a view.
    bool TryClaimDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule);

    // Both return 0 without a view, else 1. ClaimDevice overwrites any owner.
    int ClaimDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule,
                    const char* ownerName = kOwnerName);
    int ReleaseDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule);
    bool IsDeviceBusy(int n) const;

    void* view() const { return memory_.view(); }

    // Called at every point of a claim or release between two writes of an
    // entry, so that a test can end its process there.
    static void SetChangeStepHookForTesting(void (*hook)());

private:
    uint8_t* Entry(int n) const;
    // The value written as owner window: the window, or a stand-in for a
    // camera object that has none, since 0 would read as "free".
    uint32_t OwnerValue(platform::WindowHandle window) const;

    platform::SharedMemory memory_;
    const uint32_t windowlessOwner_;
    uint32_t claimedByThis_ = 0;  // bit n: this object claimed device n
};

}  // namespace kvx

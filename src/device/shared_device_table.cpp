#include "device/shared_device_table.h"

#include <atomic>
#include <cstring>

#include "platform/process.h"

namespace kvx {

namespace {

constexpr size_t kWindowAt = 0, kModuleAt = 4, kReservedAt = 8, kNameAt = 12, kNameSize = 128;
// Owner stamp in the tail of the name field, past any name we write.
constexpr size_t kStampAt = kNameAt + 112;
constexpr char kStampTag[4] = {'K', 'V', 'X', 'P'};

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

// The owner window is what other processes poll; it is written last on a
// claim and first on a release so that a half-written entry never looks owned.
uint32_t LoadWindow(const uint8_t* entry) {
    return __atomic_load_n(reinterpret_cast<const uint32_t*>(entry + kWindowAt), __ATOMIC_ACQUIRE);
}

void StoreWindow(uint8_t* entry, uint32_t v) {
    __atomic_store_n(reinterpret_cast<uint32_t*>(entry + kWindowAt), v, __ATOMIC_RELEASE);
}

bool HasStamp(const uint8_t* entry) { return std::memcmp(entry + kStampAt, kStampTag, sizeof kStampTag) == 0; }

uint32_t StampedProcess(const uint8_t* entry) { return Load32(entry + kStampAt + 4); }

uint32_t NextWindowlessOwner() {
    // Far above the values window handles take; distinct per object.
    static std::atomic<uint32_t> next{0};
    return 0xFFFF0000u | (next.fetch_add(1) & 0xFFFFu);
}

}  // namespace

SharedDeviceTable::SharedDeviceTable() : windowlessOwner_(NextWindowlessOwner()) {}

SharedDeviceTable::~SharedDeviceTable() { CloseShared(); }

bool SharedDeviceTable::Attach(const std::string& name) {
    if (OpenShared(name)) return true;
    return CreateShared(name, kSize);
}

bool SharedDeviceTable::OpenShared(const std::string& name) {
    return memory_.Open(name) && memory_.size() >= kFirstEntry + kEntries * kEntrySize;
}

bool SharedDeviceTable::CreateShared(const std::string& name, size_t size) {
    bool created = false;
    if (!memory_.OpenOrCreate(name, size, &created)) return false;
    // Only the process that really made the block clears it: one that lost
    // the race to create it must not wipe claims made a moment ago.
    if (created) std::memset(memory_.view(), 0, kClearedOnCreate < memory_.size() ? kClearedOnCreate : memory_.size());
    return memory_.size() >= kFirstEntry + kEntries * kEntrySize;
}

int SharedDeviceTable::CloseShared() {
    memory_.Close();
    claimedByThis_ = 0;
    return 1;
}

uint8_t* SharedDeviceTable::Entry(int n) const {
    if (!memory_.view() || n < 0 || n >= kEntries) return nullptr;
    if (memory_.size() < kFirstEntry + kEntries * kEntrySize) return nullptr;
    return static_cast<uint8_t*>(memory_.view()) + kFirstEntry + static_cast<size_t>(n) * kEntrySize;
}

uint32_t SharedDeviceTable::OwnerValue(platform::WindowHandle window) const {
    auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    return value != 0 ? value : windowlessOwner_;
}

int SharedDeviceTable::ClaimDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule,
                                   const char* ownerName) {
    uint8_t* entry = Entry(n);
    if (!entry) return memory_.view() ? 1 : 0;
    Store32(entry + kModuleAt, ownerModule);
    Store32(entry + kReservedAt, 0);
    std::memset(entry + kNameAt, 0, kNameSize);
    const size_t length = ownerName ? std::strlen(ownerName) : 0;
    std::memcpy(entry + kNameAt, ownerName, length < kStampAt - kNameAt ? length : kStampAt - kNameAt - 1);
    std::memcpy(entry + kStampAt, kStampTag, sizeof kStampTag);
    Store32(entry + kStampAt + 4, platform::CurrentProcessId());
    StoreWindow(entry, OwnerValue(ownerWindow));
    claimedByThis_ |= 1u << n;
    return 1;
}

int SharedDeviceTable::ReleaseDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule) {
    uint8_t* entry = Entry(n);
    if (!entry) return memory_.view() ? 1 : 0;
    // Another camera object of this process may share our window and module;
    // only the object that made the claim takes it back.
    const bool ours = (claimedByThis_ >> n) & 1u;
    claimedByThis_ &= ~(1u << n);
    if (!ours || LoadWindow(entry) != OwnerValue(ownerWindow) || Load32(entry + kModuleAt) != ownerModule ||
        Load32(entry + kReservedAt) != 0)
        return 1;
    if (HasStamp(entry) && StampedProcess(entry) != platform::CurrentProcessId()) return 1;
    StoreWindow(entry, 0);
    Store32(entry + kModuleAt, 0);
    Store32(entry + kReservedAt, 0);
    std::memset(entry + kNameAt, 0, kNameSize);
    return 1;
}

bool SharedDeviceTable::IsDeviceBusy(int n) const {
    const uint8_t* entry = Entry(n);
    if (!entry || LoadWindow(entry) == 0) return false;
    // A claim whose owning process has ended can never be released by it.
    if (HasStamp(entry) && !platform::ProcessExists(StampedProcess(entry))) return false;
    return true;
}

}  // namespace kvx

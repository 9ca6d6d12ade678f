#include "device/shared_device_table.h"

#include <atomic>
#include <cstring>

#include "platform/atomic_word.h"
#include "platform/process.h"

namespace kvx {

namespace {

constexpr size_t kWindowAt = 0, kModuleAt = 4, kReservedAt = 8, kNameAt = 12, kNameSize = 128;
// Owner stamp in the tail of the name field, past any name we write:
// tag, process id, check value.
constexpr size_t kStampAt = kNameAt + 112;
constexpr size_t kCheckAt = kStampAt + 8;
constexpr char kStampTag[4] = {'K', 'V', 'X', 'C'};

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

// Other processes and other threads read the entry while it changes, so
// every byte of the mapped entry is read and written as an atomic.
void CopyOut(const uint8_t* entry, uint8_t* local) {
    for (size_t i = 0; i < SharedDeviceTable::kEntrySize; ++i) local[i] = platform::LoadRelaxed(entry + i);
}

void CopyIn(uint8_t* entry, const uint8_t* local, size_t from) {
    for (size_t i = from; i < SharedDeviceTable::kEntrySize; ++i) platform::StoreRelaxed(entry + i, local[i]);
}

// Everything but the owner word and the change mark in the reserved word.
void CopyFieldsIn(uint8_t* entry, const uint8_t* local) {
    for (size_t i = kModuleAt; i < kReservedAt; ++i) platform::StoreRelaxed(entry + i, local[i]);
    CopyIn(entry, local, kNameAt);
}

// The owner window is what every reader polls, 0 meaning free. Readers that
// know only the layout see a device busy from the first write of a claim to
// the last write of a release.
uint32_t LoadWindow(const uint8_t* entry) {
    return platform::LoadAcquire(reinterpret_cast<const uint32_t*>(entry + kWindowAt));
}

void StoreWindow(uint8_t* entry, uint32_t v) {
    platform::StoreRelease(reinterpret_cast<uint32_t*>(entry + kWindowAt), v);
}

uint32_t* ChangeMark(uint8_t* entry) { return reinterpret_cast<uint32_t*>(entry + kReservedAt); }

uint32_t LoadChangeMark(const uint8_t* entry) {
    return platform::LoadAcquire(reinterpret_cast<const uint32_t*>(entry + kReservedAt));
}

void (*g_changeStepHook)() = nullptr;

// A point at which a process may die and leave the entry as it is now.
void ChangeStep() {
    if (g_changeStepHook) g_changeStepHook();
}

enum class Mark { Refused, Taken, TakenFromDead };

// Takes the entry's change mark: the reserved word holds the id of the one
// process that is changing the entry, 0 when none is. A mark whose process
// has ended is taken over, and whatever that process left half-written
// counts for nothing. Writers that know only the layout never mark (they
// always write 0 there and never release an entry marked otherwise).
Mark TakeChangeMark(uint8_t* entry) {
    const uint32_t self = platform::CurrentProcessId();
    uint32_t seen = 0;
    bool fromDead = false;
    while (!platform::CompareExchangeAcqRel(ChangeMark(entry), &seen, self)) {
        if (seen == self || platform::ProcessExists(seen)) return Mark::Refused;
        fromDead = true;
    }
    return fromDead ? Mark::TakenFromDead : Mark::Taken;
}

void GiveBackChangeMark(uint8_t* entry) { platform::StoreRelease(ChangeMark(entry), 0u); }

// The entry as it will read once the mark is given back.
void CopyOutUnmarked(const uint8_t* entry, uint8_t* local) {
    CopyOut(entry, local);
    Store32(local + kReservedAt, 0);
}

// FNV-1a over everything a claim writes before the check value: owner,
// module, reserved word, the name field up to the stamp, tag and process.
uint32_t CheckValue(const uint8_t* local) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < kCheckAt; ++i) h = (h ^ local[i]) * 16777619u;
    return h;
}

// The stamp was written with the claim the entry holds now.
bool StampMatches(const uint8_t* local) {
    return std::memcmp(local + kStampAt, kStampTag, sizeof kStampTag) == 0 && Load32(local + kCheckAt) == CheckValue(local);
}

uint32_t StampedProcess(const uint8_t* local) { return Load32(local + kStampAt + 4); }

// A claim of ours whose process has ended: nobody will ever release it.
bool AbandonedClaim(const uint8_t* local) {
    return StampMatches(local) && !platform::ProcessExists(StampedProcess(local));
}

bool AbandonedClaimAt(const uint8_t* entry) {
    uint8_t local[SharedDeviceTable::kEntrySize];
    CopyOut(entry, local);
    return AbandonedClaim(local);
}

// The entry as a claim by `owner` leaves it.
void FillClaim(uint8_t* local, uint32_t owner, uint32_t ownerModule, const char* ownerName) {
    Store32(local + kWindowAt, owner);
    Store32(local + kModuleAt, ownerModule);
    Store32(local + kReservedAt, 0);
    std::memset(local + kNameAt, 0, kNameSize);
    const size_t length = ownerName ? std::strlen(ownerName) : 0;
    std::memcpy(local + kNameAt, ownerName, length < kStampAt - kNameAt ? length : kStampAt - kNameAt - 1);
    std::memcpy(local + kStampAt, kStampTag, sizeof kStampTag);
    Store32(local + kStampAt + 4, platform::CurrentProcessId());
    Store32(local + kCheckAt, CheckValue(local));
}

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

bool SharedDeviceTable::TryClaimDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule) {
    uint8_t* entry = Entry(n);
    if (!entry) return false;
    const uint32_t owner = OwnerValue(ownerWindow);
    if (((claimedByThis_ >> n) & 1u) && LoadWindow(entry) == owner) return true;
    if (LoadWindow(entry) != 0 && LoadChangeMark(entry) == 0 && !AbandonedClaimAt(entry)) return false;
    // Whoever holds the mark alone may change the entry, so a claim is
    // never half-made by two processes; one that dies half-way leaves the
    // mark of a process that has ended, and the entry is free again.
    const Mark mark = TakeChangeMark(entry);
    if (mark == Mark::Refused) return false;
    ChangeStep();
    uint8_t local[kEntrySize];
    CopyOutUnmarked(entry, local);
    if (mark == Mark::Taken && Load32(local + kWindowAt) != 0 && !AbandonedClaim(local)) {
        GiveBackChangeMark(entry);
        return false;
    }
    // The owner word first: readers that know only the layout see the
    // device busy from here on.
    StoreWindow(entry, owner);
    ChangeStep();
    FillClaim(local, owner, ownerModule, kOwnerName);
    CopyFieldsIn(entry, local);
    ChangeStep();
    // Giving the mark back completes the stamp, whose check value counts
    // the reserved word as 0.
    GiveBackChangeMark(entry);
    claimedByThis_ |= 1u << n;
    ChangeStep();
    return true;
}

int SharedDeviceTable::ClaimDevice(int n, platform::WindowHandle ownerWindow, uint32_t ownerModule,
                                   const char* ownerName) {
    uint8_t* entry = Entry(n);
    if (!entry) return memory_.view() ? 1 : 0;
    const uint32_t owner = OwnerValue(ownerWindow);
    uint8_t local[kEntrySize];
    FillClaim(local, owner, ownerModule, ownerName);
    CopyIn(entry, local, kModuleAt);
    StoreWindow(entry, owner);
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
    if (!ours || TakeChangeMark(entry) == Mark::Refused) return 1;
    ChangeStep();
    uint8_t local[kEntrySize];
    CopyOutUnmarked(entry, local);
    const bool stillOurs = Load32(local + kWindowAt) == OwnerValue(ownerWindow) &&
                           Load32(local + kModuleAt) == ownerModule &&
                           !(StampMatches(local) && StampedProcess(local) != platform::CurrentProcessId());
    if (stillOurs) {
        std::memset(local, 0, sizeof local);
        CopyFieldsIn(entry, local);
        ChangeStep();
        StoreWindow(entry, 0);
        ChangeStep();
    }
    GiveBackChangeMark(entry);
    return 1;
}

bool SharedDeviceTable::IsDeviceBusy(int n) const {
    const uint8_t* entry = Entry(n);
    if (!entry || LoadWindow(entry) == 0) return false;
    // An entry that a process was changing when it ended is free, whatever
    // it was left holding; one being changed now is busy while it is owned.
    const uint32_t mark = LoadChangeMark(entry);
    if (mark != 0) return platform::ProcessExists(mark);
    // A claim whose owning process has ended can never be released by it.
    return !AbandonedClaimAt(entry);
}

void SharedDeviceTable::SetChangeStepHookForTesting(void (*hook)()) { g_changeStepHook = hook; }

}  // namespace kvx

#include "sim/virtual_camera.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <thread>
#include <utility>

#include "sim/driver_protocol.h"
#include "sim/register_map.h"
#include "sim/scene.h"

namespace kvx::sim {

namespace {

using Clock = std::chrono::steady_clock;

uint32_t LittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Exposure and gain scale the scene so that 1500 lines at gain 0 give the
// scene's own values, which keeps pixel checks in tests exact.
constexpr uint64_t kUnityExposure = 1500u * 64u;

constexpr auto kFastFrameGap = std::chrono::microseconds(500);

}  // namespace

VirtualCamera::VirtualCamera(int deviceNumber, CameraOptions options)
    : deviceNumber_(deviceNumber),
      options_(std::move(options)),
      triggerLine_(options_.triggerBlock, deviceNumber),
      rom_(0x10000, 0xFF),
      fast_(options_.fastFrames),
      frameCounter_(options_.firstFrameCounter) {
    char id[32];
    std::snprintf(id, sizeof id, "KVX410QFXZQP SN%06d", 1000 + deviceNumber);
    std::memcpy(rom_.data() + reg::rom::kIdArea, id, std::strlen(id) + 1);
    rom_[reg::rom::kVariant] = options_.variant;
    sharedTriggersSeen_ = triggerLine_.Pulses();
}

VirtualCamera::~VirtualCamera() = default;

bool VirtualCamera::Open() {
    std::lock_guard<std::mutex> hold(lock_);
    if (unplugged_) return false;
    ++openHandles_;
    return true;
}

void VirtualCamera::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    --openHandles_;
}

void VirtualCamera::Cancel(VirtualHandle* handle) {
    std::lock_guard<std::mutex> hold(lock_);
    // Like CancelIoEx: only what is pending now is cancelled.
    if (handle->waitingReads > 0) handle->cancelRequested = true;
    wake_.notify_all();
}

bool VirtualCamera::Control(VirtualHandle* handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                            uint32_t outSize, uint32_t* returned) {
    *returned = 0;
    if (code == kIoctlTriggerWait) return HandleTriggerWait(static_cast<const uint8_t*>(in), inSize);
    if (code != kIoctlPipeRead && code != kIoctlPipeSend && code != kIoctlPipeSendLarge) return false;
    if (!in || inSize != 4 || !out) return false;
    auto* buffer = static_cast<uint8_t*>(out);
    // The driver moves data in the direction of the pipe; the code only says
    // how the buffer is mapped.
    switch (LittleEndian32(static_cast<const uint8_t*>(in))) {
        case kCommandPipe:
            return HandleCommand(code, buffer, outSize, returned);
        case kReplyPipe:
            return HandleReply(code, buffer, outSize, returned);
        case kImagePipe:
            return HandleImage(handle, code, buffer, outSize, returned);
        default:
            return false;
    }
}

bool VirtualCamera::HandleTriggerWait(const uint8_t* in, uint32_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    bool ok = !unplugged_ && in && size == kTriggerWaitBlockSize && LittleEndian32(in) == 1;
    if (ok) triggerWaitMs_ = LittleEndian32(in + 4);
    Log(LogEntry::Kind::TriggerWait, 0, 0, ok ? triggerWaitMs_ : 0, kIoctlTriggerWait, ok);
    return ok;
}

bool VirtualCamera::WriteAllowed(bool sensorWrite, uint16_t address) {
    if (sensorWrite && failWriteAddress_ == address) return false;
    if (failWritesAfter_ == 0) return false;
    if (failWritesAfter_ > 0) --failWritesAfter_;
    return true;
}

// A restarted sensor forgets everything it was told and sleeps until its
// start-up writes arrive again.
void VirtualCamera::ForgetProgramming() {
    sensor_.fill(0);
    active_.fill(0);
    held_.clear();
    queued_.clear();
    holding_ = false;
    startupSeen_ = 0;
    leftover_.clear();
}

void VirtualCamera::PowerUp() {
    powered_ = true;
    ForgetProgramming();
    powerUpsSeen_ = triggerLine_.CountPowerUp();
    Changed();
}

void VirtualCamera::NoticeForeignPowerUp() {
    const uint32_t powerUps = triggerLine_.PowerUps();
    if (powerUps == powerUpsSeen_) return;
    // Another process restarted this camera: whatever this side programmed
    // is gone with it.
    powerUpsSeen_ = powerUps;
    ForgetProgramming();
    Changed();
}

void VirtualCamera::WriteSensor(uint16_t address, uint8_t value) {
    sensor_[address] = value;
    if (powered_) {
        for (size_t i = 0; i < std::size(reg::sensor::kStartup); ++i) {
            if (reg::sensor::kStartup[i].address != address) continue;
            if (reg::sensor::kStartup[i].value == value) startupSeen_ |= 1u << i;
            else startupSeen_ &= ~(1u << i);
        }
    }
    if (address == reg::sensor::kUpdateHold) {
        holding_ = (value & 0x01) != 0;
        if (!holding_) {
            // Released: the collected group takes effect at once, together.
            for (const auto& [at, v] : held_) active_[at] = v;
            held_.clear();
            Changed();
        }
        return;
    }
    if (holding_) held_.push_back({address, value});
    else queued_.push_back({address, value});
}

void VirtualCamera::ApplyQueuedWrites() {
    if (queued_.empty()) return;
    for (const auto& [at, v] : queued_) active_[at] = v;
    queued_.clear();
    Changed();
}

void VirtualCamera::Query(uint8_t value) {
    previousReply_ = reply_;
    reply_.fill(0);
    reply_[0] = value;
    replyReads_ = 0;
}

bool VirtualCamera::HandleCommand(uint32_t control, uint8_t* block, uint32_t size, uint32_t* returned) {
    std::lock_guard<std::mutex> hold(lock_);
    if (unplugged_ || size != kBlockSize) {
        Log(LogEntry::Kind::Command, size ? block[0] : 0, 0, 0, control, false);
        return false;
    }
    NoticeForeignPowerUp();
    const uint8_t code = block[0];
    uint16_t address = 0;
    uint32_t value = 0;
    bool ok = true;
    switch (code) {
        case kArm:
            armed_ = true;
            break;
        case kRequestFrame:
            if (armed_ && pendingRequests_ < 8) ++pendingRequests_;
            break;
        case kSelect:
            armed_ = false;
            pendingRequests_ = 0;
            leftover_.clear();
            break;
        case kSensorWrite:
            address = static_cast<uint16_t>(block[1] << 8 | block[2]);
            value = block[3];
            ok = WriteAllowed(true, address);
            if (ok) WriteSensor(address, block[3]);
            break;
        case kTransferSize:
            value = LittleEndian32(block + 1);
            transferSize_ = value;
            leftover_.clear();
            Changed();
            break;
        case kDepth:
            value = block[1];
            interfaceDepth_ = block[1];
            Changed();
            break;
        case kSensorRead:
            address = static_cast<uint16_t>(block[1] << 8 | block[2]);
            Query(sensor_[address]);
            break;
        case kControlWrite:
            address = block[1];
            value = block[2];
            ok = WriteAllowed(false, address);
            if (!ok) break;
            control_[address] = block[2];
            if (address == reg::control::kPower) {
                if (block[2] == 1) PowerUp();
                else powered_ = false;
            }
            break;
        case kLogicWrite:
            address = block[1];
            value = block[2];
            ok = WriteAllowed(false, address);
            if (!ok) break;
            logic_[address] = block[2];
            Changed();
            break;
        case kLogicRead:
            address = block[1];
            Query(logic_[address]);
            break;
        case kRomWrite:
            address = static_cast<uint16_t>(block[3] << 8 | block[4]);
            value = block[5];
            if (block[1] == kRomBusAddress && block[2] == 0x03) rom_[address] = block[5];
            break;
        case kRomRead:
            address = static_cast<uint16_t>(block[4] << 8 | block[5]);
            Query(block[1] == kRomBusAddress && block[2] == 0x02 && block[3] == 0x01 ? rom_[address] : 0);
            break;
        default:
            break;  // the firmware ignores codes it does not know
    }
    if (ok) *returned = kBlockSize;
    Log(LogEntry::Kind::Command, code, address, value, control, ok);
    wake_.notify_all();
    return ok;
}

bool VirtualCamera::HandleReply(uint32_t control, uint8_t* out, uint32_t size, uint32_t* returned) {
    std::lock_guard<std::mutex> hold(lock_);
    bool ok = !unplugged_ && failReplies_ == 0;
    if (failReplies_ > 0) --failReplies_;
    // The reply pipe runs one answer behind: the first read after a query
    // still holds the answer before it.
    const std::array<uint8_t, 64>& reply = replyReads_ == 0 ? previousReply_ : reply_;
    ++replyReads_;
    if (ok) {
        uint32_t n = std::min<uint32_t>(size, kBlockSize);
        std::memcpy(out, reply.data(), n);
        *returned = n;
    }
    Log(LogEntry::Kind::ReplyRead, 0, 0, ok ? reply[0] : 0, control, ok);
    return ok;
}

bool VirtualCamera::SensorAwake() {
    std::lock_guard<std::mutex> hold(lock_);
    NoticeForeignPowerUp();
    return powered_ && startupSeen_ == (1u << std::size(reg::sensor::kStartup)) - 1;
}

bool VirtualCamera::FrameRequestValid() const {
    if (!powered_ || startupSeen_ != (1u << std::size(reg::sensor::kStartup)) - 1) return false;
    uint32_t logicSize = 0;
    for (int i = 3; i >= 0; --i) logicSize = logicSize << 8 | logic_[reg::logic::kTransferSize + i];
    if (transferSize_ == 0 || logicSize != transferSize_) return false;
    const bool twoBytes = (logic_[reg::logic::kDepth] & 0x01) != 0;
    return !(twoBytes && interfaceDepth_ == 0);
}

bool VirtualCamera::HandleImage(VirtualHandle* handle, uint32_t control, uint8_t* out, uint32_t size,
                                uint32_t* returned) {
    std::unique_lock<std::mutex> hold(lock_);
    if (delayNextReadMs_ > 0) {
        const auto late = std::chrono::milliseconds(std::exchange(delayNextReadMs_, 0));
        hold.unlock();
        std::this_thread::sleep_for(late);
        hold.lock();
    }
    NoticeForeignPowerUp();
    if (!unplugged_ && leftoverAt_ < leftover_.size()) {
        // The rest of a frame that an earlier, shorter read left behind.
        const size_t n = std::min<size_t>(size, leftover_.size() - leftoverAt_);
        std::memcpy(out, leftover_.data() + leftoverAt_, n);
        leftoverAt_ += n;
        if (leftoverAt_ == leftover_.size()) leftover_.clear(), leftoverAt_ = 0;
        *returned = static_cast<uint32_t>(n);
        Log(LogEntry::Kind::ImageRead, 0, 0, *returned, control, true);
        return true;
    }
    bool ok = !unplugged_ && (size < kLargeTransferBytes || control == kIoctlPipeSendLarge) && pendingRequests_ > 0;
    if (ok) {
        --pendingRequests_;
        ok = FrameRequestValid() && WaitForFrame(handle, hold) && failAfter_ != 0 && FrameRequestValid();
    }
    if (!ok) {
        Log(LogEntry::Kind::ImageRead, 0, 0, 0, control, false);
        return false;
    }
    ApplyQueuedWrites();
    const uint32_t bytesPerPixel = (logic_[reg::logic::kDepth] & 0x01) ? 2 : 1;
    const uint64_t frameBytes = static_cast<uint64_t>(transferSize_) * bytesPerPixel;
    const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(size, frameBytes));
    if (bytes < frameBytes) {
        leftover_.resize(static_cast<size_t>(frameBytes));
        Render(leftover_.data(), static_cast<uint32_t>(frameBytes));
        std::memcpy(out, leftover_.data(), bytes);
        leftoverAt_ = bytes;
    } else {
        Render(out, bytes);
    }
    ++frameCounter_;
    ++framesDelivered_;
    if (failAfter_ > 0) --failAfter_;
    if (stallAfter_ > 0) --stallAfter_;
    // The sensor runs freely: frames finish every period whether or not
    // anyone asks. A host that is late gets the frame that finished last at
    // once; the ones it missed are gone, the schedule does not slip.
    const auto now = Clock::now();
    if (fast_) {
        // Even "as fast as read", a frame takes its time on the cable: the
        // reading thread (real-time on POSIX) must block between frames
        // rather than hold its core.
        nextFrame_ = now + kFastFrameGap;
    } else {
        const auto period = FramePeriod();
        if (now - nextFrame_ > period) nextFrame_ = now - (now - nextFrame_) % period;
        nextFrame_ += period;
    }
    *returned = (shortenNext_ || shortenAll_) ? bytes / 2 : bytes;
    shortenNext_ = false;
    Log(LogEntry::Kind::ImageRead, 0, 0, *returned, control, true);
    return true;
}

bool VirtualCamera::WaitForFrame(VirtualHandle* handle, std::unique_lock<std::mutex>& hold) {
    const auto asked = Clock::now();
    ++handle->waitingReads;
    bool frame = false;
    for (;;) {
        if (unplugged_ || handle->cancelRequested) break;
        if (stalled_ || stallAfter_ == 0) {
            wake_.wait(hold);
            continue;
        }
        if (TriggerMode()) {
            if (TriggerPending()) {
                frame = true;
                break;
            }
            // The driver gives up on a triggered frame after the trigger wait.
            if (Clock::now() - asked >= std::chrono::milliseconds(triggerWaitMs_)) break;
            // Other processes pull the line through shared memory: look again soon.
            wake_.wait_for(hold, std::chrono::milliseconds(2));
            continue;
        }
        if (Clock::now() < nextFrame_) {
            wake_.wait_until(hold, nextFrame_);
            continue;
        }
        frame = true;
        break;
    }
    if (--handle->waitingReads == 0) handle->cancelRequested = false;
    return frame;
}

bool VirtualCamera::TriggerPending() {
    if (localTriggers_ > 0) {
        localTriggers_ = 0;
        return true;
    }
    uint32_t pulses = triggerLine_.Pulses();
    if (pulses == sharedTriggersSeen_) return false;
    sharedTriggersSeen_ = pulses;
    return true;
}

std::chrono::steady_clock::duration VirtualCamera::FramePeriod() const {
    using namespace reg::sensor;
    const uint64_t lineLength = active_[kLineLength] | (active_[kLineLength + 1] & 0x1Fu) << 8;
    const uint64_t frameLength =
        active_[kFrameLength] | active_[kFrameLength + 1] << 8 | (active_[kFrameLength + 2] & 0x0Fu) << 16;
    uint64_t timer = 0;
    for (int i = 3; i >= 0; --i) timer = timer << 8 | logic_[reg::logic::kExposureTimer + i];
    // The logic starts the next frame only when its exposure timer ran out.
    const double seconds =
        std::max(static_cast<double>(lineLength * frameLength) / kPixelClockHz, static_cast<double>(timer) / reg::kTimerHz);
    const auto nanos = static_cast<int64_t>(seconds * 1e9);
    return std::chrono::nanoseconds(std::max<int64_t>(nanos, 1000000));
}

uint16_t VirtualCamera::Expose(uint16_t sample) const {
    uint64_t v = static_cast<uint64_t>(sample) * exposeScale_ / kUnityExposure;
    return static_cast<uint16_t>(std::min<uint64_t>(v, 4095));
}

void VirtualCamera::RenderRow(int row, bool sixteen, uint8_t* out, uint32_t bytes) {
    const size_t width = static_cast<size_t>(readout_.lineWidth);
    const size_t bytesPerPixel = sixteen ? 2 : 1;
    const size_t first = static_cast<size_t>(row) * width;
    const int y = readout_.rowY[static_cast<size_t>(row)];
    for (size_t c = 0; c < width; ++c) {
        size_t at = (first + c) * bytesPerPixel;
        if (at + bytesPerPixel > bytes) return;
        uint16_t v = Expose(MosaicSample(readout_.columnX[c], y, frameCounter_));
        if (sixteen) {
            out[at] = static_cast<uint8_t>(v);
            out[at + 1] = static_cast<uint8_t>(v >> 8);
        } else {
            out[at] = static_cast<uint8_t>(v >> 4);
        }
    }
}

void VirtualCamera::Render(uint8_t* out, uint32_t bytes) {
    using namespace reg::sensor;
    const bool sixteen = (logic_[reg::logic::kDepth] & 0x01) != 0;
    if (!cacheValid_ || cache_.size() < bytes) {
        readout_ = ComputeReadout(active_.data());
        const int64_t frameLength =
            active_[kFrameLength] | active_[kFrameLength + 1] << 8 | (active_[kFrameLength + 2] & 0x0F) << 16;
        const int64_t shutter =
            active_[kShutterOffset] | active_[kShutterOffset + 1] << 8 | (active_[kShutterOffset + 2] & 0x0F) << 16;
        const int64_t integration = std::max<int64_t>(frameLength - shutter, 1);
        const uint32_t gain = active_[kGainLow] | (active_[kGainHigh] & 0x01u) << 8;
        exposeScale_ = static_cast<uint32_t>(integration * (64 + gain));
        cache_.assign(bytes, 0);
        for (int r = 0; r < readout_.lines; ++r) RenderRow(r, sixteen, cache_.data(), bytes);
        cacheValid_ = true;
    }
    std::memcpy(out, cache_.data(), bytes);
    for (int r = 0; r < readout_.lines; ++r)
        if (RowChangesPerFrame(readout_.rowY[static_cast<size_t>(r)])) RenderRow(r, sixteen, out, bytes);
}

void VirtualCamera::Changed() {
    cacheValid_ = false;
    wake_.notify_all();
}

void VirtualCamera::Log(LogEntry::Kind kind, uint8_t code, uint16_t address, uint32_t value, uint32_t control,
                        bool ok) {
    if (logging_) log_.push_back({kind, code, address, value, control, ok, Clock::now()});
}

uint8_t VirtualCamera::SensorRegister(uint16_t address) const { return Locked(sensor_[address]); }

uint8_t VirtualCamera::ActiveSensorRegister(uint16_t address) const { return Locked(active_[address]); }

uint8_t VirtualCamera::LogicRegister(uint8_t address) const { return Locked(logic_[address]); }

uint8_t VirtualCamera::ControlRegister(uint8_t address) const { return Locked(control_[address]); }

uint8_t VirtualCamera::RomByte(uint16_t address) const { return Locked(rom_[address]); }

void VirtualCamera::SetRomByte(uint16_t address, uint8_t value) { SetLocked(rom_[address], value); }

uint32_t VirtualCamera::TransferSize() const { return Locked(transferSize_); }

uint32_t VirtualCamera::TriggerWait() const { return Locked(triggerWaitMs_); }

int VirtualCamera::OpenHandles() const { return Locked(openHandles_); }

uint64_t VirtualCamera::FramesDelivered() const { return Locked(framesDelivered_); }

uint32_t VirtualCamera::NextFrameCounter() const { return Locked(frameCounter_); }

Readout VirtualCamera::CurrentReadout() const {
    std::lock_guard<std::mutex> hold(lock_);
    // What the next frame will use: the writes waiting for it included.
    auto next = std::make_unique<std::array<uint8_t, 0x10000>>(active_);
    for (const auto& [at, v] : queued_) (*next)[at] = v;
    return ComputeReadout(next->data());
}

void VirtualCamera::StartLog() {
    std::lock_guard<std::mutex> hold(lock_);
    logging_ = true;
    log_.clear();
}

std::vector<LogEntry> VirtualCamera::TakeLog() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<LogEntry> out;
    out.swap(log_);
    return out;
}

void VirtualCamera::SetFastFrames(bool fast) {
    std::lock_guard<std::mutex> hold(lock_);
    fast_ = fast;
    nextFrame_ = {};
    wake_.notify_all();
}

void VirtualCamera::ShortenNextRead() { SetLocked(shortenNext_, true); }

void VirtualCamera::ShortenEveryRead(bool on) { SetLocked(shortenAll_, on); }

void VirtualCamera::FailReadsAfterFrames(int frames) { SetLocked(failAfter_, frames); }

void VirtualCamera::SetStalled(bool stalled) {
    std::lock_guard<std::mutex> hold(lock_);
    stalled_ = stalled;
    if (!stalled) stallAfter_ = -1;
    wake_.notify_all();
}

void VirtualCamera::StallAfterFrames(int frames) {
    std::lock_guard<std::mutex> hold(lock_);
    stallAfter_ = frames;
    wake_.notify_all();
}

void VirtualCamera::FailReplyReads(int count) { SetLocked(failReplies_, count); }

void VirtualCamera::DelayNextRead(int milliseconds) { SetLocked(delayNextReadMs_, milliseconds); }

void VirtualCamera::SetUnplugged(bool unplugged) {
    std::lock_guard<std::mutex> hold(lock_);
    if (unplugged_ && !unplugged) {
        // Back on the cable without power: it must be started up again.
        powered_ = false;
        startupSeen_ = 0;
        control_.fill(0);
        logic_.fill(0);
        transferSize_ = 0;
        interfaceDepth_ = 0;
        armed_ = false;
        pendingRequests_ = 0;
        leftover_.clear();
        Changed();
    }
    unplugged_ = unplugged;
    wake_.notify_all();
}

void VirtualCamera::FailWritesTo(int sensorAddress) { SetLocked(failWriteAddress_, sensorAddress); }

void VirtualCamera::FailWritesAfter(int writes) { SetLocked(failWritesAfter_, writes); }

void VirtualCamera::FireTrigger() {
    std::lock_guard<std::mutex> hold(lock_);
    localTriggers_ = 1;
    wake_.notify_all();
}

}  // namespace kvx::sim

// CKVXSdkLib: the frame ring, the transfer thread and the single-frame read.
#include <cstdlib>
#include <cstring>

#include "device/driver_protocol.h"
#include "device/kvx_sdk_lib.h"
#include "platform/clock.h"
#include "platform/thread_priority.h"

namespace kvx {

namespace {

int32_t RoundUpTo1024(int64_t pixels) { return static_cast<int32_t>((pixels + 1023) / 1024 * 1024); }

int32_t Next(int32_t index, int32_t count) { return index + 1 >= count ? 0 : index + 1; }

// Requests frames one after another into the ring until asked to stop or
// until the camera fails. At the highest priority only when the application
// asks for it (so that the camera's buffer never overflows while the
// application is busy): the thread would otherwise take the processor from
// its host, the virtual camera's frame making included. Below normal when
// the application asks for that instead, to keep its processor for itself.
void TransferThread(TransferBlock* block) {
    const platform::ThreadPriority priority = platform::TransferThreadPriority();
    if (priority != platform::ThreadPriority::Normal) platform::SetCurrentThreadPriority(priority);
    int32_t status = kDeviceOk;
    DeviceHandle handle = OpenDevice(block->devicePath);
    if (!handle) {
        status = kDeviceNoChannel;
        block->frames = 0;
        block->elapsed = 0;
    } else {
        {
            std::lock_guard<std::mutex> hold(block->handleLock);
            block->handle = handle;
        }
        const uint32_t start = platform::TickCount();
        // The first frame of a run may be cut short while the camera settles
        // to a new geometry; one short read per run is let go.
        bool forgiven = true;
        const uint32_t bytes = static_cast<uint32_t>(block->transferBytes);
        const uint32_t imageCode = block->largeFlag ? driver::kLargeSendCode : driver::kSendCode;
        while (block->stopFlag.load() != 1 && status != kDeviceTransferFailed) {
            uint8_t* slot = block->ring[block->writeIndex.load()];
            driver::CommandBlock request(driver::kRequestFrame);
            uint32_t returned = 0;
            PipeTransfer(handle, driver::kCommandPipe, driver::kBlockSize, request.bytes, &returned, driver::kReadCode);
            int read = PipeTransfer(handle, driver::kImagePipe, bytes, slot, &returned, imageCode);
            // A read cancelled by a stop is no failure of the camera.
            if (block->stopFlag.load() == 1 && (read != 0 || returned != bytes)) break;
            if (read == 0 && returned != bytes && forgiven) {
                forgiven = false;
                continue;  // the slot is filled again by the next frame
            }
            if (read != 0 || returned != bytes) {
                // A broken frame is never published: the reader learns of the
                // failure from the error flag instead.
                status = kDeviceTransferFailed;
                break;
            }
            {
                std::lock_guard<std::mutex> hold(block->slotLock);
                const int32_t filled = block->writeIndex.load();
                block->newest = filled;
                block->newestUnread = true;
                int32_t next = Next(filled, block->ringCount);
                // Never refill the slot the reader is copying from.
                if (next == block->readerSlot) next = Next(next, block->ringCount);
                // With two slots and one of them being read, the newest frame
                // itself is refilled: it is no longer there to be taken.
                if (next == filled) block->newestUnread = false;
                block->writeIndex = next;
            }
            block->frames.fetch_add(1);
            block->frameEvent->Set();
        }
        block->elapsed = static_cast<int32_t>(platform::TickCount() - start);
        {
            std::lock_guard<std::mutex> hold(block->handleLock);
            block->handle = nullptr;
        }
        CloseDevice(&handle);
    }
    block->status = status;
    // A run that could not even open the device failed as much as one that
    // broke off: the reader must hear of it rather than wait on a silent ring.
    block->errorFlag = status != kDeviceOk ? 1 : 0;
    block->stopFlag = 1;
    block->frameEvent->Set();  // wakes a reader waiting for a frame
    block->endedEvent->Set();
}

}  // namespace

int32_t CKVXSdkLib::UpdateTransferBytes() {
    int32_t bytes = transferSize_ * (sixteenBit_ ? 2 : 1);
    largeTransfer_ = bytes >= driver::kLargeTransferBytes ? 1 : 0;
    block_.largeFlag = largeTransfer_;
    block_.transferBytes = bytes;
    return bytes;
}

int CKVXSdkLib::SetupBuffers(int pitch, int xOffset, int width, int rows, int yOffset, int height, int ringCount) {
    if (pitch <= 0 || width <= 0 || xOffset < 0 || pitch < width || xOffset > pitch - width) return 3;
    if (rows <= 0 || height <= 0 || yOffset < 0 || rows < yOffset + height) return 4;
    if (ringCount < 2) return 1;
    // The running thread writes into the ring; it must not be pulled away.
    if (block_.stopFlag.load() == 0) return 21;

    FreeBuffers();
    pitch_ = pitch;
    xOffset_ = xOffset;
    width_ = width;
    rows_ = rows;
    yOffset_ = yOffset;
    height_ = height;
    // Every line the camera sends is transferred, also those below the
    // delivered region (rows is height + yOffset unless the sensor window was
    // rounded up beyond the region); a transfer shorter than the camera's
    // frame would leave lines behind for the next request.
    transferSize_ = RoundUpTo1024(static_cast<int64_t>(pitch) * rows);

    const size_t bufferBytes = 2 * static_cast<size_t>(transferSize_);
    singleBuffer_ = static_cast<uint8_t*>(std::calloc(bufferBytes, 1));
    if (!singleBuffer_) return kDeviceNoBuffer;
    ring_ = static_cast<uint8_t**>(std::calloc(static_cast<size_t>(ringCount), sizeof(uint8_t*)));
    if (!ring_) {
        FreeBuffers();
        return kDeviceNoBuffer;
    }
    ringCount_ = ringCount;
    ringBufferSize_ = static_cast<int32_t>(bufferBytes);
    for (int i = 0; i < ringCount; ++i) {
        ring_[i] = static_cast<uint8_t*>(std::calloc(bufferBytes, 1));
        if (!ring_[i]) {
            FreeBuffers();
            return kDeviceNoBuffer;
        }
    }
    SendTransferSize();
    return kDeviceOk;
}

void CKVXSdkLib::FreeBuffers() {
    std::free(singleBuffer_);
    singleBuffer_ = nullptr;
    if (ring_) {
        for (int i = 0; i < ringCount_; ++i) std::free(ring_[i]);
        std::free(ring_);
    }
    ring_ = nullptr;
    ringCount_ = 0;
    ringBufferSize_ = 0;
}

bool CKVXSdkLib::SendTransferSize() {
    driver::CommandBlock block(driver::kTransferSize);
    const uint32_t size = static_cast<uint32_t>(transferSize_);
    for (int i = 0; i < 4; ++i) block.bytes[1 + i] = static_cast<uint8_t>(size >> (8 * i));
    return SendCommand(block.bytes);
}

int CKVXSdkLib::StartTransfer() {
    if (block_.stopFlag.load() == 0) return kDeviceTransferRunning;
    if (!ring_) return kDeviceNoBuffer;
    // A run that ended by itself leaves its thread to be collected.
    if (thread_.joinable()) thread_.join();
    UpdateTransferBytes();

    driver::CommandBlock arm(driver::kArm);
    SendCommand(arm.bytes);

    endedEvent_.Clear();
    frameEvent_.Clear();
    block_.status = kDeviceOk;
    block_.frames = 0;
    block_.elapsed = 0;
    block_.errorFlag = 0;
    block_.writeIndex = 0;
    block_.readIndex = 0;
    block_.newest = -1;
    block_.newestUnread = false;
    block_.readerSlot = -1;
    block_.ringCount = ringCount_;
    block_.ring = ring_;
    FormatDevicePath(deviceNumber_.load(), block_.devicePath);
    block_.stopFlag = 0;
    try {
        thread_ = std::thread(TransferThread, &block_);
    } catch (...) {
        block_.stopFlag = 1;
        return 3;
    }
    return 0;
}

int CKVXSdkLib::StopTransfer() {
    if (block_.stopFlag.load() == 1 && block_.errorFlag.load() == 0) {
        if (thread_.joinable()) thread_.join();
        return 0;
    }
    if (block_.stopFlag.load() == 0) {
        // The thread looks at the flag between frames. The image read in
        // progress may finish; a camera that never answers it gets the read
        // cancelled, again until the thread is out (the cancel can come just
        // before the thread issues its next request).
        block_.stopFlag = 1;
        if (!endedEvent_.Wait(kStopGraceMs)) {
            do {
                std::lock_guard<std::mutex> hold(block_.handleLock);
                platform::DeviceCancel(block_.handle);
            } while (!endedEvent_.Wait(kCancelRepeatMs));
        }
    }
    if (thread_.joinable()) thread_.join();
    const int status = block_.status.load();
    if (status != kDeviceOk) programLost_ = 1;
    lastElapsedMs_ = block_.elapsed.load();
    block_.stopFlag = 1;
    block_.errorFlag = 0;
    return status;
}

WaitFrameResult CKVXSdkLib::WaitFrame() {
    if (block_.errorFlag.load() == 1) return kWaitFailed;
    if (block_.stopFlag.load() == 1) return kWaitStopped;
    {
        std::lock_guard<std::mutex> hold(block_.slotLock);
        if (block_.newestUnread) {
            // Only the newest finished frame is taken: a slow reader drops
            // frames instead of making the transfer thread wait.
            block_.newestUnread = false;
            block_.readIndex = block_.newest;
            block_.readerSlot = block_.newest;
            return kWaitFrameTaken;
        }
    }
    if (!frameEvent_.Wait(frameTimeoutMs_)) return kWaitFailed;
    return kWaitWoken;
}

int CKVXSdkLib::ReadFrame(void* dst) {
    if (!dst) return kDeviceNullDestination;
    if (!ring_) return kDeviceNoBuffer;
    CopyRawRegion(dst, ring_[block_.readIndex.load()]);
    std::lock_guard<std::mutex> hold(block_.slotLock);
    block_.readerSlot = -1;
    block_.readIndex = Next(block_.readIndex.load(), ringCount_);
    return kDeviceOk;
}

int CKVXSdkLib::ReadSingleFrame() {
    const uint32_t bytes = static_cast<uint32_t>(UpdateTransferBytes());
    if (!singleBuffer_) return kDeviceNoBuffer;
    DeviceHandle handle;
    {
        std::lock_guard<std::mutex> hold(singleLock_);
        if (!singleHandle_) singleHandle_ = OpenDevice(devicePath().text);
        handle = singleHandle_;
    }
    if (!handle) {
        lastSingleStatus_ = kDeviceTransferFailed;
        programLost_ = 1;
        return kDeviceNoChannel;
    }
    driver::CommandBlock arm(driver::kArm);
    SendCommand(arm.bytes);
    driver::CommandBlock request(driver::kRequestFrame);
    uint32_t returned = 0;
    PipeTransfer(handle, driver::kCommandPipe, driver::kBlockSize, request.bytes, &returned, driver::kSendCode);
    const uint32_t imageCode = largeTransfer_ ? driver::kLargeSendCode : driver::kSendCode;
    if (PipeTransfer(handle, driver::kImagePipe, bytes, singleBuffer_, &returned, imageCode) == 0 && returned == bytes)
        return kDeviceOk;
    lastSingleStatus_ = kDeviceTransferFailed;
    programLost_ = 1;
    CloseSingleFrame();
    return kDeviceTransferFailed;
}

int CKVXSdkLib::CopySingleFrame(void* dst) {
    if (!dst) return kDeviceNullDestination;
    if (!singleBuffer_) return kDeviceNoBuffer;
    CopyRawRegion(dst, singleBuffer_);
    return kDeviceOk;
}

void CKVXSdkLib::CloseSingleFrame() {
    std::lock_guard<std::mutex> hold(singleLock_);
    CloseDevice(&singleHandle_);
}

void CKVXSdkLib::CancelSingleFrame() {
    std::lock_guard<std::mutex> hold(singleLock_);
    platform::DeviceCancel(singleHandle_);
}

}  // namespace kvx

// Frame information records that outlive the cameras they describe.
//
// A frame-ready message carries the address of its camera's record and may
// sit in the application's queue after the camera was released. The records
// therefore live in a per-process arena that is never freed: a late reader
// sees stale values (or those of a later camera that reuses the slot),
// never freed memory.
#pragma once

#include "KolvexSdk.h"

namespace kvx {

// A record with its size field set and the rest 0. Never null: when no
// memory can be had, every camera shares one static fallback record.
KolvexFrameInfo* AcquireFrameInfoRecord();

// Hands the record back for a later camera; its memory stays readable.
void ReturnFrameInfoRecord(KolvexFrameInfo* record);

}  // namespace kvx

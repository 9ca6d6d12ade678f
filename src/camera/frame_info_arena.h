// Frame information records that outlive the cameras they describe.
//
// A frame-ready message carries the address of its camera's record and may
// sit in the application's queue, or be read from it, long after the camera
// was released. The records therefore live in a per-process arena that is
// never freed, and a record is never handed to a second camera: neither the
// system's queue nor the application's own copies of a message can be
// searched, so no moment is known after which a released camera's record
// is unread. A late reader sees the last values its own camera wrote. The
// cost is one small record per camera object the process ever made.
#pragma once

#include "KolvexSdk.h"

namespace kvx {

// A record of its own with its size field set and the rest 0. Never null:
// when no memory can be had, every such camera shares one static fallback
// record.
KolvexFrameInfo* AcquireFrameInfoRecord();

}  // namespace kvx

#include "camera_sandbox.h"

#include "camera/kolvex.h"
#include "sim/camera_table.h"
#include "unique_name.h"

namespace kvx::test {

CameraSandbox::CameraSandbox(const std::vector<int>& devices)
    : tableName_(UniqueName("KolvexTestTable")), wireName_(UniqueName("KolvexTestWire")) {
    CKolvex::SetSharedTableNameForTesting(tableName_);
    sim::UnplugAll();
    sim::CameraOptions options;
    options.fastFrames = true;
    options.triggerBlock = wireName_;
    for (int device : devices) sim::Plug(device, options);
}

CameraSandbox::~CameraSandbox() {
    sim::UnplugAll();
    CKolvex::SetSharedTableNameForTesting("");
}

std::shared_ptr<sim::VirtualCamera> CameraSandbox::Camera(int device) const { return sim::FindCamera(device); }

}  // namespace kvx::test

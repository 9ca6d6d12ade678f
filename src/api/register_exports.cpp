// Raw sensor registers, the serial ROM and the IO port.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_ReadRegister(int handle, int address, int* ok) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.ReadRegister(address, ok); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_ReadRegisterEx(int handle, int address, int* ok) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.ReadRegisterEx(address, ok); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_WriteRegister(int handle, int address, int value) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.WriteRegister(address, value); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_WriteRegisterEx(int handle, int address, int value) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.WriteRegisterEx(address, value); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_ReadSromID(int handle, int address, int* ok) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.ReadSromID(address, ok); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_WriteSromID(int handle, int address, int value) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.WriteSromID(address, value); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetIOPort(int handle, unsigned char* value, int, int) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetIOPort(value); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetIOPort(int handle, int value) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetIOPort(value); });
}

}  // extern "C"

#include "guids.h"

namespace kvx::dshow {
namespace {

// {139B019E-0E99-4195-9611-BD26BD216A00} + device number in the last byte.
constexpr GUID kFilterClassBase = {0x139b019e, 0x0e99, 0x4195, {0x96, 0x11, 0xbd, 0x26, 0xbd, 0x21, 0x6a, 0x00}};

// FourCC subtypes: {FourCC-0000-0010-8000-00AA00389B71}.
constexpr GUID FourCcSubtype(char a, char b, char c, char d) {
    return {static_cast<unsigned long>(static_cast<unsigned char>(a)) |
                static_cast<unsigned long>(static_cast<unsigned char>(b)) << 8 |
                static_cast<unsigned long>(static_cast<unsigned char>(c)) << 16 |
                static_cast<unsigned long>(static_cast<unsigned char>(d)) << 24,
            0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}

}  // namespace

const CLSID kSettingsPageClassId = {0x091f1d8e, 0x7f53, 0x4d0f, {0xb1, 0xfc, 0x8f, 0x37, 0xf4, 0x51, 0x55, 0x9c}};
const IID kCameraAccessId = {0xdf09626e, 0x6159, 0x4377, {0x80, 0x2a, 0x0b, 0x88, 0xa2, 0xd4, 0xc0, 0x68}};
const GUID kSubtypeY800 = FourCcSubtype('Y', '8', '0', '0');
const GUID kSubtypeY16 = FourCcSubtype('Y', '1', '6', ' ');

CLSID FilterClassId(int device) {
    CLSID id = kFilterClassBase;
    id.Data4[7] = static_cast<unsigned char>(device);
    return id;
}

bool DeviceOfClassId(REFCLSID clsid, int* device) {
    CLSID base = clsid;
    const int number = base.Data4[7];
    base.Data4[7] = 0;
    if (!IsEqualGUID(base, kFilterClassBase) || number >= kMaxDevices) return false;
    *device = number;
    return true;
}

}  // namespace kvx::dshow

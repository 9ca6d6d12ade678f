// Progressive JPEG through libjpeg, from the bitmap's rows as they lie:
// libjpeg-turbo reads blue-first pixels of three or four bytes itself
// (JCS_EXT_BGR, JCS_EXT_BGRX), so 8-, 24- and 32-bit rows go to it by
// pointer, top row first; 16-bit samples are reduced to 8 bits a few rows
// at a time. The library reports errors by calling error_exit, which by
// default ends the process; here it jumps back to the writer, which cleans
// up and fails the save instead.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "display/frame_bitmap.h"
#include "imaging/export_kernels.h"
#include "output/output_kernels.h"
#include "output/staged_file.h"
#include "output/still_image.h"

namespace kvx {
namespace {

// How the bitmap's rows reach the library.
struct JpegInput {
    J_COLOR_SPACE space;
    int components;
    // Null: the bitmap's rows themselves. Otherwise the kernel that reduces
    // a row of 16-bit samples to `reducedBytes` bytes a pixel (the shift in
    // its last argument).
    PixelKernel reduce;
    int reducedBytes;
};

bool InputFor(int bitsPerPixel, int sampleBits, JpegInput& input) {
    const bool tenBit = sampleBits == 10;
    switch (bitsPerPixel) {
        case 8: input = {JCS_GRAYSCALE, 1, nullptr, 1}; return true;
        case 16: input = {JCS_GRAYSCALE, 1, tenBit ? ExportGray16To8Bits10 : ExportGray16To8Bits12, 1}; return true;
        case 24: input = {JCS_EXT_BGR, 3, nullptr, 3}; return true;
        case 32: input = {JCS_EXT_BGRX, 4, nullptr, 4}; return true;
        // One row at a time, a flipped kernel keeps the row order.
        case 48:
        case 64: input = {JCS_EXT_BGR, 3, ReduceColorWordsToBgr24Flipped, 3}; return true;
        default: return false;
    }
}

struct JumpingErrorManager {
    jpeg_error_mgr pub;  // first, so that the library's pointer is ours too
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    // Keep the library's own report on the standard error stream.
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->jump, 1);
}

// Rows handed to the library per call.
constexpr int kBatchRows = 16;

// Everything a compression touches lives here, outside the function that
// calls setjmp, so that nothing it changes is lost by the jump.
struct JpegJob {
    jpeg_compress_struct cinfo;
    JumpingErrorManager error;
    std::FILE* out = nullptr;
    const FrameBitmap* bitmap = nullptr;
    int quality = 0;
    int sampleBits = 12;
    JpegInput input{};
    uint8_t* reduced = nullptr;  // kBatchRows reduced rows, when the input needs them
};

// No objects with destructors in here: a jump must skip nothing.
bool Compress(JpegJob* job) {
    if (setjmp(job->error.jump) != 0) return false;
    // The library checks that it was built for the header we compiled with.
    jpeg_CreateCompress(&job->cinfo, JPEG_LIB_VERSION, sizeof(job->cinfo));
    jpeg_stdio_dest(&job->cinfo, job->out);

    const FrameBitmap& bitmap = *job->bitmap;
    const JpegInput& input = job->input;
    const int width = bitmap.width(), height = bitmap.height();
    job->cinfo.image_width = static_cast<JDIMENSION>(width);
    job->cinfo.image_height = static_cast<JDIMENSION>(height);
    job->cinfo.input_components = input.components;
    job->cinfo.in_color_space = input.space;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, job->quality, TRUE);
    jpeg_simple_progression(&job->cinfo);
    jpeg_start_compress(&job->cinfo, TRUE);

    const size_t reducedStride = static_cast<size_t>(width) * static_cast<size_t>(input.reducedBytes);
    if (input.reduce != nullptr) {
        job->reduced = static_cast<uint8_t*>(std::malloc(reducedStride * kBatchRows));
        if (job->reduced == nullptr) return false;
    }
    const size_t stride = static_cast<size_t>(bitmap.stride());
    // The library only reads the rows it is given, whatever its prototype says.
    uint8_t* const bits = const_cast<uint8_t*>(bitmap.bits());
    JSAMPROW rows[kBatchRows];
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        const int first = static_cast<int>(job->cinfo.next_scanline);
        const int count = std::min(kBatchRows, height - first);
        for (int i = 0; i < count; ++i) {
            if (input.reduce == nullptr) {
                rows[i] = bits + static_cast<size_t>(first + i) * stride;
                continue;
            }
            rows[i] = job->reduced + static_cast<size_t>(i) * reducedStride;
            input.reduce(rows[i], bits, KernelRect{0, first + i, width, first + i + 1}, 0, 0, input.reducedBytes,
                         bitmap.bytesPerPixel(), static_cast<int>(reducedStride), bitmap.stride(), nullptr,
                         ShiftDownFor(job->sampleBits));
        }
        jpeg_write_scanlines(&job->cinfo, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_compress(&job->cinfo);
    return true;
}

}  // namespace

int WriteJpeg(const char* path, const FrameBitmap* bitmap, int quality, int sampleBits) {
    if (path == nullptr || bitmap == nullptr || bitmap->empty()) return 0;
    JpegJob job{};
    if (!InputFor(bitmap->bitsPerPixel(), sampleBits, job.input)) return 0;
    StagedFile file(path);
    job.out = file.OpenStream();
    if (job.out == nullptr) return 0;
    job.bitmap = bitmap;
    job.quality = quality;
    job.sampleBits = sampleBits;
    job.cinfo.err = jpeg_std_error(&job.error.pub);
    job.error.pub.error_exit = JumpBack;

    bool ok = Compress(&job);
    jpeg_destroy_compress(&job.cinfo);
    std::free(job.reduced);
    ok = StagedFile::CloseStream(job.out) && ok;
    return ok && file.Commit() ? 1 : 0;
}

}  // namespace kvx

// Progressive JPEG through libjpeg. The library reports errors by calling
// error_exit, which by default ends the process; here it jumps back to the
// writer, which cleans up and fails the save instead.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "display/frame_bitmap.h"
#include "output/staged_file.h"
#include "output/still_image.h"

namespace kvx {
namespace {

struct JumpingErrorManager {
    jpeg_error_mgr pub;  // first, so that the library's pointer is ours too
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    // Keep the library's own report on the standard error stream.
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->jump, 1);
}

// Everything a compression touches lives here, outside the function that
// calls setjmp, so that nothing it changes is lost by the jump.
struct JpegJob {
    jpeg_compress_struct cinfo;
    JumpingErrorManager error;
    std::FILE* out = nullptr;
    const FrameBitmap* bitmap = nullptr;
    int quality = 0;
    uint8_t* row = nullptr;
};

// No objects with destructors in here: a jump must skip nothing.
bool Compress(JpegJob* job) {
    if (setjmp(job->error.jump) != 0) return false;
    // The library checks that it was built for the header we compiled with.
    jpeg_CreateCompress(&job->cinfo, JPEG_LIB_VERSION, sizeof(job->cinfo));
    jpeg_stdio_dest(&job->cinfo, job->out);

    const FrameBitmap& bitmap = *job->bitmap;
    const bool gray = bitmap.bitsPerPixel() == 8;
    const int components = gray ? 1 : 3;
    job->cinfo.image_width = static_cast<JDIMENSION>(bitmap.width());
    job->cinfo.image_height = static_cast<JDIMENSION>(bitmap.height());
    job->cinfo.input_components = components;
    job->cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, job->quality, TRUE);
    jpeg_simple_progression(&job->cinfo);
    jpeg_start_compress(&job->cinfo, TRUE);

    job->row = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(bitmap.width()) * components));
    if (job->row == nullptr) return false;
    const size_t stride = static_cast<size_t>(bitmap.stride());
    // The bitmap is upside down: its last memory row is the picture's top.
    for (int memoryRow = bitmap.height() - 1; memoryRow >= 0; --memoryRow) {
        const uint8_t* in = bitmap.bits() + static_cast<size_t>(memoryRow) * stride;
        if (gray) {
            for (int x = 0; x < bitmap.width(); ++x) job->row[x] = in[x];
        } else {
            uint8_t* out = job->row;
            for (int x = 0; x < bitmap.width(); ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        JSAMPROW rows[1] = {job->row};
        jpeg_write_scanlines(&job->cinfo, rows, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    return true;
}

}  // namespace

int WriteJpeg(const char* path, const FrameBitmap* bitmap8or24, int quality) {
    if (path == nullptr || bitmap8or24 == nullptr || bitmap8or24->empty()) return 0;
    if (bitmap8or24->bitsPerPixel() != 8 && bitmap8or24->bitsPerPixel() != 24) return 0;
    StagedFile file(path);
    JpegJob job{};
    job.out = file.OpenStream();
    if (job.out == nullptr) return 0;
    job.bitmap = bitmap8or24;
    job.quality = quality;
    job.cinfo.err = jpeg_std_error(&job.error.pub);
    job.error.pub.error_exit = JumpBack;

    bool ok = Compress(&job);
    jpeg_destroy_compress(&job.cinfo);
    std::free(job.row);
    ok = StagedFile::CloseStream(job.out) && ok;
    return ok && file.Commit() ? 1 : 0;
}

}  // namespace kvx

// PNG through libpng. Errors come back through the error function, which
// reports the library's message and jumps to the writer's return point.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <png.h>

#include "output/staged_file.h"
#include "output/still_image.h"

namespace kvx {
namespace {

[[noreturn]] void ReportAndReturn(png_structp png, png_const_charp message) {
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

struct PngLayout {
    int colorType;
    int bitDepth;
};

bool LayoutFor(int bitsPerPixel, PngLayout& layout) {
    switch (bitsPerPixel) {
        case 8: layout = {PNG_COLOR_TYPE_GRAY, 8}; return true;
        case 16: layout = {PNG_COLOR_TYPE_GRAY, 16}; return true;
        case 24: layout = {PNG_COLOR_TYPE_RGB, 8}; return true;
        case 32: layout = {PNG_COLOR_TYPE_RGB_ALPHA, 8}; return true;
        case 48: layout = {PNG_COLOR_TYPE_RGB, 16}; return true;
        case 64: layout = {PNG_COLOR_TYPE_RGB_ALPHA, 16}; return true;
        default: return false;
    }
}

// What the encoding touches, outside the function that calls setjmp, so
// that nothing it changes is lost by the jump.
struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* out = nullptr;
    const uint8_t* pixels = nullptr;
    int width = 0, height = 0, bitsPerPixel = 0;
    PngLayout layout{};
    png_bytep* rows = nullptr;
};

// No objects with destructors in here: a jump must skip nothing.
bool Encode(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png)) != 0) return false;
    png_init_io(job->png, job->out);
    png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(job->width), static_cast<png_uint_32>(job->height),
                 job->layout.bitDepth, job->layout.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(job->png, job->info);
    png_set_bgr(job->png);
    // PNG stores 16-bit samples big-endian; ours are little-endian. The
    // library swaps each row as it goes, so no swapped copy of the picture
    // is needed.
    if (job->layout.bitDepth == 16) png_set_swap(job->png);

    const size_t rowBytes = static_cast<size_t>(job->width) * static_cast<size_t>(job->bitsPerPixel / 8);
    const size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
    job->rows = static_cast<png_bytep*>(std::calloc(static_cast<size_t>(job->height), sizeof(png_bytep)));
    if (job->rows == nullptr) png_error(job->png, "Vadorivod: Out of memory");
    for (int i = 0; i < job->height; ++i) {
        job->rows[i] = const_cast<png_bytep>(job->pixels + static_cast<size_t>(i) * stride);
    }
    png_write_image(job->png, job->rows);
    png_write_end(job->png, job->info);
    return true;
}

}  // namespace

int WritePng(const char* path, const uint8_t* pixels, int width, int height, int bitsPerPixel) {
    PngJob job;
    if (path == nullptr || pixels == nullptr || width <= 0 || height <= 0) return 0;
    if (!LayoutFor(bitsPerPixel, job.layout)) return 0;
    StagedFile file(path);
    job.out = file.OpenStream();
    if (job.out == nullptr) return 0;
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ReportAndReturn, nullptr);
    if (job.png != nullptr) job.info = png_create_info_struct(job.png);
    bool ok = false;
    if (job.png != nullptr && job.info != nullptr) {
        job.pixels = pixels;
        job.width = width;
        job.height = height;
        job.bitsPerPixel = bitsPerPixel;
        ok = Encode(&job);
    }
    png_destroy_write_struct(&job.png, &job.info);
    std::free(job.rows);
    ok = StagedFile::CloseStream(job.out) && ok;
    return ok && file.Commit() ? 1 : 0;
}

}  // namespace kvx

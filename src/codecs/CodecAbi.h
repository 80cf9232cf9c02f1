// SPDX-License-Identifier: GPL-3.0-or-later
// The plain C contract between the image component and its codec modules.
//
// A codec module is a shared library loaded at run time. It exports "InitDll" and, depending on
// the module, "read_xxx", "write_xxx" and "xxx_info" entries with the signatures below; the main
// module also exports "error_text". Pixels never cross the boundary in memory the other side
// must free: a reader asks the host to allocate the picture (PixAllocateFn) and writes its rows
// into the host's buffer; a writer reads the host's rows through a PixImageView.
//
// Pictures are addressed from the top (row 0 is the top row). Row layouts by bit count:
//   1, 4, 8   palette indices, most significant bits first; palette entries 0x00RRGGBB
//   15        little-endian 16-bit pixels, 5-5-5 (red in bits 10-14), bit 15 ignored
//   16        little-endian 16-bit pixels, 5-6-5 (red in bits 11-15)
//   24        blue, green, red bytes
//   32        blue, green, red, unused bytes
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PIX_CODEC_ABI_VERSION 1u

// File names of the three codec modules, looked up beside the program and on the library path.
#define PIX_MAIN_MODULE_NAME "pixmain.so"
#define PIX_TIFF_MODULE_NAME "pixtif.so"
#define PIX_DXF_MODULE_NAME "pixdxf.so"

// Limits every decoder enforces before allocating anything.
#define PIX_MAX_SIDE 65535
#define PIX_MAX_PIXELS 100000000LL
#define PIX_MAX_PALETTE 256
#define PIX_MODULE_NAME_SIZE 64

// Results: a value greater than 0 is success; 0 or below is an error code whose text the main
// module's "error_text" entry gives.
enum PixResult {
    PIX_OK = 1,
    PIX_ERR_GENERAL = 0,
    PIX_ERR_OPEN = -1,         // the file cannot be opened
    PIX_ERR_FORMAT = -2,       // not a file of this format
    PIX_ERR_UNSUPPORTED = -3,  // a variant of the format this module does not handle
    PIX_ERR_TOO_LARGE = -4,    // the picture exceeds PIX_MAX_SIDE or PIX_MAX_PIXELS
    PIX_ERR_CORRUPT = -5,      // damaged or truncated data
    PIX_ERR_MEMORY = -6,       // out of memory
    PIX_ERR_CREATE = -7,       // the target file cannot be created
    PIX_ERR_WRITE = -8,        // writing failed
    PIX_ERR_CANCELLED = -9,    // the progress callback asked to stop
    PIX_ERR_ARGUMENT = -10,    // bad arguments from the host
    PIX_ERR_PAGE = -11,        // the asked page does not exist
    PIX_ERR_RENDER = -12,      // an external renderer failed or timed out
    PIX_ERR_EXCEPTION = -13,   // an unexpected failure inside the module
    PIX_ERR_HOST = -14,        // the host refused to allocate the picture
    PIX_ERR_FIRST = -14        // lowest code in use
};

// Size, depth and palette of a picture.
typedef struct PixImageInfo {
    int32_t width;
    int32_t height;
    int32_t bitCount;                   // 1, 4, 8, 15, 16, 24 or 32
    uint32_t paletteCount;              // entries used, at most PIX_MAX_PALETTE; 0 above 8 bits
    uint32_t palette[PIX_MAX_PALETTE];  // 0x00RRGGBB
} PixImageInfo;

// Rows handed out by the host: height rows of stride bytes each, top row first.
typedef struct PixPixelBuffer {
    uint8_t* pixels;
    int32_t stride;
} PixPixelBuffer;

// A picture the host lends to a writer for the duration of the call.
typedef struct PixImageView {
    PixImageInfo info;
    const uint8_t* pixels;
    int32_t stride;
} PixImageView;

// The host allocates a picture described by info; returns 1 and fills out, or 0 to refuse.
typedef int32_t (*PixAllocateFn)(void* host, const PixImageInfo* info, PixPixelBuffer* out);
// Progress in percent (0..100); a non-zero result asks the module to stop.
typedef int32_t (*PixProgressFn)(void* host, int32_t percent);
// The size the host will sample the picture to (nearest neighbour), asked once the decoder knows
// the picture's full size (full) and before it allocates. The host fills in width and height (at
// least 1 each) and returns 1, or returns 0 to have the picture at full size. A decoder that
// asks may then deliver a smaller picture that still serves that sampling:
//   - reduced: the picture decoded at 1/2, 1/4 or 1/8 of its size (rounded up), chosen no
//     smaller than width x height in both directions (JPEG's scaled inverse DCT);
//   - fewer rows: when height is below the (reduced) picture's height H, exactly height rows,
//     row i being row floor(i * H / height) of the (reduced) picture; columns stay whole.
// Decoders that ask nothing deliver the full picture; so does a host that returns 0.
typedef int32_t (*PixTargetFn)(void* host, const PixImageInfo* full, int32_t* width,
                               int32_t* height);

// Arguments of every "read_xxx" entry.
typedef struct PixReadArgs {
    uint32_t structSize;     // sizeof(PixReadArgs)
    int32_t depth;           // 0: the file's own depth; else 1, 4, 8 or 24 asked of the decoder
    int32_t page;            // TIFF page to read, 0 = first
    void* host;              // passed back to the callbacks
    PixAllocateFn allocate;  // required
    PixProgressFn progress;  // optional
    // Added later; a module reads it only when structSize covers it, so older hosts and modules
    // keep working with each other.
    PixTargetFn target;  // optional: the size the host samples to, for a reduced decode
} PixReadArgs;

// Size of the arguments before "target": the smallest structSize a module accepts.
#define PIX_READ_ARGS_BASE_SIZE offsetof(PixReadArgs, target)

// Arguments of every "write_xxx" entry. A write entry never damages an existing file: it writes a
// temporary file beside the target and renames it over the target only when the whole picture
// was written (a TIFF page is appended to a copy), so a failed save leaves the old file as it was.
typedef struct PixWriteArgs {
    uint32_t structSize;        // sizeof(PixWriteArgs)
    int32_t depth;              // 0: the picture's own; 1, 4, 8 or 24 (JPEG: 1 grey, else colour)
    const PixImageView* image;  // required
    void* host;
    PixProgressFn progress;   // optional
    int32_t tiffCompression;  // 1, 2, 3, 4, 5 or 32773 (TIFF compression codes)
    int32_t tiffAppend;       // non-zero: add a page to an existing TIFF file
    int32_t pngInterlaced;    // non-zero: Adam7 interlacing
    int32_t jpegQuality;      // 1..100
    int32_t jpegSmooth;       // 1..100, libjpeg's smoothing factor
} PixWriteArgs;

// Filled in by "InitDll": the module names itself so the host can refuse a module that was
// installed under another module's file name.
typedef struct PixSharedState {
    uint32_t structSize;                    // sizeof(PixSharedState), set by the host
    uint32_t hostAbiVersion;                // PIX_CODEC_ABI_VERSION of the host
    uint32_t moduleAbiVersion;              // set by the module
    char moduleName[PIX_MODULE_NAME_SIZE];  // set by the module, e.g. PIX_MAIN_MODULE_NAME
} PixSharedState;

typedef int32_t (*PixInitDllFn)(void* activeWindow, PixSharedState* state);
typedef int32_t (*PixReadFn)(const char* path, const PixReadArgs* args);
typedef int32_t (*PixWriteFn)(const char* path, const PixWriteArgs* args);
// "file_info", "tif_info", "dxf_info": size and depth of a file without decoding its pixels.
typedef int32_t (*PixInfoFn)(const char* path, PixImageInfo* info);
// "error_text": copies the text of an error code (at most size - 1 bytes) and a terminating 0.
typedef int32_t (*PixErrorTextFn)(int32_t code, char* text, int32_t size);

#ifdef __cplusplus
}
#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/jpeg_writer.h"

#ifndef VIS_NO_JPEG_LIBRARY
#include <turbojpeg.h>
#endif

#include <climits>

namespace vis {

#ifdef VIS_NO_JPEG_LIBRARY

// A build without an encoder (MinGW from Debian): every JPEG is a failed
// write, reported as such, never a file that is not one.
std::optional<FileContent> encodeJpeg(const aDIBSection&, int) { return std::nullopt; }
bool EcrireJpg(const aDIBSection&, const std::string&, int, WriteOptions) { return false; }

#else

namespace {

struct Compressor {
    tjhandle handle = tjInitCompress();
    ~Compressor() {
        if (handle) tjDestroy(handle);
    }
};

}  // namespace

std::optional<FileContent> encodeJpeg(const aDIBSection& dib, int quality) {
    if (dib.isEmpty()) return std::nullopt;
    Compressor c;
    if (!c.handle) return std::nullopt;

    // The DIB layout is taken as it is: bottom-up rows, blue-green-red,
    // padded to BytesPerScanLine bytes.
    // Room for the largest file at once: the encoder never grows its output
    // by copying it, and the pages it does not fill are never touched.
    unsigned long size = tjBufSize(dib.Width(), dib.Height(), TJSAMP_420);
    unsigned char* jpeg = size <= static_cast<unsigned long>(INT_MAX) ? tjAlloc(static_cast<int>(size)) : nullptr;
    const int flags = TJFLAG_BOTTOMUP | (jpeg ? TJFLAG_NOREALLOC : 0);
    if (!jpeg) size = 0;
    const int r = tjCompress2(c.handle, dib.DIBSectionBitsPtr(), dib.Width(), dib.BytesPerScanLine(), dib.Height(),
                              TJPF_BGR, &jpeg, &size, TJSAMP_420, quality, flags);
    // Kept as the encoder left it: no copy of the file.
    FileContent out{std::shared_ptr<const unsigned char>(jpeg,
                                                         [](const unsigned char* p) {
                                                             if (p) tjFree(const_cast<unsigned char*>(p));
                                                         }),
                    size};
    if (r != 0 || !jpeg) return std::nullopt;
    return out;
}

bool EcrireJpg(const aDIBSection& dib, const std::string& path, int quality, WriteOptions options) {
    const std::optional<FileContent> jpeg = encodeJpeg(dib, quality);
    return jpeg && writeFile(utf8Path(path), jpeg->bytes(), options) == WriteResult::Written;
}

#endif

}  // namespace vis

// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/jpeg_writer.h"

#ifndef VIS_NO_JPEG_LIBRARY
#include <turbojpeg.h>
#endif

#include <span>

#include "output/atomic_file.h"

namespace vis {

#ifdef VIS_NO_JPEG_LIBRARY

// A build without an encoder (MinGW from Debian): every JPEG is a failed
// write, reported as such, never a file that is not one.
bool EcrireJpg(const aDIBSection&, const std::string&, int, WriteOptions) { return false; }

#else

namespace {

struct Compressor {
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ~Compressor() {
        if (jpeg) tjFree(jpeg);
        if (handle) tjDestroy(handle);
    }
};

}  // namespace

bool EcrireJpg(const aDIBSection& dib, const std::string& path, int quality, WriteOptions options) {
    if (dib.isEmpty()) return false;
    Compressor c;
    if (!c.handle) return false;

    // The DIB layout is taken as it is: bottom-up rows, blue-green-red,
    // padded to BytesPerScanLine bytes.
    if (tjCompress2(c.handle, dib.DIBSectionBitsPtr(), dib.Width(), dib.BytesPerScanLine(), dib.Height(), TJPF_BGR,
                    &c.jpeg, &c.size, TJSAMP_420, quality, TJFLAG_BOTTOMUP) != 0)
        return false;
    return writeFile(utf8Path(path), std::span<const unsigned char>(c.jpeg, c.size), options) == WriteResult::Written;
}

#endif

}  // namespace vis

// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/encode_image.h"

#include <exception>
#include <vector>

#include "output/bmp_codec.h"
#include "output/dib_section.h"
#include "output/jpeg_writer.h"
#include "output/png_writer.h"

namespace vis {

std::optional<FileContent> encodeImage(const Bitmap& picture, ImageFormat format, int quality) {
    try {
        if (format == ImageFormat::Bmp || format == ImageFormat::Png) {
            auto bytes = std::make_shared<std::vector<unsigned char>>(format == ImageFormat::Bmp ? encodeBmp(picture)
                                                                                                : encodePng(picture));
            if (bytes->empty()) return std::nullopt;
            return FileContent{std::shared_ptr<const unsigned char>(bytes, bytes->data()), bytes->size()};
        }
        // The writer's buffer lives only for this picture: each worker holds
        // one picture's copy at most.
        aDIBSection dib;
        if (!dib.CreateFromPicture(picture)) return std::nullopt;
        return encodeJpeg(dib, quality);
    } catch (const std::exception&) {
        return std::nullopt;  // sizes beyond 32 bits, no memory
    }
}

}  // namespace vis

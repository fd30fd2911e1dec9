#include "output/bmp_codec.h"
namespace vis {
std::optional<Bitmap> readBmp(const std::string&) { return std::nullopt; }
}

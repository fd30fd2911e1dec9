#pragma once
// Temporary: replaced by the codec's own header.
#include <optional>
#include <string>
#include "platform/bitmap.h"
namespace vis {
std::optional<Bitmap> readBmp(const std::string& path);
}

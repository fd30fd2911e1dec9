// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The desktop's settings that X11 clients share (the XSETTINGS protocol, kept
// by gsd-xsettings, xfsettingsd, xsettingsd...): here, only what the program
// asks of them.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vis::xsettings {

// The integer setting of that name in an _XSETTINGS_SETTINGS property, or
// nothing when it is absent, of another type, or the data is cut short.
std::optional<int> intSetting(const unsigned char* data, std::size_t size, std::string_view name);

// "Net/EnableEventSounds" of the desktop the display belongs to; true where
// no settings manager runs or it does not say (and off X11).
bool eventSoundsEnabled(void* display);

}  // namespace vis::xsettings

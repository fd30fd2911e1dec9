// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vis {

// The author's address, a build setting.
std::string authorMail();

// "mailto:" URL of a new message, its address and subject escaped.
std::string mailtoUrl(const std::string& address, const std::string& subject);

}  // namespace vis

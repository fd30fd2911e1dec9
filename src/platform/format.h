// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vis {

// The program's two number texts. numberText gives the decimal text of a
// number preceded by a blank where a minus sign would stand, with a fraction
// only when there is one (" 9600", " 0", "-5", " 2.5").
std::string numberText(double value);
// Zero-padded to at least two digits ("03", "29", "100").
std::string twoDigits(int value);

// Characters, not bytes: the program's texts are UTF-8 and counting,
// cutting or padding them must not split a letter.
std::size_t charCount(const std::string& utf8);
std::string leftChars(const std::string& utf8, std::size_t n);
std::string midChars(const std::string& utf8, std::size_t start, std::size_t n = std::string::npos);  // 0-based
std::string padRight(const std::string& utf8, std::size_t n);  // cut or blank-padded to n characters

// Nearest whole number, halves to even, as the original 16-bit stores do.
long roundToEven(double v);

}  // namespace vis

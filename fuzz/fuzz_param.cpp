// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the settings file reader and the record build.
//
// Any bytes, read as param.txt, must never crash; a record that decodes must
// be well formed, and saving it gives back the same values. The same bytes,
// cut into the Options window's texts, must build a record that reads back
// to the globals the build reported.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/format.h"
#include "settings/param_file.h"
#include "settings/param_record.h"

namespace {

using namespace vis;

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

std::optional<ParamSettings> readBack(const std::string& fileBytes) {
    return decodeRecord(recordFromText(textFromFileBytes(fileBytes)));
}

std::string saved(const std::string& ligneParam) { return paramFileContent(ligneParam, recordNeedsQuotes(ligneParam)); }

void checkDecoded(const ParamSettings& s) {
    const OptionsControls& c = s.controls;
    const ParamGlobals& g = s.globals;
    require(charCount(g.ligneParam) == kRecordLength, "record is 120 characters");
    require(charCount(c.Text1) <= kDirectoryLength && (c.Text1.empty() || c.Text1.back() != ' '),
            "Text1 is the folder without its padding");
    require(charCount(c.Txtinterval) == 2, "Txtinterval is 2 characters");
    require(charCount(c.Txtpref) <= 4 && g.prefixe == c.Txtpref, "prefix is at most 4 characters");
    require(c.Txtpref.find_first_of("/\\") == std::string::npos, "no separator in the prefix");
    require(charCount(g.toucheF) == 2, "toucheF is 2 characters");
    require(charCount(c.Txttouche) == 1 || c.Txttouche == g.toucheF, "Txttouche");
    for (int box : c.Check1) require(box >= 0 && box <= 2, "check box value");
    require(c.Slider1 >= 0 && c.Slider1 <= 9 && g.qualiteJpg == c.Slider1 * 10, "quality");
    require(c.Slidtempo >= 0 && c.Slidtempo <= 5 && g.tempo == c.Slidtempo / 10.0, "delay");
    require(g.inclureFenetres == c.Check1[2], "inclureFenetres");
    require(g.TimPeriodInterval >= 0 && g.TimPeriodInterval <= 65000, "interval range");
}

void checkBuild(const OptionsControls& c) {
    const auto g = buildRecord(c);
    require(g.has_value() == (checkOptions(c) == OptionsProblem::None), "build follows the checks");
    if (!g) return;
    require(charCount(g->ligneParam) == kRecordLength, "built record is 120 characters");
    require(g->TimPeriodInterval % 1000 == 0 && g->TimPeriodInterval <= 65000, "built interval");
    const auto back = readBack(saved(g->ligneParam));
    require(back.has_value(), "built record reads back");
    checkDecoded(*back);
    require(back->globals == *g, "read back gives the built globals");
    const auto again = buildRecord(back->controls);
    require(again && *again == *g, "building again from what was read gives the same record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = textFromFileBytes(bytes);
    require(textFromFileBytes(text) == text, "file text is valid UTF-8");

    // As param.txt.
    const std::string record = recordFromText(text);
    require(charCount(record) == kRecordLength, "stored record is 120 characters");
    if (const auto s = decodeRecord(record)) {
        require(s->globals.ligneParam == record, "record kept");
        checkDecoded(*s);
        // The quit sequence saves what was loaded: it must load again the same.
        const auto back = readBack(saved(s->globals.ligneParam));
        require(back && *back == *s, "saving a loaded record keeps its values");
        checkBuild(s->controls);
    }

    // As the Options window's texts, separated by 0x1E, then two number bytes.
    std::vector<std::string> parts(4);
    std::size_t k = 0;
    for (char ch : text) {
        if (ch == '\x1E' && k + 1 < parts.size())
            ++k;
        else
            parts[k] += ch;
    }
    OptionsControls c;
    c.Text1 = parts[0];
    c.Txtinterval = parts[1];
    c.Txtpref = parts[2];
    c.Txttouche = parts[3];
    const std::uint8_t a = size > 0 ? data[0] : 0;
    const std::uint8_t b = size > 1 ? data[size - 1] : 0;
    c.Check1 = {a & 1, (a >> 1) & 3, (a >> 3) & 1};
    c.Slider1 = b % 12 - 1;  // a little outside the slider's range too
    c.Slidtempo = b / 12 % 8 - 1;
    checkBuild(c);
    return 0;
}

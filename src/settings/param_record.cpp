// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/param_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/format.h"
#include "settings/param_texts.h"

namespace vis {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kMaxIntervalSeconds = 65;

// The text put in its place, cut or blank-padded to the field's length.
void setField(std::string& record, RecordField f, const std::string& text) {
    record = leftChars(record, f.pos - 1) + padRight(text, f.len) + midChars(record, f.pos - 1 + f.len);
}

// A lone digit reads as its value, anything else as 0.
int digitValue(const std::string& c) { return c.size() == 1 && c[0] >= '0' && c[0] <= '9' ? c[0] - '0' : 0; }

// The numeric value of a text read the lenient way the loader always has:
// blanks and tabs are ignored, then an optional sign, digits and an optional
// fraction; reading stops at anything else ("1a" is 1, "a1" is 0).
double lenientValue(std::string_view s) {
    std::string t;
    for (char c : s)
        if (c != ' ' && c != '\t') t += c;
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    double v = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') v = v * 10 + (t[i++] - '0');
    if (i < t.size() && t[i] == '.') {
        double scale = 0.1;
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, scale /= 10) v += (t[i] - '0') * scale;
    }
    return negative ? -v : v;
}

// The interval box holds a whole number of seconds, blanks around allowed;
// larger numbers saturate, they are limited to 65 anyway.
std::optional<long> intervalSeconds(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    long v = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = std::min(v * 10 + (text[i] - '0'), 1000000L);
    }
    return v;
}

// Text that the file could not give back: a double quote ends a quoted field,
// a line break ends the line.
bool hasUnreadableChar(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20; });
}

// A separator in the prefix would put the files of the save-all outside
// their folder ("../x", "a/bc").
bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool prefixLeavesFolder(const std::string& prefix) {
    return std::any_of(prefix.begin(), prefix.end(), isSeparator) || prefix.find("..") != std::string::npos;
}

// The prefix as the record holds it, its separators dropped: a file edited by
// hand keeps loading, and without a separator neither "." nor ".." can lead
// out of the folder.
std::string storedPrefix(const std::string& record) {
    std::string p = fieldText(record, field::prefixe);
    p.erase(std::remove_if(p.begin(), p.end(), isSeparator), p.end());
    return p;
}

std::string withoutTrailingBlanks(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

ParamGlobals globalsFrom(const std::string& record) {
    ParamGlobals g;
    g.ligneParam = record;
    g.qualiteJpg = digitValue(fieldText(record, field::qualite)) * 10;
    g.inclureFenetres = digitValue(fieldText(record, field::inclureFenetres));
    g.prefixe = storedPrefix(record);
    g.toucheF = fieldText(record, field::touche);
    return g;
}

}  // namespace

std::string fieldText(const std::string& record, RecordField f) { return midChars(record, f.pos - 1, f.len); }

// Windows too: the old default folder of French Windows XP exists on no
// current system, and only an administrator could make it.
std::string defaultDirectory(const std::string& documentsFolder, const std::string& homeFolder) {
    const auto fits = [](const std::string& d) {
        return !d.empty() && charCount(d) <= kDirectoryLength && !hasUnreadableChar(d);
    };
    if (fits(documentsFolder)) return documentsFolder;
    if (fits(homeFolder)) return homeFolder;
    return {};
}

std::string defaultRecord(const std::string& directory) {
    return padRight(padRight(directory, kDirectoryLength) + kDefaultSettings, kRecordLength);
}

std::string readFirstField(std::string_view text) {
    text = text.substr(0, text.find_first_of("\r\n"));
    // A byte-order mark (an editor's) is skipped like a blank.
    while (!text.empty()) {
        if (text.front() == ' ' || text.front() == '\t')
            text.remove_prefix(1);
        else if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            text.remove_prefix(kByteOrderMark.size());
        else
            break;
    }
    if (text.empty()) return {};
    if (text.front() == '"') {
        text.remove_prefix(1);
        return std::string(text.substr(0, text.find('"')));
    }
    return std::string(text.substr(0, text.find(',')));
}

std::string recordFromText(std::string_view text) { return padRight(readFirstField(text), kRecordLength); }

std::optional<ParamSettings> decodeRecord(const std::string& ligneParam) {
    const std::string record = padRight(ligneParam, kRecordLength);
    ParamSettings s;
    OptionsControls& c = s.controls;
    // The box shows the folder alone: typing at its end must not land behind
    // the record's padding.
    c.Text1 = withoutTrailingBlanks(fieldText(record, field::repertoire));
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string box = fieldText(record, field::caseACocher[i]);
        if (box != "0" && box != "1" && box != "2") return std::nullopt;
        c.Check1[i] = box[0] - '0';
    }
    c.Slider1 = digitValue(fieldText(record, field::qualite));
    c.Slidtempo = digitValue(fieldText(record, field::tempo));
    if (c.Slidtempo > 5) return std::nullopt;
    // Only the interval's last two digits count; the timer cannot take more
    // than 65 s.
    c.Txtinterval = midChars(fieldText(record, field::intervalle), field::intervalle.len - 2);
    c.Txtpref = storedPrefix(record);
    const std::string key = fieldText(record, field::touche);
    c.Txttouche = key == "10" || key == "11" || key == "12" ? key : leftChars(key, 1);

    const double seconds = lenientValue(c.Txtinterval);
    if (seconds > kMaxIntervalSeconds || seconds < 0) return std::nullopt;

    s.globals = globalsFrom(record);
    s.globals.tempo = c.Slidtempo / 10.0;
    s.globals.TimPeriodInterval = static_cast<int>(std::lround(seconds * 1000));
    return s;
}

OptionsProblem checkOptions(const OptionsControls& c) {
    if (charCount(c.Txtpref) < 4) return OptionsProblem::PrefixTooShort;
    static constexpr std::string_view kKeys[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    if (std::find(std::begin(kKeys), std::end(kKeys), c.Txttouche) == std::end(kKeys))
        return OptionsProblem::InvalidKey;
    if (!intervalSeconds(c.Txtinterval)) return OptionsProblem::InvalidInterval;
    // Trailing blanks are the record's padding; anything else must fit whole.
    const std::string directory = withoutTrailingBlanks(c.Text1);
    if (charCount(directory) > kDirectoryLength) return OptionsProblem::DirectoryTooLong;
    if (hasUnreadableChar(directory)) return OptionsProblem::InvalidDirectory;
    // Only what is stored matters: a fifth or sixth letter is dropped.
    const std::string prefix = leftChars(c.Txtpref, 4);
    if (hasUnreadableChar(prefix)) return OptionsProblem::InvalidPrefix;
    if (prefixLeavesFolder(prefix)) return OptionsProblem::PrefixLeavesFolder;
    return OptionsProblem::None;
}

const char* problemMessage(OptionsProblem p) {
    switch (p) {
        case OptionsProblem::None:
            return "";
        case OptionsProblem::PrefixTooShort:
            return kMsgPrefixeLongueur;
        case OptionsProblem::InvalidKey:
            return kMsgToucheInvalide;
        case OptionsProblem::InvalidInterval:
            return kMsgIntervalleInvalide;
        case OptionsProblem::InvalidDirectory:
            return kMsgRepertoireInvalide;
        case OptionsProblem::InvalidPrefix:
            return kMsgPrefixeInvalide;
        case OptionsProblem::DirectoryTooLong:
            return kMsgRepertoireTropLong;
        case OptionsProblem::PrefixLeavesFolder:
            return kMsgPrefixeSeparateur;
    }
    return "";
}

std::optional<ParamGlobals> buildRecord(const OptionsControls& c) {
    if (checkOptions(c) != OptionsProblem::None) return std::nullopt;

    // Limiting before formatting keeps six digits whatever was typed; the
    // stored value and the timer are the same as limiting afterwards.
    const int seconds = static_cast<int>(std::min(*intervalSeconds(c.Txtinterval), long{kMaxIntervalSeconds}));
    char interval[32];
    std::snprintf(interval, sizeof interval, "%06d", seconds);

    // The sliders cannot leave their ranges; clamping keeps one digit each
    // should a caller pass more.
    const int slidtempo = std::clamp(c.Slidtempo, 0, 5);
    const std::string quality = std::to_string(c.Slider1);

    std::string record(kRecordLength, ' ');
    setField(record, field::repertoire, withoutTrailingBlanks(c.Text1));
    setField(record, field::intervalle, interval);
    for (std::size_t i = 0; i < 3; ++i) setField(record, field::caseACocher[i], c.Check1[i] != 0 ? "1" : "0");
    setField(record, field::qualite, std::string(1, quality.back()));
    setField(record, field::prefixe, c.Txtpref);
    setField(record, field::touche, c.Txttouche);
    setField(record, field::tempo, std::string(1, static_cast<char>('0' + slidtempo)));

    ParamGlobals g = globalsFrom(record);
    g.TimPeriodInterval = seconds * 1000;
    g.tempo = slidtempo / 10.0;
    return g;
}

bool recordNeedsQuotes(const std::string& ligneParam) {
    if (ligneParam.find(',') != std::string::npos) return true;
    if (ligneParam.empty()) return false;
    return ligneParam.front() == ' ' || ligneParam.front() == '\t' ||
           std::string_view(ligneParam).substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

}  // namespace vis

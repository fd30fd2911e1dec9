// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings record `ligneParam`: 120 characters (not bytes) with every
// setting at a fixed place. Positions in comments are 1-based.
//
//   1-100 repertoire   101-106 intervalle   107 pasCent   108 serieBmp
//   109 inclureFenetres   110 qualite   111-114 prefixe   115-116 touche
//   117 tempo   118-120 blanks

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vis {

inline constexpr std::size_t kRecordLength = 120;

// A setting's place in the record: its first character (1-based) and its
// length in characters. The reader and the writer both go by these.
struct RecordField {
    std::size_t pos;
    std::size_t len;
};
namespace field {
inline constexpr RecordField repertoire{1, 100};
inline constexpr RecordField intervalle{101, 6};
inline constexpr RecordField pasCent{107, 1};
inline constexpr RecordField serieBmp{108, 1};
inline constexpr RecordField inclureFenetres{109, 1};
inline constexpr RecordField qualite{110, 1};
inline constexpr RecordField prefixe{111, 4};
inline constexpr RecordField touche{115, 2};
inline constexpr RecordField tempo{117, 1};
// The three check boxes, in the dialog's order.
inline constexpr RecordField caseACocher[3] = {pasCent, serieBmp, inclureFenetres};
}  // namespace field

inline constexpr std::size_t kDirectoryLength = field::repertoire.len;

// The field's characters in a record (fewer when the record is short).
std::string fieldText(const std::string& record, RecordField f);
// Positions 101-117 of the default record.
inline constexpr char kDefaultSettings[] = "0200001007Capt111";
// The default folder of the first copies, in the files they regenerated.
inline constexpr char kWindowsDefaultDirectory[] = "C:\\Documents and settings\\Default User\\Mes documents";

// What the Options window's controls hold: loaded from the record, and read
// back by its OK button to build a new one.
struct OptionsControls {
    std::string Text1;            // directory, without the record's trailing blanks
    std::array<int, 3> Check1{};  // pasCent, serieBmp, inclureFenetres: 0 unchecked, 1 checked, 2 greyed
    int Slider1 = 0;              // JPEG quality digit, 0-9
    int Slidtempo = 0;            // capture delay in tenths of a second, 0-5
    std::string Txtinterval;      // periodic interval in seconds, as text
    std::string Txtpref;          // file-name prefix
    std::string Txttouche;        // function-key number, "1" to "12"

    bool operator==(const OptionsControls&) const = default;
};

// The record and the globals filled from it.
struct ParamGlobals {
    std::string ligneParam;     // always 120 characters
    int qualiteJpg = 0;         // 0-90
    int inclureFenetres = 0;    // digit at 109
    std::string prefixe;        // 4 characters, fewer when a hand-edited file held separators
    std::string toucheF;        // 2 characters: "1 " ... "9 ", "10", "11", "12"
    double tempo = 0;           // seconds, 0.0-0.5
    int TimPeriodInterval = 0;  // milliseconds, 0-65000

    bool operator==(const ParamGlobals&) const = default;
};

struct ParamSettings {
    OptionsControls controls;
    ParamGlobals globals;

    bool operator==(const ParamSettings&) const = default;
};

// The directory the default record holds: the fixed Windows text on Windows;
// elsewhere the documents folder, or the home folder when that does not fit
// in 100 characters or could not be read back from the file.
std::string defaultDirectory(const std::string& documentsFolder, const std::string& homeFolder);
// The directory blank-padded (or cut) to 100, then kDefaultSettings, then three blanks.
std::string defaultRecord(const std::string& directory);

// The reading rule: the first field of the first line. Leading blanks and
// tabs are skipped; a field that opens with a double quote runs to the next
// double quote (dropped), otherwise to the first comma or the end of the line.
// Byte-order marks among the leading blanks are skipped with them.
std::string readFirstField(std::string_view text);
// The first field stored as the record: blank-padded or cut to 120 characters.
std::string recordFromText(std::string_view text);

// The record's values as loading puts them into the controls and globals
// (the folder without its trailing blanks, the prefix without separators);
// nothing when the record is damaged (a check box character other than 0, 1
// or 2, a delay digit above 5, an interval above 65 or below 0).
std::optional<ParamSettings> decodeRecord(const std::string& ligneParam);

// The OK button's checks, in the order they are made.
enum class OptionsProblem {
    None,
    PrefixTooShort,      // fewer than 4 characters
    InvalidKey,          // not exactly "1" to "12"
    InvalidInterval,     // not a whole number of seconds
    DirectoryTooLong,    // more than 100 characters before its trailing blanks
    InvalidDirectory,    // a double quote or a control character in it
    InvalidPrefix,       // the same in the four characters stored
    PrefixLeavesFolder,  // a '/', a '\\' or ".." in the four characters stored
};
OptionsProblem checkOptions(const OptionsControls& c);
// The message box text for a problem (empty for None).
const char* problemMessage(OptionsProblem p);

// The record build of the OK button, with the 65-second limit and the
// refreshed globals; nothing when checkOptions finds a problem.
std::optional<ParamGlobals> buildRecord(const OptionsControls& c);

// True when the unquoted record would not read back whole (a comma, or a
// blank, tab or byte-order mark in front), so the file must hold it in quotes.
bool recordNeedsQuotes(const std::string& ligneParam);

}  // namespace vis

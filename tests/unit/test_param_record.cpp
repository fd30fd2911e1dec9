// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "platform/format.h"
#include "settings/param_record.h"
#include "settings/param_texts.h"

namespace vis {
namespace {

const std::string kDefaultFolder = kWindowsDefaultDirectory;
const std::string kBom = "\xEF\xBB\xBF";

// The record of the default settings with one or more positions replaced.
std::string defaultWith(std::size_t pos, const std::string& text) {
    const std::string r = defaultRecord(kDefaultFolder);
    return leftChars(r, pos - 1) + text + midChars(r, pos - 1 + charCount(text));
}

// The controls as the default record loads them.
OptionsControls defaultControls() { return decodeRecord(defaultRecord(kDefaultFolder)).value().controls; }

TEST(ParamRecord, DefaultRecordLayoutAndValues) {
    const std::string r = defaultRecord(kDefaultFolder);
    EXPECT_EQ(r, kDefaultFolder + std::string(48, ' ') + "0200001007Capt111" + "   ");
    ASSERT_EQ(r.size(), 120u);

    const auto s = decodeRecord(r);
    ASSERT_TRUE(s);
    const OptionsControls& c = s->controls;
    EXPECT_EQ(c.Text1, kDefaultFolder);  // the folder alone, not the padded field
    EXPECT_EQ(c.Check1, (std::array<int, 3>{1, 0, 0}));
    EXPECT_EQ(c.Slider1, 7);
    EXPECT_EQ(c.Slidtempo, 1);
    EXPECT_EQ(c.Txtinterval, "00");  // only 105-106 are read out of "020000"
    EXPECT_EQ(c.Txtpref, "Capt");
    EXPECT_EQ(c.Txttouche, "11");
    const ParamGlobals& g = s->globals;
    EXPECT_EQ(g.ligneParam, r);
    EXPECT_EQ(g.TimPeriodInterval, 0);
    EXPECT_EQ(g.qualiteJpg, 70);
    EXPECT_EQ(g.inclureFenetres, 0);
    EXPECT_EQ(g.prefixe, "Capt");
    EXPECT_EQ(g.toucheF, "11");
    EXPECT_DOUBLE_EQ(g.tempo, 0.1);
}

TEST(ParamRecord, ShortOrLongRecordIsPaddedOrCutTo120) {
    EXPECT_EQ(defaultRecord(std::string(130, 'x')), std::string(100, 'x') + "0200001007Capt111   ");
    const auto s = decodeRecord(std::string(100, 'x') + "000010100");  // stops after the check boxes
    ASSERT_TRUE(s);
    EXPECT_EQ(charCount(s->globals.ligneParam), 120u);
    EXPECT_EQ(s->controls.Txtpref, "    ");
    EXPECT_EQ(s->globals.toucheF, "  ");
    EXPECT_EQ(s->controls.Txttouche, " ");
    EXPECT_EQ(s->globals.qualiteJpg, 0);  // a blank at 110 reads as 0
}

TEST(ParamRecord, SeparatorsOfAHandEditedPrefixAreDropped) {
    const std::pair<const char*, const char*> cases[] = {{"../x", "..x"}, {"a/bc", "abc"}, {"\\/\\/", ""}};
    for (const auto& [stored, kept] : cases) {
        const std::string r = defaultWith(111, stored);
        const auto s = decodeRecord(r);
        ASSERT_TRUE(s) << stored;
        EXPECT_EQ(s->controls.Txtpref, kept) << stored;
        EXPECT_EQ(s->globals.prefixe, kept) << stored;
        EXPECT_EQ(s->globals.ligneParam, r) << stored;  // the file is not rewritten behind the user's back
    }
}

TEST(ParamRecord, DamagedRecordsFail) {
    for (std::size_t pos : {107u, 108u, 109u}) {
        for (const char* bad : {"3", "9", " ", "a", "-"})
            EXPECT_FALSE(decodeRecord(defaultWith(pos, bad))) << pos << bad;
    }
    for (const char* bad : {"6", "7", "9"}) EXPECT_FALSE(decodeRecord(defaultWith(117, bad))) << bad;
    for (const char* bad : {"70", "66", "99", "-1", "-9"}) EXPECT_FALSE(decodeRecord(defaultWith(105, bad))) << bad;
    // A blank record, as an empty first line gives, is damaged too.
    EXPECT_FALSE(decodeRecord(""));
}

TEST(ParamRecord, LenientDigitsAndGreyedBoxes) {
    auto s = decodeRecord(defaultWith(107, "222"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->controls.Check1, (std::array<int, 3>{2, 2, 2}));
    EXPECT_EQ(s->globals.inclureFenetres, 2);

    s = decodeRecord(defaultWith(110, "x"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->controls.Slider1, 0);
    EXPECT_EQ(s->globals.qualiteJpg, 0);

    s = decodeRecord(defaultWith(117, "x"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->controls.Slidtempo, 0);
    EXPECT_DOUBLE_EQ(s->globals.tempo, 0.0);

    const std::pair<const char*, int> intervals[] = {{"65", 65000}, {"05", 5000}, {" 5", 5000}, {"5a", 5000},
                                                     {"a5", 0},     {".5", 500},  {"-0", 0}};
    for (const auto& [text, ms] : intervals) {
        s = decodeRecord(defaultWith(105, text));
        ASSERT_TRUE(s) << text;
        EXPECT_EQ(s->globals.TimPeriodInterval, ms) << text;
        EXPECT_EQ(s->controls.Txtinterval, text);
    }
    // Positions 101-104 are not read.
    s = decodeRecord(defaultWith(101, "999910"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->globals.TimPeriodInterval, 10000);
}

TEST(ParamRecord, HotKeyTextFromPositions115And116) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"5 ", "5", "5 "}, {"12", "12", "12"}, {"10", "10", "10"}, {"13", "1", "13"}, {"05", "0", "05"}};
    for (const auto& [stored, box, global] : cases) {
        const auto s = decodeRecord(defaultWith(115, stored));
        ASSERT_TRUE(s) << stored;
        EXPECT_EQ(s->controls.Txttouche, box) << stored;
        EXPECT_EQ(s->globals.toucheF, global) << stored;
    }
}

TEST(ParamRecord, AccentedDirectoryKeepsEveryPosition) {
    const std::string dir = "/home/anaïs/Mes images d'été";  // 28 letters, 31 bytes
    const std::string r = defaultRecord(dir);
    EXPECT_EQ(charCount(r), 120u);
    EXPECT_EQ(r.size(), 123u);
    const auto s = decodeRecord(r);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->controls.Text1, dir);
    EXPECT_EQ(s->globals.qualiteJpg, 70);
    EXPECT_EQ(s->globals.prefixe, "Capt");
    EXPECT_EQ(s->globals.toucheF, "11");

    // Accents in the prefix too: it stays four letters wide.
    OptionsControls c = s->controls;
    c.Txtpref = "Été1";
    c.Txttouche = "4";
    const auto g = buildRecord(c);
    ASSERT_TRUE(g);
    EXPECT_EQ(charCount(g->ligneParam), 120u);
    EXPECT_EQ(g->prefixe, "Été1");
    EXPECT_EQ(g->toucheF, "4 ");
    EXPECT_EQ(midChars(g->ligneParam, 116, 1), "1");
}

TEST(ReadingRule, FirstFieldOfTheFirstLine) {
    EXPECT_EQ(readFirstField("abc,def\r\nxyz"), "abc");
    EXPECT_EQ(readFirstField(" \t abc def \r\n"), "abc def ");
    EXPECT_EQ(readFirstField("\"  a,b  \",c"), "  a,b  ");  // quotes keep blanks and commas
    EXPECT_EQ(readFirstField("  \"abc\"def"), "abc");
    EXPECT_EQ(readFirstField("\"abc\r\n\"def"), "abc");  // a missing closing quote ends with the line
    EXPECT_EQ(readFirstField("ab\"c,d"), "ab\"c");       // a quote inside an unquoted field is kept
    EXPECT_EQ(readFirstField("\nabc"), "");
    EXPECT_EQ(readFirstField("abc\rdef"), "abc");
    EXPECT_EQ(readFirstField(kBom + "abc"), "abc");  // byte-order mark of a file saved by an editor
    EXPECT_EQ(readFirstField(" " + kBom + "\t" + kBom + "\"a\"b"), "a");
    EXPECT_EQ(readFirstField(""), "");
    EXPECT_EQ(recordFromText("\"x\"\r\n"), "x" + std::string(119, ' '));
    EXPECT_EQ(recordFromText(std::string(130, 'y')), std::string(120, 'y'));
}

TEST(RecordBuild, DefaultControlsGiveTheDefaultRecordBack) {
    const auto g = buildRecord(defaultControls());
    ASSERT_TRUE(g);
    // Positions 101-104 are rewritten from the interval box: "020000" becomes "000000".
    EXPECT_EQ(g->ligneParam, kDefaultFolder + std::string(48, ' ') + "0000001007Capt111   ");
    EXPECT_EQ(g->qualiteJpg, 70);
    EXPECT_EQ(g->prefixe, "Capt");
    EXPECT_EQ(g->toucheF, "11");
    EXPECT_DOUBLE_EQ(g->tempo, 0.1);
    EXPECT_EQ(g->TimPeriodInterval, 0);
}

TEST(RecordBuild, FieldsAtTheirPlaces) {
    OptionsControls c = defaultControls();
    c.Text1 = "D:\\Images";
    c.Txtinterval = "10";
    c.Check1 = {0, 2, 1};  // greyed counts as checked
    c.Slider1 = 3;
    c.Txtpref = "Vacances";  // a longer text arrives from the box only by paste; four letters are kept
    c.Txttouche = "5";
    c.Slidtempo = 4;
    auto g = buildRecord(c);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->ligneParam, padRight("D:\\Images", 100) + "0000100113Vaca5 4   ");
    EXPECT_EQ(g->toucheF, "5 ");
    EXPECT_EQ(g->prefixe, "Vaca");
    EXPECT_EQ(g->qualiteJpg, 30);
    EXPECT_EQ(g->inclureFenetres, 1);
    EXPECT_DOUBLE_EQ(g->tempo, 0.4);
    EXPECT_EQ(g->TimPeriodInterval, 10000);

    c.Txttouche = "12";
    c.Slider1 = 10;  // the last digit of the value
    g = buildRecord(c);
    ASSERT_TRUE(g);
    EXPECT_EQ(midChars(g->ligneParam, 109, 8), "0Vaca124");
}

TEST(RecordBuild, IntervalIsLimitedTo65Seconds) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"120", "000065", 65000},    {"65", "000065", 65000},     {"64", "000064", 64000},  {"0", "000000", 0},
        {"999999", "000065", 65000}, {"0000007", "000007", 7000}, {" 12 ", "000012", 12000}};
    for (const auto& [text, stored, ms] : cases) {
        OptionsControls c = defaultControls();
        c.Txtinterval = text;
        const auto g = buildRecord(c);
        ASSERT_TRUE(g) << text;
        EXPECT_EQ(midChars(g->ligneParam, 100, 6), stored) << text;
        EXPECT_EQ(g->TimPeriodInterval, ms) << text;
        EXPECT_EQ(charCount(g->ligneParam), 120u);
    }
}

TEST(RecordBuild, FullLengthDirectoryAndDigitPrefixLeaveQualityAlone) {
    OptionsControls c = defaultControls();
    c.Text1 = std::string(100, 'a') + "  ";  // blanks typed after it are padding
    c.Txtpref = "2006";
    c.Slider1 = 5;
    const auto g = buildRecord(c);
    ASSERT_TRUE(g);
    EXPECT_EQ(leftChars(g->ligneParam, 101), std::string(100, 'a') + "0");
    EXPECT_EQ(g->qualiteJpg, 50);
    EXPECT_EQ(g->prefixe, "2006");
    const auto back = decodeRecord(g->ligneParam);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->controls.Text1, std::string(100, 'a'));
    EXPECT_EQ(back->globals.qualiteJpg, 50);
}

TEST(OptionsChecks, InOrderWithTheirMessages) {
    OptionsControls c = defaultControls();
    EXPECT_EQ(checkOptions(c), OptionsProblem::None);

    // Both wrong: only the prefix is reported.
    c.Txtpref = "Cap";
    c.Txttouche = "13";
    EXPECT_EQ(checkOptions(c), OptionsProblem::PrefixTooShort);
    EXPECT_FALSE(buildRecord(c));
    c.Txtpref = "Été2";  // four letters, six bytes
    EXPECT_EQ(checkOptions(c), OptionsProblem::InvalidKey);
    for (const char* key : {"0", "13", "05", " 5", "5 ", "", "1a"}) {
        c.Txttouche = key;
        EXPECT_EQ(checkOptions(c), OptionsProblem::InvalidKey) << '"' << key << '"';
    }
    for (const char* key : {"1", "5", "9", "10", "12"}) {
        c.Txttouche = key;
        EXPECT_EQ(checkOptions(c), OptionsProblem::None) << key;
    }

    // Then the interval, which would otherwise shift or round the record.
    c.Txtpref = "Capt";
    for (const char* interval : {"-5", "2.5", "1,5", "abc", "10a", "", "  ", "+3"}) {
        c.Txtinterval = interval;
        EXPECT_EQ(checkOptions(c), OptionsProblem::InvalidInterval) << '"' << interval << '"';
        EXPECT_FALSE(buildRecord(c));
    }
    c.Txtinterval = "10";

    // Then what the file could not give back.
    c.Text1 = "C:\\Mes \"images\"";
    EXPECT_EQ(checkOptions(c), OptionsProblem::InvalidDirectory);
    c.Text1 = "C:\\Mes images\nsuite";
    EXPECT_EQ(checkOptions(c), OptionsProblem::InvalidDirectory);
    // A folder the record cannot hold whole is refused, not cut.
    c.Text1 = std::string(100, 'a') + "\"";
    EXPECT_EQ(checkOptions(c), OptionsProblem::DirectoryTooLong);
    c.Text1 = std::string(99, 'a') + "é   ";
    EXPECT_EQ(checkOptions(c), OptionsProblem::None);
    c.Txtpref = "Ca\"t";
    EXPECT_EQ(checkOptions(c), OptionsProblem::InvalidPrefix);
    c.Txtpref = "Capt\"";
    EXPECT_EQ(checkOptions(c), OptionsProblem::None);

    // A prefix that would lead the files out of their folder.
    for (const char* prefix : {"../x", "a/bc", "a\\bc", "ab..", "..Capt"}) {
        c.Txtpref = prefix;
        EXPECT_EQ(checkOptions(c), OptionsProblem::PrefixLeavesFolder) << prefix;
        EXPECT_FALSE(buildRecord(c)) << prefix;
    }
    for (const char* prefix : {"a.b.", "Capt/x", "Capt.."}) {  // past the four letters stored
        c.Txtpref = prefix;
        EXPECT_EQ(checkOptions(c), OptionsProblem::None) << prefix;
    }

    EXPECT_STREQ(problemMessage(OptionsProblem::PrefixTooShort), "Longueur préfixe doit être égal à 4 !!");
    EXPECT_STREQ(problemMessage(OptionsProblem::InvalidKey), "Numéro de touche de fonction invalide");
    EXPECT_STREQ(problemMessage(OptionsProblem::InvalidInterval),
                 "Intervalle invalide : indiquer un nombre entier de secondes (0 à 65) !!");
    EXPECT_STREQ(problemMessage(OptionsProblem::InvalidDirectory),
                 "Répertoire invalide : les guillemets (\") et les retours à la ligne ne sont pas admis !!");
    EXPECT_STREQ(problemMessage(OptionsProblem::InvalidPrefix),
                 "Préfixe invalide : les guillemets (\") et les retours à la ligne ne sont pas admis !!");
    EXPECT_STREQ(problemMessage(OptionsProblem::DirectoryTooLong), "Répertoire trop long : 100 caractères au plus !!");
    EXPECT_STREQ(problemMessage(OptionsProblem::PrefixLeavesFolder),
                 "Préfixe invalide : les barres obliques (/ et \\) et les points qui se suivent (..) ne sont pas "
                 "admis !!");
    EXPECT_STREQ(problemMessage(OptionsProblem::None), "");
}

TEST(RecordQuoting, OnlyWhenTheUnquotedFieldWouldBeCut) {
    EXPECT_FALSE(recordNeedsQuotes(defaultRecord(kDefaultFolder)));
    EXPECT_FALSE(recordNeedsQuotes(defaultRecord("C:\\a\"b")));  // read back whole unquoted
    EXPECT_TRUE(recordNeedsQuotes(defaultRecord("D:\\Photos, 2006")));
    EXPECT_TRUE(recordNeedsQuotes(defaultRecord(" D:\\Photos")));
    EXPECT_TRUE(recordNeedsQuotes(defaultRecord("\tD:\\Photos")));
    EXPECT_TRUE(recordNeedsQuotes(defaultRecord(kBom + "D:\\Photos")));

    // A comma in the prefix must not cut the record either.
    OptionsControls c = defaultControls();
    c.Txtpref = "a,b,";
    const auto g = buildRecord(c);
    ASSERT_TRUE(g);
    EXPECT_TRUE(recordNeedsQuotes(g->ligneParam));
    EXPECT_EQ(recordFromText("\"" + g->ligneParam + "\"\r\n"), g->ligneParam);
}

TEST(DefaultDirectory, DocumentsThenHome) {
    const std::string docs = "/home/zoé/Documents";
    const std::string home = "/home/zoé";
    EXPECT_EQ(defaultDirectory(docs, home), docs);
    const std::string longDocs = "/" + std::string(99, 'd') + "é";  // 101 letters
    EXPECT_EQ(defaultDirectory(longDocs, home), home);
    EXPECT_EQ(defaultDirectory("/" + std::string(98, 'd') + "é", home), "/" + std::string(98, 'd') + "é");
    EXPECT_EQ(defaultDirectory("", home), home);
    EXPECT_EQ(defaultDirectory("/home/a\"b/Documents", home), home);
    EXPECT_EQ(defaultDirectory(longDocs, longDocs), "");
    // Windows alike: never the first copies' folder, which no current system has.
    EXPECT_EQ(defaultDirectory("C:\\Users\\zoé\\Pictures", "C:\\Users\\zoé"), "C:\\Users\\zoé\\Pictures");
}

}  // namespace
}  // namespace vis

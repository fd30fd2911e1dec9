// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "platform/format.h"
#include "platform/user_folders.h"
#include "settings/param_file.h"
#include "support/files.h"

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vis {
namespace {

namespace fs = std::filesystem;

const std::string kWinDir = kWindowsDefaultDirectory;
const std::string kRegenerated = "\"" + kWinDir + std::string(48, ' ') + "0200001007Capt111   \"\r\n";

class ParamFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int n = 0;
        dir_ = fs::temp_directory_path() /
               ("vis_param_" + std::to_string(std::random_device{}()) + "_" + std::to_string(++n));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = dir_ / "param.txt";
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string bytesOf(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const fs::path& p, const std::string& bytes) {
        std::ofstream out(p, std::ios::binary);
        out << bytes;
    }

    fs::path dir_;
    fs::path file_;
};

TEST_F(ParamFileTest, RegeneratedFileBytesAndValues) {
    ASSERT_TRUE(regenerateParamFile(file_, kWinDir));
    EXPECT_EQ(bytesOf(file_), kRegenerated);

    const ParamLoadResult r = loadParamFile(file_);
    ASSERT_TRUE(r);
    EXPECT_EQ(r.error, ParamLoadError::None);
    const ParamSettings& s = *r.settings;
    EXPECT_EQ(s.globals.ligneParam, kWinDir + std::string(48, ' ') + "0200001007Capt111   ");
    EXPECT_EQ(s.controls.Text1, kWinDir);  // the box shows the folder alone
    EXPECT_EQ(s.globals.TimPeriodInterval, 0);
    EXPECT_EQ(s.controls.Check1, (std::array<int, 3>{1, 0, 0}));  // steps of 100, JPEG, windows hidden
    EXPECT_EQ(s.globals.inclureFenetres, 0);
    EXPECT_EQ(s.globals.qualiteJpg, 70);
    EXPECT_EQ(s.globals.prefixe, "Capt");
    EXPECT_EQ(s.globals.toucheF, "11");
    EXPECT_EQ(s.controls.Txttouche, "11");
    EXPECT_DOUBLE_EQ(s.globals.tempo, 0.1);
    EXPECT_EQ(s.controls.Slidtempo, 1);
}

TEST_F(ParamFileTest, OrdinarySaveIsUnquotedAndLoadsTheSame) {
    const std::string record = defaultRecord(kWinDir);
    ASSERT_TRUE(saveParamFile(file_, record));
    EXPECT_EQ(bytesOf(file_), record + "\r\n");
    const ParamLoadResult ordinary = loadParamFile(file_);
    ASSERT_TRUE(regenerateParamFile(file_, kWinDir));
    const ParamLoadResult quoted = loadParamFile(file_);
    ASSERT_TRUE(ordinary);
    ASSERT_TRUE(quoted);
    EXPECT_EQ(*ordinary.settings, *quoted.settings);
#ifndef _WIN32
    // A replaced file keeps the rights its user gave it, whatever the umask.
    for (const auto mode : {fs::perms::owner_read | fs::perms::owner_write, fs::perms::all}) {
        fs::permissions(file_, mode);
        ASSERT_TRUE(saveParamFile(file_, record));
        EXPECT_EQ(fs::status(file_).permissions(), mode);
    }
#endif
}

TEST_F(ParamFileTest, RegenerationReplacesADamagedFileOrAFolderInItsPlace) {
    write(file_, "rubbish,\r\n");
    ASSERT_EQ(loadParamFile(file_).error, ParamLoadError::BadContent);
    ASSERT_TRUE(regenerateParamFile(file_, kWinDir));
    EXPECT_EQ(bytesOf(file_), kRegenerated);

    fs::remove(file_);
    fs::create_directory(file_);
    EXPECT_EQ(loadParamFile(file_).error, ParamLoadError::ReadError);
    ASSERT_TRUE(regenerateParamFile(file_, kWinDir));
    EXPECT_EQ(bytesOf(file_), kRegenerated);
    EXPECT_TRUE(loadParamFile(file_));
}

TEST_F(ParamFileTest, EachDamageIsAFailureOfItsKind) {
    EXPECT_EQ(loadParamFile(file_).error, ParamLoadError::Missing);
    EXPECT_FALSE(loadParamFile(file_).settings);
    EXPECT_EQ(loadParamFile(dir_ / "nowhere" / "param.txt").error, ParamLoadError::Missing);

    write(file_, "");
    EXPECT_EQ(loadParamFile(file_).error, ParamLoadError::Empty);
    write(file_, "\r\n");
    EXPECT_EQ(loadParamFile(file_).error, ParamLoadError::BadContent);

    const std::string good = defaultRecord(kWinDir);
    const auto damaged = [&](std::size_t pos, const std::string& text) {
        std::string r = good;
        r.replace(pos - 1, text.size(), text);
        write(file_, r + "\r\n");
        return loadParamFile(file_);
    };
    for (std::size_t pos : {107u, 108u, 109u}) {
        const ParamLoadResult r = damaged(pos, "3");
        EXPECT_FALSE(r) << pos;
        EXPECT_EQ(r.error, ParamLoadError::BadContent) << pos;
    }
    EXPECT_EQ(damaged(117, "6").error, ParamLoadError::BadContent);
    EXPECT_EQ(damaged(105, "70").error, ParamLoadError::BadContent);
    // A comma in an unquoted directory cuts the record short: damaged.
    EXPECT_EQ(damaged(3, ",").error, ParamLoadError::BadContent);
    EXPECT_EQ(damaged(105, "65").error, ParamLoadError::None);
}

TEST_F(ParamFileTest, HotKeyAndIntervalSurviveTheFile) {
    OptionsControls c = loadParamFile((regenerateParamFile(file_, kWinDir), file_)).settings->controls;
    c.Txttouche = "5";
    c.Txtinterval = "120";
    const auto g = buildRecord(c);
    ASSERT_TRUE(g);
    ASSERT_TRUE(saveParamFile(file_, g->ligneParam));
    EXPECT_EQ(bytesOf(file_), kWinDir + std::string(48, ' ') + "0000651007Capt5 1   \r\n");
    const ParamLoadResult r = loadParamFile(file_);
    ASSERT_TRUE(r);
    EXPECT_EQ(r.settings->globals.toucheF, "5 ");
    EXPECT_EQ(r.settings->controls.Txttouche, "5");
    EXPECT_EQ(r.settings->globals.TimPeriodInterval, 65000);
    EXPECT_EQ(r.settings->globals, *g);
}

TEST_F(ParamFileTest, DirectoryWithCommaOrLeadingBlankIsSavedQuoted) {
    for (const std::string dir : {"D:\\Photos, vacances", " D:\\Photos"}) {
        OptionsControls c = decodeRecord(defaultRecord(kWinDir))->controls;
        c.Text1 = dir;
        const auto g = buildRecord(c);
        ASSERT_TRUE(g) << dir;
        ASSERT_TRUE(saveParamFile(file_, g->ligneParam));
        EXPECT_EQ(bytesOf(file_), "\"" + g->ligneParam + "\"\r\n");
        const ParamLoadResult r = loadParamFile(file_);
        ASSERT_TRUE(r) << dir;
        EXPECT_EQ(r.settings->controls.Text1, dir);
        EXPECT_EQ(r.settings->globals, *g);
    }
}

TEST_F(ParamFileTest, AccentedDirectoryIsWrittenInUtf8AndReadBack) {
    const std::string dir = "/home/anaïs/Été 2006";
    ASSERT_TRUE(regenerateParamFile(file_, dir));
#ifndef _WIN32
    EXPECT_EQ(bytesOf(file_), "\"" + dir + std::string(80, ' ') + "0200001007Capt111   \"\r\n");
#endif
    const ParamLoadResult r = loadParamFile(file_);
    ASSERT_TRUE(r);
    EXPECT_EQ(r.settings->controls.Text1, dir);
    EXPECT_EQ(r.settings->globals.prefixe, "Capt");
}

TEST_F(ParamFileTest, Windows1252FileIsReadBack) {
    // Written by an older copy: one byte a letter.
    const std::string dir = "C:\\Mes documents\\\xE9t\xE9 \x80";
    write(file_, dir + std::string(100 - dir.size(), ' ') + "0000151107Capt9 2   \r\n");
    const ParamLoadResult r = loadParamFile(file_);
    ASSERT_TRUE(r);
    EXPECT_EQ(r.settings->controls.Text1, "C:\\Mes documents\\été €");
    EXPECT_EQ(r.settings->globals.TimPeriodInterval, 15000);
    EXPECT_EQ(r.settings->globals.toucheF, "9 ");
    EXPECT_DOUBLE_EQ(r.settings->globals.tempo, 0.2);
}

TEST(FileText, Utf8KeptAndOtherBytesTakenAsWindows1252) {
    EXPECT_EQ(textFromFileBytes("été €"), "été €");
#ifndef _WIN32
    EXPECT_EQ(textFromFileBytes("\x80\x81\x8A\x9F\xA0\xE9\xFF"), "€\u0081ŠŸ\u00A0éÿ");
    EXPECT_EQ(textFromFileBytes("\xC0\xAF"), "À¯");            // overlong: not UTF-8
    EXPECT_EQ(textFromFileBytes("\xED\xA0\x80"), "í\u00A0€");  // a surrogate: not UTF-8
    EXPECT_EQ(textFromFileBytes("a\xC3"), "aÃ");               // cut short
    EXPECT_EQ(textFromFileBytes("é\xE9"), "éé");               // mixed, each byte on its own
    EXPECT_EQ(fileBytesFromText("été"), "été");
#endif
}

TEST_F(ParamFileTest, FailedWriteLeavesTheOldFileIntact) {
    const std::string old = defaultRecord(kWinDir) + "\r\n";
    write(file_, old);

#ifndef _WIN32
    // A full disk: the write itself fails; the half-written file is cleared away.
    {
        testing_files::FileSizeLimit full(40);
        ASSERT_TRUE(full.active());
        EXPECT_FALSE(saveParamFile(file_, defaultRecord("D:\\Autre")));
        EXPECT_EQ(bytesOf(file_), old);
        write(file_, "damaged");
        EXPECT_FALSE(regenerateParamFile(file_, kWinDir));
        EXPECT_EQ(bytesOf(file_), "damaged");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    write(file_, old);
#endif

    // A folder that cannot exist (a file stands where it would be).
    write(dir_ / "plain", "x");
    EXPECT_FALSE(saveParamFile(dir_ / "plain" / "param.txt", defaultRecord(kWinDir)));

    // A missing configuration folder is created.
    const fs::path deep = dir_ / "config" / "vistrelle" / "param.txt";
    ASSERT_TRUE(saveParamFile(deep, defaultRecord(kWinDir)));
    EXPECT_EQ(bytesOf(deep), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(deep.parent_path()), fs::directory_iterator()), 1);
}

#ifndef _WIN32
TEST_F(ParamFileTest, OnlyARegularFileIsReadAndNothingWaitsOnAFifo) {
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    EXPECT_EQ(loadParamFile(file_).error, ParamLoadError::ReadError);
    // The damaged-file path then puts a real file in its place.
    ASSERT_TRUE(regenerateParamFile(file_, kWinDir));
    EXPECT_EQ(bytesOf(file_), kRegenerated);
    EXPECT_EQ(loadParamFile("/dev/zero").error, ParamLoadError::ReadError);
    EXPECT_EQ(loadParamFile(dir_).error, ParamLoadError::ReadError);
    // A link is read through: the user may keep the file elsewhere.
    fs::create_symlink(file_, dir_ / "lien.txt");
    EXPECT_TRUE(loadParamFile(dir_ / "lien.txt"));
}

TEST_F(ParamFileTest, TheProbeAndTheWriteFollowNoLinkLaidAtTheirFormerNames) {
    // Another user who may write the program's folder lays links to the user's files.
    write(dir_ / "precious", "keep me");
    for (const char* name : {".param.txt.probe", "param.txt.new"}) fs::create_symlink(dir_ / "precious", dir_ / name);
    EXPECT_EQ(chooseParamFile(dir_, dir_ / "cfg"), file_);
    ASSERT_TRUE(saveParamFile(file_, defaultRecord(kWinDir)));
    fs::remove(file_);
    fs::create_symlink(dir_ / "precious", file_);
    ASSERT_TRUE(saveParamFile(file_, defaultRecord(kWinDir)));
    EXPECT_EQ(bytesOf(dir_ / "precious"), "keep me");
    EXPECT_FALSE(fs::is_symlink(file_));
    EXPECT_EQ(bytesOf(file_), defaultRecord(kWinDir) + "\r\n");
}
#endif

TEST_F(ParamFileTest, LocationPrefersAnExistingFileThenAWritableProgramFolder) {
    const fs::path program = dir_ / "prog";
    const fs::path config = dir_ / "cfg" / "vistrelle";
    fs::create_directories(program);

    EXPECT_EQ(chooseParamFile(program, config), program / "param.txt");
    EXPECT_EQ(std::distance(fs::directory_iterator(program), fs::directory_iterator()), 0);  // probe cleared

    fs::create_directories(config);
    write(config / "param.txt", "x");
    EXPECT_EQ(chooseParamFile(program, config), config / "param.txt");
    write(program / "param.txt", "x");
    EXPECT_EQ(chooseParamFile(program, config), program / "param.txt");

    // Program folders that cannot be written.
    EXPECT_EQ(chooseParamFile(dir_ / "absent", config), config / "param.txt");
    write(dir_ / "afile", "x");
    EXPECT_EQ(chooseParamFile(dir_ / "afile", config), config / "param.txt");
    fs::remove(config / "param.txt");
    EXPECT_EQ(chooseParamFile(dir_ / "absent", config), config / "param.txt");
}

#ifndef _WIN32
TEST(ConfigFolder, XdgThenHome) {
    const auto saved = [](const char* name) -> std::optional<std::string> {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const auto restore = [](const char* name, const std::optional<std::string>& v) {
        if (v)
            ::setenv(name, v->c_str(), 1);
        else
            ::unsetenv(name);
    };
    const auto xdg = saved("XDG_CONFIG_HOME");
    const auto home = saved("HOME");
    ::setenv("HOME", "/home/zoé", 1);
    ::setenv("XDG_CONFIG_HOME", "/etc/xdg/zoé", 1);
    EXPECT_EQ(userConfigFolder(), fs::path("/etc/xdg/zoé/vistrelle"));
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(userConfigFolder(), fs::path("/home/zoé/.config/vistrelle"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userConfigFolder(), fs::path("/home/zoé/.config/vistrelle"));
    EXPECT_EQ(userHomeFolder(), "/home/zoé");
    const auto state = saved("XDG_STATE_HOME");
    ::setenv("XDG_STATE_HOME", "/var/zoé", 1);
    EXPECT_EQ(defaultRecoveryFolder(), fs::path("/var/zoé/vistrelle/recovery"));
    // Without HOME, or with a relative one, the account's home; never "/".
    ::setenv("XDG_STATE_HOME", "state", 1);
    const struct passwd* pw = ::getpwuid(::geteuid());
    ASSERT_NE(pw, nullptr);
    for (const char* bad : {static_cast<const char*>(nullptr), "", "relative"}) {
        if (bad)
            ::setenv("HOME", bad, 1);
        else
            ::unsetenv("HOME");
        EXPECT_EQ(userHomeFolder(), pw->pw_dir);
        EXPECT_EQ(userConfigFolder(), fs::path(pw->pw_dir) / ".config" / "vistrelle");
        EXPECT_EQ(defaultRecoveryFolder(), fs::path(pw->pw_dir) / ".local/state/vistrelle/recovery");
    }
    restore("XDG_STATE_HOME", state);
    restore("XDG_CONFIG_HOME", xdg);
    restore("HOME", home);
    EXPECT_EQ(pathFromUtf8("/a/é"), fs::path("/a/é"));
}
#endif

}  // namespace
}  // namespace vis

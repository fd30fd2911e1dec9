// SPDX-License-Identifier: GPL-3.0-or-later
// Writing into folders other people can write to: nothing there is replaced
// or followed, and a name taken under the program's feet is given up.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "output/atomic_file.h"
#include "output/naming.h"
#include "support/files.h"

namespace vis {
namespace {

namespace fs = std::filesystem;
using testing_files::Bytes;
using testing_files::contents;
using testing_files::TempFolder;
using testing_files::writeAll;

#ifndef _WIN32
TEST(NoReplaceWrite, WhateverHasTheNameStaysAndNoTemporaryIsLeft) {
    TempFolder dir;
    const Bytes bytes{1, 2, 3};
    writeAll(dir.path() / "file.jpg", Bytes{9});
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling.jpg");
    fs::create_directory(dir.path() / "folder.jpg");
    const WriteOptions keep{.replace = false};
    for (const char* name : {"file.jpg", "dangling.jpg", "folder.jpg"})
        EXPECT_EQ(writeFile(dir.path() / name, bytes, keep), WriteResult::Exists) << name;
    EXPECT_EQ(contents(dir.path() / "file.jpg"), "\x09");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling.jpg"));
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
    EXPECT_EQ(writeFile(dir.path() / "free.jpg", bytes, keep), WriteResult::Written);
    EXPECT_EQ(testing_files::readAll(dir.path() / "free.jpg"), bytes);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"dangling.jpg", "file.jpg", "folder.jpg", "free.jpg"}));

    // Replacing replaces a link, never the file it leads to.
    writeAll(dir.path() / "victim", Bytes{7});
    fs::create_symlink(dir.path() / "victim", dir.path() / "link.jpg");
    EXPECT_EQ(writeFile(dir.path() / "link.jpg", bytes), WriteResult::Written);
    EXPECT_FALSE(fs::is_symlink(dir.path() / "link.jpg"));
    EXPECT_EQ(contents(dir.path() / "victim"), "\x07");
}

TEST(FreeName, ALinkLeadingNowhereTakesTheNameAndALateComerIsSteppedAround) {
    TempFolder dir;
    const std::string base = dir.file("Capt-905031.jpg");
    fs::create_symlink(dir.path() / "nowhere", base);
    fs::create_symlink(dir.path() / "nowhere2", dir.file("Capt-905031_2.jpg"));
    EXPECT_EQ(nomLibre(base), dir.file("Capt-905031_3.jpg"));

    // The free name is taken between the choice and the write.
    int calls = 0;
    const auto written = ecrireSousNomLibre(base, [&](const std::string& name) {
        if (++calls == 1) fs::create_symlink(dir.path() / "nowhere3", name);
        return writeFile(utf8Path(name), Bytes{5}, {.replace = false}) == WriteResult::Written;
    });
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, dir.file("Capt-905031_4.jpg"));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(fs::is_symlink(dir.file("Capt-905031_3.jpg")));

    // Any other failure is not taken for a clash.
    calls = 0;
    EXPECT_FALSE(ecrireSousNomLibre(dir.file("absent/x.jpg"), [&](const std::string& name) {
        ++calls;
        return writeFile(utf8Path(name), Bytes{5}, {.replace = false}) == WriteResult::Written;
    }));
    EXPECT_EQ(calls, 1);
}
#endif

TEST(AtomicWrite, StaleTemporaryFoldersGoTooAndAProbeLeavesNothing) {
    TempFolder dir;
    const fs::path stale = dir.path() / ".~vistrelle-2147483646-1-77.tmp";
    fs::create_directories(stale / "inside");
    writeAll(stale / "inside" / "1.bmp", Bytes{1});
    EXPECT_TRUE(canCreateFileIn(dir.path()));
    EXPECT_FALSE(canCreateFileIn(dir.path() / "absent"));
    removeStaleTemporaries(dir.path());
    EXPECT_TRUE(dir.names().empty());
    EXPECT_TRUE(flushFolder(dir.path()));
}

}  // namespace
}  // namespace vis

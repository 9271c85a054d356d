#include "base/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::TempDir;
namespace fs = std::filesystem;

TEST(SafeFile, ReplacesKeepingTheBackupAndFailsWithoutItsFolder) {
    TempDir dir;
    const auto target = dir.Write("Categories.dat", "old\r\n");
    const auto backup = dir.Write("Categories.bak", "older\r\n");
    ASSERT_TRUE(ReplaceFile(target, "new\r\n", backup));
    EXPECT_EQ(ReadAll(target), "new\r\n");
    EXPECT_EQ(ReadAll(backup), "old\r\n");
    EXPECT_EQ(test::Snapshot(dir.Path()).size(), 2u);  // no temporary file left behind
    // A new file needs no backup; a replaced one keeps its permissions.
    ASSERT_TRUE(ReplaceFile(dir / "Spots.dat", "x", dir / "Spots.bak"));
    EXPECT_EQ(ReadAll(dir / "Spots.dat"), "x");
    EXPECT_FALSE(fs::exists(dir / "Spots.bak"));
    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(ReplaceFile(target, "b"));
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(BackupPathFor("/d/Categories.dat"), fs::path("/d/Categories.bak"));
    EXPECT_EQ(BackupPathFor("/d/{Jazz}.dat"), fs::path("/d/{Jazz}.bak"));
    // A missing folder fails without being made. (A read-only folder, a full disk and a
    // backup that cannot be made are met through the station's saves, in FaultTest and
    // SavedStation.)
    const SaveResult r = ReplaceFile(dir / "gone/Options.dat", "x");
    EXPECT_EQ(r.Failure, SaveFailure::Write);
    EXPECT_FALSE(r.Detail.empty());
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST(SafeFile, AnAbandonedWriterChangesNothingAndLargeContentsStream) {
    TempDir dir;
    const auto target = dir.Write("Generate.log", "kept");
    {
        SafeFileWriter writer(target, dir / "Generate.bak");
        ASSERT_TRUE(writer.IsOpen());
        writer.Write("half a file");
    }
    EXPECT_EQ(ReadAll(target), "kept");
    EXPECT_EQ(test::Snapshot(dir.Path()).size(), 1u);
    // Large contents stream in pieces.
    SafeFileWriter writer(dir / "big.plg");
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string line =
            "0," + std::to_string(i) + ",\"0.5\",\"/m/a.mp3\",215,\"Hits\"\r\n";
        expected += line;
        ASSERT_TRUE(writer.Write(line));
    }
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadAll(dir / "big.plg"), expected);
}

}  // namespace
}  // namespace spindle

// A staged file never replaces what another run wrote into its place after it was checked, and keeps the
// permissions of the file it replaces.
#include "app/formats/StagedFile.h"
#include "app/formats/ScheduleColumns.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace rollbite;
namespace fs = std::filesystem;

namespace {

std::string read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class StagedFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("rollbite-staged-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

} // namespace

TEST_F(StagedFileTest, NeverReplacesWhatCameIntoItsPlaceSinceItWasChecked) {
    const std::string table = ScheduleColumns::header() + "\n";
    std::string failure;
    // Missing when checked and locked, made by another run before the rename: kept.
    const fs::path made = folder_ / "made.tsv";
    {
        StagedFile file(made.string());
        ASSERT_TRUE(file.create(failure) && file.write(table, failure) && file.lock(failure)) << failure;
        write(made, "another run's rows\n");
        EXPECT_FALSE(file.place(failure));
        EXPECT_NE(failure.find("was made by another run"), std::string::npos) << failure;
    }
    EXPECT_EQ(read(made), "another run's rows\n");
    // An earlier table when checked, other data by the time of the lock: kept.
    const fs::path earlier = folder_ / "earlier.tsv";
    write(earlier, table);
    {
        StagedFile file(earlier.string());
        file.keepOtherData(OutputKind::ScheduleTable);
        ASSERT_TRUE(file.create(failure) && file.write(table, failure)) << failure;
        write(earlier, "measured on S3\n");
        EXPECT_FALSE(file.publish(failure));
    }
    EXPECT_EQ(read(earlier), "measured on S3\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2)
        << "a staged file left";
}

TEST_F(StagedFileTest, AFileReplacedKeepsItsPermissions) {
    const fs::path path = folder_ / "private.tsv";
    write(path, "earlier\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    StagedFile file(path.string());
    std::string failure;
    ASSERT_TRUE(file.create(failure) && file.write("new\n", failure) && file.publish(failure)) << failure;
    EXPECT_EQ(read(path), "new\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

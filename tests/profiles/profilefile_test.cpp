#include "profiles/profilefile.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/tempfolder.h"
#include "profiles/profilenames.h"

namespace varlok::profiles {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;

std::string Header(std::uint8_t type) {
    std::string header(16, '\0');
    header[0] = '\xAA';
    header[1] = '\x55';
    header[4] = static_cast<char>(type);
    return header;
}

TEST(ProfileFile, WrittenBytesAreTheEnvelopeThenTheBodyAndReadBack) {
    TempFolder folder;
    std::array<std::uint8_t, 64> body{};
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<std::uint8_t>(0xC0 + i);
    }
    ASSERT_TRUE(WriteProfileFile(folder / "a.led", body, 2));
    EXPECT_EQ(ReadBytes(folder / "a.led"),
              Header(2) + std::string(reinterpret_cast<const char*>(body.data()), body.size()));

    std::array<std::uint8_t, 64> read{};
    EXPECT_EQ(ReadProfileFile(folder / "a.led", read), ProfileReadResult::Loaded);
    EXPECT_EQ(read, body);
}

TEST(ProfileFile, MissingBadAndShortFilesReadAsTheCallersExpect) {
    TempFolder folder;
    std::array<std::uint8_t, 8> body{};
    body.fill(0x77);
    EXPECT_EQ(ReadProfileFile(folder / "none.pro", body), ProfileReadResult::Missing);
    EXPECT_EQ(ReadProfileFile(folder.Path(), body), ProfileReadResult::Missing);

    // Wrong magic, and a file too short for the magic: the body is untouched.
    WriteBytes(folder / "bad.pro", std::string(16, '\0') + "abcdefgh");
    EXPECT_EQ(ReadProfileFile(folder / "bad.pro", body), ProfileReadResult::BadMagic);
    WriteBytes(folder / "tiny.pro", "\xAA");
    EXPECT_EQ(ReadProfileFile(folder / "tiny.pro", body), ProfileReadResult::BadMagic);
    EXPECT_EQ(body, (std::array<std::uint8_t, 8>{0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77}));

    // Another device's type code with the right magic loads; a short body
    // fills only what is there, a long one only the buffer.
    WriteBytes(folder / "short.pro", Header(1) + "\x01\x02\x03");
    EXPECT_EQ(ReadProfileFile(folder / "short.pro", body), ProfileReadResult::Loaded);
    EXPECT_EQ(body, (std::array<std::uint8_t, 8>{1, 2, 3, 0x77, 0x77, 0x77, 0x77, 0x77}));
    WriteBytes(folder / "long.pro", Header(3) + std::string(100, '\x05'));
    EXPECT_EQ(ReadProfileFile(folder / "long.pro", body), ProfileReadResult::Loaded);
    EXPECT_EQ(body, (std::array<std::uint8_t, 8>{5, 5, 5, 5, 5, 5, 5, 5}));

    // An import takes only a whole body: a header alone or a cut file is no
    // profile.
    EXPECT_EQ(ReadImportedProfileFile(folder / "short.pro", body), ProfileReadResult::BadMagic);
    WriteBytes(folder / "header.pro", Header(2));
    EXPECT_EQ(ReadImportedProfileFile(folder / "header.pro", body), ProfileReadResult::BadMagic);
    EXPECT_EQ(ReadImportedProfileFile(folder / "long.pro", body), ProfileReadResult::Loaded);
    EXPECT_EQ(ReadImportedProfileFile(folder / "bad.pro", body), ProfileReadResult::BadMagic);
    EXPECT_EQ(ReadImportedProfileFile(folder.Path(), body), ProfileReadResult::Missing);
}

TEST(ProfileFile, ASaveThatFailsHalfwayLeavesTheOldFile) {
    TempFolder folder;
    const std::array<std::uint8_t, 4> old{1, 2, 3, 4};
    const std::array<std::uint8_t, 4> fresh{9, 9, 9, 9};
    ASSERT_TRUE(WriteProfileFile(folder / "p.pro", old, 2));
    const std::string before = ReadBytes(folder / "p.pro");
    for (const auto failing :
         {platform::AtomicWriteStep::CreateTemporary, platform::AtomicWriteStep::WriteData,
          platform::AtomicWriteStep::SyncFile, platform::AtomicWriteStep::Rename}) {
        EXPECT_FALSE(WriteProfileFile(
            folder / "p.pro", fresh, 2,
            [failing](platform::AtomicWriteStep step) { return step != failing; }));
        EXPECT_EQ(ReadBytes(folder / "p.pro"), before);
    }
    // Nothing written aside stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ProfileNames, NamesThatLeaveTheFolderOrBreakTheStoreAreRefused) {
    EXPECT_EQ(CheckProfileName("profile1"), ProfileNameProblem::Ok);
    EXPECT_EQ(CheckProfileName("Игра профиль 2"), ProfileNameProblem::Ok);
    EXPECT_EQ(CheckProfileName("a..b"), ProfileNameProblem::Ok);
    EXPECT_EQ(CheckProfileName(""), ProfileNameProblem::Empty);
    for (const char* leaving : {"..", ".", "../x", "a/b", "/etc/passwd", "a\\b"}) {
        EXPECT_EQ(CheckProfileName(leaving), ProfileNameProblem::LeavesFolder) << leaving;
    }
    for (const std::string& control :
         {std::string("a\nb"), std::string("a\rb"), std::string("a\tb"), std::string("a\0b", 3),
          std::string("a\x7f")}) {
        EXPECT_EQ(CheckProfileName(control), ProfileNameProblem::ControlCharacter);
    }
    EXPECT_EQ(CheckProfileName(" a"), ProfileNameProblem::SurroundingBlanks);
    EXPECT_EQ(CheckProfileName(std::string(241, 'x')), ProfileNameProblem::TooLong);
}

TEST(ProfileNames, FilesAreFoundWithoutRegardToCase) {
    TempFolder folder;
    EXPECT_EQ(ProfileFilePath(folder.Path(), "profile1", ".pro"), folder / "profile1.pro");
    WriteBytes(folder / "PROFILE1.PRO", "x");
    EXPECT_EQ(ProfileFilePath(folder.Path(), "profile1", ".pro"), folder / "PROFILE1.PRO");
    EXPECT_EQ(ProfileFilePath(folder.Path(), "Profile1", ".Pro"), folder / "PROFILE1.PRO");
    // The exact spelling wins when both exist.
    WriteBytes(folder / "profile1.pro", "y");
    EXPECT_EQ(ProfileFilePath(folder.Path(), "profile1", ".pro"), folder / "profile1.pro");
    EXPECT_EQ(ProfileFilePath(folder.Path(), "../profile1", ".pro"), std::nullopt);
}

}  // namespace
}  // namespace varlok::profiles

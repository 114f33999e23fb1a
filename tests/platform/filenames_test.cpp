// Names on disk that are not UTF-8 must lead back to their exact bytes; a path must reach its file whatever
// the case of its extension, and no file of another name.
#include "platform/gui/filenames.h"
#include "tests/common/testsupport.h"

#include <gtest/gtest.h>

TEST(FileNames, EveryByteStringSurvivesTheTripThroughText)
{
    const std::string cases[] = {
        "Beat_1.wav",
        "Caf\xe9",                 // Latin-1
        "\xc3\xa9t\xc3\xa9_2.wav", // UTF-8
        "\xf0\x9f\x8e\xb5_3.wav",  // beyond 16 bits
        "\xed\xa0\x80x",           // an encoded surrogate is not UTF-8
        "\xc0\xaf",                // overlong "/"
        "\xe2\x82",                // cut short
        std::string("a\xff\xfe\x80", 4),
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(platform::fileNameFromText(platform::textFromFileName(bytes)), bytes) << bytes;
    }
    EXPECT_EQ(platform::textFromFileName("\xc3\xa9"), QString::fromUtf8("\xc3\xa9"));
}

TEST(FileNames, DiskPathFindsTheFileWhateverTheCaseOfItsExtensionExactNameFirst)
{
    testsupport::TempFolder dir;
    ASSERT_TRUE(testsupport::writeFile(dir.file("Hit_1.WAV"), "x"));
    ASSERT_TRUE(testsupport::writeFile(dir.file("Caf\xc3\xa9_1.wav"), "x"));
    const std::string folder = platform::fileNameFromText(dir.path());
    EXPECT_EQ(platform::diskPath(dir.file("Hit_1.wav")), folder + "/Hit_1.WAV");
    EXPECT_EQ(platform::diskPath(dir.file(QString::fromUtf8("Caf\xc3\xa9_1.Wav"))), folder + "/Caf\xc3\xa9_1.wav");
    EXPECT_EQ(platform::diskPath(dir.file(QString::fromUtf8("CAF\xc3\xa9_1.wav"))), folder + "/CAF\xc3\xa9_1.wav");
    EXPECT_EQ(platform::diskPath(dir.file("missing.wav")), folder + "/missing.wav");
    ASSERT_TRUE(testsupport::writeFile(dir.file("Hit_1.wav"), "y"));
    EXPECT_EQ(platform::diskPath(dir.file("Hit_1.wav")), folder + "/Hit_1.wav");
}

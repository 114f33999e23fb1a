// The names that list entries give to phrase files and settings files.
#include "app/phrasenames.h"

#include <gtest/gtest.h>

using namespace PhraseNames;

TEST(PhraseNames, WavIsAddedOnlyWhenMissingInAnyCase)
{
    EXPECT_EQ(withWav("Bass_1"), "Bass_1.wav");
    EXPECT_EQ(withWav("Bass_1.WAV"), "Bass_1.WAV");
    EXPECT_EQ(withWav("/p/Set/Beat_1.wav"), "/p/Set/Beat_1.wav");
    EXPECT_EQ(withWav(""), ".wav");
}

TEST(PhraseNames, SetNameAndCutSixRulesAgreeOnProperSetsOnly)
{
    struct Case
    {
        const char* entry;
        const char* setName;
        const char* cutSix;
    };
    const Case cases[] = {
        { "drums_1", "drums.ini", "drums.ini" },      { "drums_1.wav", "drums.ini", "drums.ini" },
        { "drums_1.WAV", "drums.ini", "drums.ini" },  { "drums", "drums.ini", "dru.ini" },
        { "drums_1b", "drums_1b.ini", "drums_.ini" }, { "drums_10.wav", "drums_10.ini", "drums_.ini" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setNameRule(c.entry), c.setName) << c.entry;
        EXPECT_EQ(cutSixRule(c.entry).value_or("none"), c.cutSix) << c.entry;
    }
    EXPECT_EQ(setNameRule(""), ".ini");
    EXPECT_EQ(setNameRule("a_1_1"), "a_1.ini"); // each cut at most once
}

TEST(PhraseNames, CutSixNamesNothingForTooShortEntries)
{
    EXPECT_FALSE(cutSixRule("x").has_value());
    EXPECT_FALSE(cutSixRule("x.wav").has_value());
    EXPECT_FALSE(cutSixRule("").has_value());
}

TEST(PhraseNames, SetBaseNameCutsEachLayerMarkerOnceInOrder)
{
    const char* const cases[][2] = {
        { "Rain_1", "Rain" },       { "Rain_1.WAV", "Rain" }, { "Drums_2_1", "Drums" }, { "Bass_3_1", "Bass" },
        { "Pad_1_2", "Pad_1" },     { "x_10", "x_10" },       { "Intro", "Intro" },     { "", "" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setBaseName(c[0]), c[1]) << c[0];
    }
}

// The layers of a set started together sound together: from the first frame of the mix on, every frame
// holds all three.
#include "tests/mainwindow/formfixture.h"

namespace {

class AlignmentTest : public FormTest
{
protected:
    bool offlineSound() const override { return true; }

    // The mix of the next frames, interleaved left and right.
    std::vector<float> render(size_t frames)
    {
        std::vector<float> out(frames * 2);
        EXPECT_TRUE(DX7Sound::DS->render(out.data(), frames));
        return out;
    }
};

TEST_F(AlignmentTest, PhrasePressStartsAllLayersOnOneFrame)
{
    auto silent = render(512);
    EXPECT_EQ(*std::max_element(silent.begin(), silent.end()), 0.0f);
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini",
                                       "[Vellmarin Corvadel]\r\nLevel1=100\r\nLevel2=100\r\nLevel3=100\r\n"));
    pressEntry(0, 0);
    const std::vector<float> mix = render(4410);
    const float sum = 0.1f + 0.2f + 0.3f;
    for (size_t i = 0; i < 4410; ++i) {
        ASSERT_NEAR(mix[i * 2], sum, 1e-3) << "frame " << i;
        ASSERT_NEAR(mix[i * 2 + 1], sum, 1e-3) << "frame " << i;
    }
}

TEST_F(AlignmentTest, SyncButtonRestartsTheSetFromItsBeginning)
{
    wav("Set/A_1.wav", 0.0f); // replaced by a ramp below, so that the position can be read
    ASSERT_TRUE(testsupport::writeWav(program.file("Set/A_1.wav"), 4410, 1, 44100,
                                      [](int frame, int) { return float(frame) / 8192.0f; }));
    chooseOption(form->mnuAutoPlay); // presses only select
    pressEntry(0, 0);
    turn(form->animKnob1, 30);
    turn(form->animKnob3, -60); // the others as quiet as they go
    turn(form->animKnob5, -60);
    press(form->syncButton1);
    render(1000);
    press(form->syncButton1); // stop
    press(form->syncButton1); // start again: the files are loaded afresh
    const std::vector<float> mix = render(4);
    EXPECT_LT(mix[0], 0.01f); // the ramp begins again at its start
}

} // namespace

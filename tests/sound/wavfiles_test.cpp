// Which WAV files become buffers, how their sound arrives at the device, and which files are refused.
#include "platform/sound/sounddevice.h"
#include "tests/common/testsupport.h"
#include "tests/sound/soundfiles.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <sys/stat.h>

using platform::PlayLooping;
using platform::SoundDevice;

namespace {

class WavFiles : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return dir.file(QString::fromStdString(name)).toStdString(); }

    // Plays the file from its start and returns frames of the mix.
    soundtest::Mix playWhole(const std::string& file, std::size_t frames)
    {
        auto b = device->createSoundBufferFromFile(file);
        EXPECT_TRUE(b);
        if (!b) {
            return {};
        }
        b->play(0);
        return soundtest::render(*device, frames);
    }

    testsupport::TempFolder dir;
    std::unique_ptr<SoundDevice> device = SoundDevice::openOffline();
};

TEST_F(WavFiles, EveryPcmWidthMonoOrStereoArrivesWithItsValues)
{
    const std::vector<double> values = { 0.5, -0.25, 0.75, -1.0, 0.0, 0.125, -0.5, 0.25 };
    for (int subtype : { SF_FORMAT_PCM_U8, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT,
                         SF_FORMAT_DOUBLE }) {
        for (int channels : { 1, 2 }) {
            SCOPED_TRACE("subtype " + std::to_string(subtype) + ", channels " + std::to_string(channels));
            const std::string file = path("f" + std::to_string(subtype) + "_" + std::to_string(channels) + ".wav");
            ASSERT_TRUE(soundtest::writeWav(file, subtype, channels, 44100, values));
            const std::size_t frames = values.size() / std::size_t(channels);
            const soundtest::Mix m = playWhole(file, frames);
            ASSERT_EQ(m.samples.size(), frames * 2);
            for (std::size_t i = 0; i < frames; ++i) {
                const double left = values[i * std::size_t(channels)];
                const double right = values[i * std::size_t(channels) + std::size_t(channels) - 1];
                EXPECT_EQ(m.left(i), float(left)) << i;
                EXPECT_EQ(m.right(i), float(right)) << i;
            }
        }
    }
}

// A sine of the given frequency and amplitude.
std::vector<double> sine(int rate, int frames, int channels, double frequency, double amplitude)
{
    std::vector<double> s;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            s.push_back(amplitude * std::sin(2 * M_PI * frequency * i / rate));
        }
    }
    return s;
}

TEST_F(WavFiles, OtherRatesAreConvertedToTheDeviceRate)
{
    struct Case
    {
        int rate, channels, subtype;
    };
    for (const Case c : { Case { 48000, 2, SF_FORMAT_PCM_16 }, Case { 11000, 1, SF_FORMAT_PCM_U8 },
                          Case { 22050, 1, SF_FORMAT_PCM_16 } }) {
        SCOPED_TRACE(c.rate);
        const std::string file = path("rate" + std::to_string(c.rate) + ".wav");
        ASSERT_TRUE(
            soundtest::writeWav(file, c.subtype, c.channels, c.rate, sine(c.rate, c.rate, c.channels, 441, 0.5)));
        auto b = device->createSoundBufferFromFile(file);
        ASSERT_TRUE(b);
        // One second of sound stays one second long.
        EXPECT_NEAR(double(b->frames()), 44100.0, 2.0);
        b->play(0);
        const soundtest::Mix m = soundtest::render(*device, 44100);
        // 441 Hz at 44100 Hz: 100 frames to a period, so the sound one period on is the same, at the same level.
        double peak = 0;
        for (std::size_t i = 10000; i < 30000; ++i) {
            ASSERT_NEAR(m.left(i), m.left(i + 100), 0.02) << i;
            ASSERT_EQ(m.left(i), m.right(i));
            peak = std::max(peak, double(m.left(i)));
        }
        EXPECT_NEAR(soundtest::decibels(peak / 0.5), 0.0, 0.2);
    }
}

TEST_F(WavFiles, TheDefaultSoundLoads)
{
    const std::filesystem::path file = std::filesystem::path(CORVADEL_SOURCE_DIR) / "resources" / "default.wav";
    ASSERT_TRUE(std::filesystem::exists(file));
    // 8-bit mono at 11000 Hz.
    auto b = device->createSoundBufferFromFile(file.string());
    ASSERT_TRUE(b);
    EXPECT_GT(b->frames(), 0u);
}

QByteArray bytesOf(const std::string& file)
{
    return testsupport::readFile(QString::fromStdString(file));
}

bool writeBytes(const std::string& file, const QByteArray& bytes)
{
    return testsupport::writeFile(QString::fromStdString(file), bytes);
}

void setLittleEndian32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
    }
}

TEST_F(WavFiles, BadFilesAreRefusedWithAReason)
{
    const std::string good = path("good.wav");
    ASSERT_TRUE(soundtest::writeRamp(good, 2000));
    const QByteArray wav = bytesOf(good);
    const qsizetype data = wav.indexOf("data");
    ASSERT_GT(data, 0);

    std::vector<std::pair<std::string, std::string>> files; // name, why it is bad
    const auto add = [&](const std::string& name, const QByteArray& bytes, const std::string& why) {
        ASSERT_TRUE(writeBytes(path(name), bytes));
        files.emplace_back(name, why);
    };
    files.emplace_back("missing.wav", "missing");
    add("empty.wav", QByteArray(), "empty");
    add("cut.wav", wav.left(wav.size() / 2), "cut in the middle of its sound");
    add("cutheader.wav", wav.left(30), "cut in its header");
    add("garbage.wav", QByteArray(5000, 'x'), "not a WAV file");
    QByteArray huge = wav;
    setLittleEndian32(huge, data + 4, 0x7ffffff0u);
    add("huge.wav", huge, "claims far more sound than it holds");
    QByteArray nodata = wav;
    nodata.replace(data, 4, "junk");
    add("nodata.wav", nodata, "no data chunk");
    QByteArray zero = wav.left(data + 8);
    setLittleEndian32(zero, data + 4, 0);
    add("zero.wav", zero, "no frames");
    QByteArray badformat = wav;
    badformat[20] = 0x55; // format tag: MPEG layer 3
    add("badformat.wav", badformat, "an encoding that is not PCM");

    ASSERT_TRUE(soundtest::writeWav(path("three.wav"), SF_FORMAT_PCM_16, 3, 44100, std::vector<double>(300, 0.1)));
    files.emplace_back("three.wav", "three channels");
    SF_INFO info {};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_ULAW;
    SNDFILE* ulaw = sf_open(path("ulaw.wav").c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(ulaw);
    std::vector<double> some(1000, 0.2);
    sf_writef_double(ulaw, some.data(), 1000);
    sf_close(ulaw);
    files.emplace_back("ulaw.wav", "mu-law, not PCM");
    info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    SNDFILE* aiff = sf_open(path("aiff.wav").c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(aiff);
    sf_writef_double(aiff, some.data(), 1000);
    sf_close(aiff);
    files.emplace_back("aiff.wav", "an AIFF file");
    ASSERT_EQ(::mkdir(path("folder.wav").c_str(), 0700), 0);
    files.emplace_back("folder.wav", "a folder");
    // A pipe would block a reader that does not look first.
    ASSERT_EQ(::mkfifo(path("pipe.wav").c_str(), 0600), 0);
    files.emplace_back("pipe.wav", "a pipe");

    for (const auto& [name, why] : files) {
        std::string error;
        EXPECT_FALSE(device->createSoundBufferFromFile(path(name), &error)) << why;
        EXPECT_FALSE(error.empty()) << why;
    }
    // The good file still loads after all that.
    EXPECT_TRUE(device->createSoundBufferFromFile(good));
}

TEST_F(WavFiles, ExtraChunksAndAnOddTailAreAccepted)
{
    const std::string good = path("good.wav");
    ASSERT_TRUE(soundtest::writeRamp(good, 100));
    QByteArray wav = bytesOf(good);
    const qsizetype data = wav.indexOf("data");
    // An odd-sized chunk with its pad byte before the sound, and trailing bytes after it.
    QByteArray extra("LIST\x03\x00\x00\x00"
                     "abc\x00",
                     12);
    wav.insert(data, extra);
    wav.append("tail");
    setLittleEndian32(wav, 4, quint32(wav.size() - 8));
    ASSERT_TRUE(writeBytes(good, wav));
    auto b = device->createSoundBufferFromFile(good);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->frames(), 100u);
}

} // namespace

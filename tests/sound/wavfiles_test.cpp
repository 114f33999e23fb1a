// Which WAV files become buffers, how their sound arrives at the device, and which files are refused.
#include "platform/sound/sounddevice.h"
#include "platform/sound/wavdecoder.h"
#include "tests/common/testsupport.h"
#include "tests/sound/soundfiles.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using platform::kPlayLooping;
using platform::SoundDevice;
using platform::sounddetail::DecodedSound;
using platform::sounddetail::decodeWavFile;
using platform::sounddetail::SampleFormat;

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
    add("cutheader.wav", wav.left(30), "cut in its header");
    add("garbage.wav", QByteArray(5000, 'x'), "not a WAV file");
    QByteArray nodata = wav;
    nodata.replace(data, 4, "junk");
    add("nodata.wav", nodata, "no data chunk");
    QByteArray zero = wav.left(data + 8);
    setLittleEndian32(zero, data + 4, 0);
    add("zero.wav", zero, "no frames");
    QByteArray badformat = wav;
    badformat[20] = 0x55; // format tag: MPEG layer 3
    add("badformat.wav", badformat, "16-bit samples that claim to be MPEG");

    SF_INFO info {};
    info.samplerate = 44100;
    info.channels = 1;
    std::vector<double> some(1000, 0.2);
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

// Sample i of a decoded sound (interleaved left, right), full scale 1.
float sampleOf(const DecodedSound& sound, std::size_t i)
{
    if (sound.format == SampleFormat::Int16) {
        return static_cast<const short*>(sound.samples.get())[i] / 32768.0f;
    }
    return static_cast<const float*>(sound.samples.get())[i];
}

// Writes interleaved float samples in any libsndfile format, normalised as a recorder would write them.
bool writeSound(const std::string& file, int format, int channels, int rate, const std::vector<float>& samples)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        return false;
    }
    const sf_count_t frames = sf_count_t(samples.size()) / channels;
    const bool ok = sf_writef_float(f, samples.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray c(id, 4);
    c.append(4, '\0');
    setLittleEndian32(c, 4, quint32(body.size()));
    return c + body;
}

TEST_F(WavFiles, ChunksThatRunPastTheirEndAreRefusedAtOnce)
{
    // A LIST entry claiming 0xFFFFFFF8 bytes sends libsndfile round the same bytes for ever.
    const QByteArray format = QByteArray::fromHex("01000100401f0000803e000002001000"); // PCM mono 8000 Hz 16-bit
    const QByteArray list = chunk("LIST", QByteArray("INFO") + QByteArray::fromHex("49534658f8ffffff"));
    QByteArray hanging = QByteArray("WAVE") + chunk("fmt ", format) + list + chunk("data", QByteArray(16, '\0'));
    hanging = chunk("RIFF", hanging);
    ASSERT_EQ(hanging.size(), 80);
    const QByteArray pastTheEnd = chunk("RIFF",
                                        QByteArray("WAVE") + chunk("fmt ", format) + QByteArray("cue \xff\0\0\0")
                                            + chunk("data", QByteArray(16, '\0')));
    const std::pair<QByteArray, std::string> cases[] = { { hanging, "\"ISFX\"" }, { pastTheEnd, "\"cue \"" } };
    for (const auto& [bytes, named] : cases) {
        ASSERT_TRUE(writeBytes(path("bad.wav"), bytes));
        std::string error;
        EXPECT_FALSE(decodeWavFile(path("bad.wav"), &error).samples);
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}

TEST_F(WavFiles, EveryEncodingLoadsAtItsOwnRateWithItsTrueLength)
{
    struct Case
    {
        int subtype;
        SampleFormat format;
        float tolerance; // of the peak of a sine at half scale
        int channels = 1;
        std::size_t padding = 0; // frames past the 8001 written that the file may keep
    };
    // libsndfile's IMA ADPCM writer puts the padded length into the fact chunk, and for stereo half of it.
    const Case cases[] = { { SF_FORMAT_ALAW, SampleFormat::Int16, 0.02f },
                           { SF_FORMAT_ULAW, SampleFormat::Int16, 0.02f },
                           { SF_FORMAT_IMA_ADPCM, SampleFormat::Int16, 0.05f, 1, 505 },
                           { SF_FORMAT_IMA_ADPCM, SampleFormat::Int16, 0.05f, 2, 505 },
                           { SF_FORMAT_MS_ADPCM, SampleFormat::Int16, 0.05f, 2 },
                           { SF_FORMAT_GSM610, SampleFormat::Int16, 0.15f },
                           { SF_FORMAT_G721_32, SampleFormat::Int16, 0.05f },
                           { SF_FORMAT_PCM_24, SampleFormat::Float, 0.001f } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.subtype) + ", channels " + std::to_string(c.channels));
        std::vector<float> sine;
        for (int i = 0; i < 8001 * c.channels; ++i) {
            sine.push_back(0.5f * float(std::sin(2 * M_PI * 200 * (i / c.channels) / 8000.0)));
        }
        ASSERT_TRUE(writeSound(path("enc.wav"), SF_FORMAT_WAV | c.subtype, c.channels, 8000, sine));
        std::string error;
        const DecodedSound sound = decodeWavFile(path("enc.wav"), &error);
        ASSERT_TRUE(sound.samples) << error;
        EXPECT_EQ(sound.format, c.format);
        EXPECT_EQ(sound.rate, 8000);
        // Compressed blocks are padded; the loop keeps the length that was written where the file says it.
        EXPECT_GE(sound.frames, 8001u);
        EXPECT_LE(sound.frames, 8001u + c.padding);
        float peak = 0;
        for (std::size_t i = 0; i < sound.frames; ++i) {
            peak = std::max(peak, sampleOf(sound, 2 * i));
            ASSERT_EQ(sampleOf(sound, 2 * i), sampleOf(sound, 2 * i + 1));
        }
        EXPECT_NEAR(peak, 0.5f, c.tolerance);
    }
}

TEST_F(WavFiles, StreamedCutAndOtherContainersPlayWhatTheyHold)
{
    ASSERT_TRUE(soundtest::writeRamp(path("ramp.wav"), 1000));
    const QByteArray wav = bytesOf(path("ramp.wav"));
    const qsizetype data = wav.indexOf("data");
    std::vector<std::pair<std::string, std::size_t>> files; // name, frames it holds
    for (const quint32 claimed : { 0u, 0xffffffffu, 0x7ffff000u }) {
        QByteArray streamed = wav;
        setLittleEndian32(streamed, 4, claimed);
        setLittleEndian32(streamed, data + 4, claimed);
        const std::string name = "streamed" + std::to_string(claimed) + ".wav";
        ASSERT_TRUE(writeBytes(path(name), streamed));
        files.emplace_back(name, 1000);
    }
    ASSERT_TRUE(writeBytes(path("cut.wav"), wav.left(data + 8 + 4 * 600 + 3)));
    files.emplace_back("cut.wav", 600);
    std::vector<float> ramp;
    for (std::size_t i = 0; i < 1000; ++i) {
        ramp.push_back(soundtest::rampValue(i));
        ramp.push_back(-soundtest::rampValue(i));
    }
    for (const int container : { int(SF_FORMAT_RF64), SF_FORMAT_WAV | SF_ENDIAN_BIG }) {
        const std::string name = "container" + std::to_string(container) + ".wav";
        ASSERT_TRUE(writeSound(path(name), container | SF_FORMAT_PCM_16, 2, 44100, ramp));
        files.emplace_back(name, 1000);
    }
    for (const auto& [name, frames] : files) {
        SCOPED_TRACE(name);
        std::string error;
        const DecodedSound sound = decodeWavFile(path(name), &error);
        ASSERT_TRUE(sound.samples) << error;
        ASSERT_EQ(sound.frames, frames);
        for (std::size_t i = 0; i < frames; ++i) {
            ASSERT_EQ(sampleOf(sound, 2 * i), soundtest::rampValue(i)) << i;
            ASSERT_EQ(sampleOf(sound, 2 * i + 1), -soundtest::rampValue(i)) << i;
        }
    }
}

TEST_F(WavFiles, MoreChannelsAreMixedDownBySpeaker)
{
    const float h = float(std::sqrt(0.5));
    const std::vector<float> values = { 0.1f, 0.2f, 0.3f, 0.4f, 0.05f, 0.15f, 0.02f, 0.03f };
    struct Case
    {
        int format, channels;
        quint32 mask; // 0: as written
        float left, right;
    };
    const Case cases[] = {
        // Front left, front right, centre, LFE: the LFE is left out.
        { SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 4, 0xf, 0.1f + 0.3f * h, 0.2f + 0.3f * h },
        // No speaker mask: six channels are L R C LFE BL BR.
        { SF_FORMAT_WAV | SF_FORMAT_FLOAT, 6, 0, 0.1f + (0.3f + 0.05f) * h, 0.2f + (0.3f + 0.15f) * h },
        // 7.1 without a mask: L R C LFE BL BR SL SR.
        { SF_FORMAT_WAV | SF_FORMAT_PCM_24, 8, 0, 0.1f + (0.3f + 0.05f + 0.02f) * h,
          0.2f + (0.3f + 0.15f + 0.03f) * h },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        std::vector<float> samples;
        for (int i = 0; i < 10 * c.channels; ++i) {
            samples.push_back(values[std::size_t(i % c.channels)]);
        }
        ASSERT_TRUE(writeSound(path("multi.wav"), c.format, c.channels, 44100, samples));
        if (c.mask != 0) {
            QByteArray bytes = bytesOf(path("multi.wav"));
            setLittleEndian32(bytes, 40, c.mask); // the mask in an extensible fmt chunk that starts the file
            ASSERT_TRUE(writeBytes(path("multi.wav"), bytes));
        }
        const DecodedSound sound = decodeWavFile(path("multi.wav"), nullptr);
        ASSERT_EQ(sound.frames, 10u);
        EXPECT_NEAR(sampleOf(sound, 18), c.left, 1e-4);
        EXPECT_NEAR(sampleOf(sound, 19), c.right, 1e-4);
    }
}

TEST_F(WavFiles, NotANumberAndInfinityAreSilence)
{
    const float nan = std::nanf("");
    const float inf = INFINITY;
    ASSERT_TRUE(
        writeSound(path("nan.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, { nan, 0.25f, 0.5f, inf, -inf, -0.5f }));
    const DecodedSound sound = decodeWavFile(path("nan.wav"), nullptr);
    ASSERT_EQ(sound.frames, 3u);
    const float expected[] = { 0, 0.25f, 0.5f, 0, 0, -0.5f };
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(sampleOf(sound, i), expected[i]) << i;
    }
}

// Bytes this process has read from files so far.
std::uint64_t bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value && key != "rchar:") { }
    return value;
}

// The body of a fmt chunk: PCM (tag 1) or float (tag 3).
QByteArray formatChunk(int tag, int channels, quint32 rate, int bits)
{
    QByteArray body(16, '\0');
    const int align = channels * bits / 8;
    body[0] = char(tag);
    body[2] = char(channels & 0xff);
    body[3] = char(channels >> 8);
    setLittleEndian32(body, 4, rate);
    setLittleEndian32(body, 8, rate * quint32(align));
    body[12] = char(align & 0xff);
    body[13] = char(align >> 8);
    body[14] = char(bits);
    return chunk("fmt ", body);
}

TEST_F(WavFiles, FilesThatWouldTakeTooMuchAreRefusedBeforeTheirSoundIsReadWithTheTrueReason)
{
    struct Case
    {
        const char* what;
        QByteArray format;
        quint32 dataBytes; // all of it a hole in a sparse file
        const char* why;
    };
    const Case cases[] = {
        { "600 MB of 16-bit stereo", formatChunk(1, 2, 44100, 16), 600u << 20,
          "the sound would take 600 MB, more than the 512 MB one sound may take" },
        { "134,217,729 frames of 16-bit stereo", formatChunk(1, 2, 44100, 16), 134217729u * 4,
          "the sound would take 536870916 bytes, more than the 512 MB" },
        { "4 GB of 1,024 channels of 8 bits", formatChunk(1, 1024, 44100, 8), 976562u * 4096,
          "1024 channels, more than the 18" },
        { "4 GB of 1,024 channels of 16 bits", formatChunk(1, 1024, 44100, 16), 976562u * 4096,
          "1024 channels, more than the 18" },
        { "4 GB of 1,024 channels of float", formatChunk(3, 1024, 44100, 32), 976562u * 4096,
          "1024 channels, more than the 18" },
        { "19 channels, one more than a WAV file can name", formatChunk(1, 19, 44100, 16), 19u * 2 * 100,
          "19 channels, more than the 18" },
        { "3 GB of 18 channels of 16 bits", formatChunk(1, 18, 44100, 16), 3u << 30,
          "the sound data takes 3072 MB, more than the 2048 MB one file may hold" },
        { "a rate of 0", formatChunk(1, 2, 0, 16), 4000,
          "the sample rate 0 Hz is outside the 1000 to 384000 Hz" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray head = QByteArray("RIFF\0\0\0\0WAVE", 12) + c.format + QByteArray("data\0\0\0\0", 8);
        setLittleEndian32(head, 4, quint32(std::min<quint64>(quint64(head.size()) - 8 + c.dataBytes, UINT32_MAX)));
        setLittleEndian32(head, head.size() - 4, c.dataBytes);
        ASSERT_TRUE(writeBytes(path("claim.wav"), head));
        ASSERT_EQ(::truncate(path("claim.wav").c_str(), off_t(head.size()) + off_t(c.dataBytes)), 0);
        const std::uint64_t before = bytesRead();
        std::string error;
        EXPECT_FALSE(decodeWavFile(path("claim.wav"), &error).samples);
        EXPECT_LT(bytesRead() - before, 1u << 20);
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
}

} // namespace

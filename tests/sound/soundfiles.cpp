#include "tests/sound/soundfiles.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace soundtest {

bool writeWav(const std::string& path, int subtype, int channels, int rate, const std::vector<double>& samples)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        return false;
    }
    // Integer files get exact values: v * 2^(bits - 1), the scale the reader divides by.
    double scale = 1.0;
    switch (subtype) {
    case SF_FORMAT_PCM_U8:
        scale = 128.0;
        break;
    case SF_FORMAT_PCM_16:
        scale = 32768.0;
        break;
    case SF_FORMAT_PCM_24:
        scale = 8388608.0;
        break;
    case SF_FORMAT_PCM_32:
        scale = 2147483648.0;
        break;
    default:
        break;
    }
    std::vector<double> raw;
    for (double v : samples) {
        raw.push_back(std::min(v * scale, scale == 1.0 ? v : scale - 1.0));
    }
    sf_command(f, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    const sf_count_t frames = static_cast<sf_count_t>(raw.size()) / channels;
    const bool ok = sf_writef_double(f, raw.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

float rampValue(std::size_t frame)
{
    return static_cast<float>(frame % 4096 + 1) / 8192.0f;
}

bool writeRamp(const std::string& path, int frames)
{
    std::vector<double> s;
    for (int i = 0; i < frames; ++i) {
        s.push_back(rampValue(std::size_t(i)));
        s.push_back(-rampValue(std::size_t(i)));
    }
    return writeWav(path, SF_FORMAT_PCM_16, 2, 44100, s);
}

bool writeConstant(const std::string& path, int frames, double value)
{
    return writeWav(path, SF_FORMAT_PCM_16, 2, 44100, std::vector<double>(std::size_t(frames) * 2, value));
}

double decibels(double gain)
{
    return 20.0 * std::log10(gain);
}

Mix render(platform::SoundDevice& device, std::size_t frames)
{
    Mix m;
    m.samples.assign(frames * 2, 99.0f);
    device.render(m.samples.data(), frames);
    return m;
}

std::vector<float> recording(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> out(raw.size() / sizeof(float));
    std::copy_n(raw.data(), out.size() * sizeof(float), reinterpret_cast<char*>(out.data()));
    return out;
}

std::size_t onset(const std::vector<float>& recorded, int channel)
{
    std::size_t frame = 0;
    while (2 * frame + 1 < recorded.size() && recorded[2 * frame + std::size_t(channel)] == 0.0f) {
        ++frame;
    }
    return 2 * frame + 1 < recorded.size() ? frame : recorded.size() / 2;
}

bool waitFor(const std::function<bool()>& done)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name)
{
    if (const char* old = std::getenv(name)) {
        m_old = old;
        m_had = true;
    }
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had) {
        ::setenv(m_name, m_old.c_str(), 1);
    } else {
        ::unsetenv(m_name);
    }
}

} // namespace soundtest

#include "platform/sound/sounddevice.h"

#include "platform/sound/mixer.h"
#include "platform/sound/wavdecoder.h"

#include <SDL.h>
#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace platform {

using sounddetail::Mixer;
using sounddetail::Voice;

namespace {

constexpr int Silence = -10000;

void mixCallback(void* mixer, Uint8* stream, int bytes)
{
    static_cast<Mixer*>(mixer)->mix(reinterpret_cast<float*>(stream),
                                    static_cast<std::size_t>(bytes) / (sizeof(float) * SoundDevice::Channels));
}

// Gain of an attenuation in hundredths of a decibel.
float gainOf(int attenuation)
{
    return attenuation <= Silence ? 0.0f : static_cast<float>(std::pow(10.0, attenuation / 2000.0));
}

void setError(std::string* error, const std::string& why)
{
    if (error != nullptr) {
        *error = why;
    }
}

sounddetail::Samples allocateFloats(std::size_t count)
{
    return sounddetail::Samples(static_cast<float*>(std::malloc(count * sizeof(float))));
}

// The decoded sound as the mixer plays it: stereo float frames at the device's rate.
sounddetail::Samples toDeviceFrames(const sounddetail::DecodedSound& sound, std::size_t& frames, std::string* error)
{
    const std::size_t count = sound.frames * 2;
    sounddetail::Samples in = allocateFloats(count);
    if (!in) {
        setError(error, "out of memory");
        return nullptr;
    }
    if (sound.format == sounddetail::SampleFormat::Int16) {
        src_short_to_float_array(static_cast<const short*>(sound.samples.get()), in.get(), int(count));
    } else {
        std::copy_n(static_cast<const float*>(sound.samples.get()), count, in.get());
    }
    if (sound.rate == SoundDevice::SampleRate) {
        frames = sound.frames;
        return in;
    }
    const double ratio = double(SoundDevice::SampleRate) / double(sound.rate);
    const auto room = static_cast<std::size_t>(std::ceil(double(sound.frames) * ratio)) + 16;
    sounddetail::Samples out = allocateFloats(room * 2);
    if (!out) {
        setError(error, "out of memory");
        return nullptr;
    }
    SRC_DATA data {};
    data.data_in = in.get();
    data.input_frames = static_cast<long>(sound.frames);
    data.data_out = out.get();
    data.output_frames = static_cast<long>(room);
    data.src_ratio = ratio;
    const int failure = src_simple(&data, SRC_SINC_FASTEST, SoundDevice::Channels);
    if (failure != 0 || data.output_frames_gen <= 0) {
        setError(error, std::string("rate conversion failed: ") + src_strerror(failure));
        return nullptr;
    }
    frames = static_cast<std::size_t>(data.output_frames_gen);
    return out;
}

} // namespace

SoundBuffer::SoundBuffer(std::shared_ptr<Mixer> mixer, Voice* voice, std::string path, std::size_t frames)
    : m_mixer(std::move(mixer)), m_voice(voice), m_path(std::move(path)), m_frames(frames)
{ }

SoundBuffer::~SoundBuffer()
{
    m_mixer->remove(m_voice);
}

bool SoundBuffer::play(std::uint32_t flags)
{
    m_mixer->play(m_voice, (flags & PlayLooping) != 0);
    m_playing = true;
    return true;
}

bool SoundBuffer::stop()
{
    m_mixer->stop(m_voice);
    m_playing = false;
    return true;
}

bool SoundBuffer::setVolume(int volume)
{
    if (volume > 0 || volume < Silence) {
        return false;
    }
    m_volume = volume;
    m_mixer->setGains(m_voice, gainOf(m_volume - std::max(m_pan, 0)), gainOf(m_volume + std::min(m_pan, 0)));
    return true;
}

bool SoundBuffer::setPan(int pan)
{
    if (pan > -Silence || pan < Silence) {
        return false;
    }
    m_pan = pan;
    return setVolume(m_volume);
}

std::uint64_t SoundBuffer::startFrame() const
{
    return m_voice->startedFrame.load(std::memory_order_acquire);
}

std::uint64_t SoundBuffer::startPosition() const
{
    // Stored before the frame, so a frame that is seen comes with its position.
    const std::uint64_t frame = startFrame();
    return frame == sounddetail::NotYet ? frame : m_voice->startedPosition.load(std::memory_order_relaxed);
}

SoundDevice::SoundDevice(std::shared_ptr<Mixer> mixer) : m_mixer(std::move(mixer)) { }

SoundDevice::~SoundDevice() = default;

std::unique_ptr<SoundDevice> SoundDevice::open(const std::string& name, std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        setError(error, SDL_GetError());
        return nullptr;
    }
    auto mixer = std::make_shared<Mixer>(0);
    SDL_AudioSpec want {};
    want.freq = SampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = Channels;
    want.samples = BlockFrames;
    want.callback = mixCallback;
    want.userdata = mixer.get();
    SDL_AudioSpec have {};
    // SDL converts to whatever the hardware wants, so the mix always sees exactly this format.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 0, &want, &have, 0);
    if (id == 0) {
        setError(error, SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    mixer->output = id;
    // Starts aim one block past the block that takes them, so that a start read against one block still
    // lands in time when the audio thread moves on meanwhile.
    mixer->leadFrames = have.samples;
    SDL_PauseAudioDevice(id, 0);
    return std::unique_ptr<SoundDevice>(new SoundDevice(std::move(mixer)));
}

std::unique_ptr<SoundDevice> SoundDevice::openOffline(std::size_t leadFrames)
{
    return std::unique_ptr<SoundDevice>(new SoundDevice(std::make_shared<Mixer>(leadFrames)));
}

std::shared_ptr<SoundBuffer> SoundDevice::createSoundBufferFromFile(const std::string& path, std::string* error)
{
    // Free the buffers dropped so far before taking more memory (offline, nothing else would let go of them).
    if (offline()) {
        m_mixer->takeAllCommands();
    } else {
        m_mixer->tidy();
    }
    sounddetail::DecodedSound sound = sounddetail::decodeWavFile(path, error);
    if (!sound.samples) {
        return nullptr;
    }
    std::size_t frames = 0;
    sounddetail::Samples samples = toDeviceFrames(sound, frames, error);
    if (!samples) {
        return nullptr;
    }
    sound.samples.reset();
    auto* voice = new Voice(std::move(samples), frames);
    m_mixer->add(voice);
    return std::shared_ptr<SoundBuffer>(new SoundBuffer(m_mixer, voice, path, frames));
}

bool SoundDevice::render(float* out, std::size_t frames)
{
    if (!offline()) {
        return false;
    }
    m_mixer->takeAllCommands();
    m_mixer->mix(out, frames);
    m_mixer->tidy();
    return true;
}

bool SoundDevice::offline() const
{
    return m_mixer->output == 0;
}

std::uint64_t SoundDevice::framesMixed() const
{
    return m_mixer->framesMixed();
}

std::uint64_t SoundDevice::lateStarts() const
{
    return m_mixer->lateStarts();
}

} // namespace platform

#include "platform/sound/sounddevice.h"

#include "platform/sound/mixer.h"
#include "platform/sound/resampler.h"
#include "platform/sound/soundlimits.h"
#include "platform/sound/voice.h"
#include "platform/sound/wavdecoder.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace platform {

namespace sounddetail {

// The mixer and the SDL device that runs it, shared by the device handle and its buffers, so that the device
// closes when the last of them goes. Once nothing has played for the rest delay, a keeper thread closes the
// SDL device; the next start opens it again on the UI thread.
class Engine
{
public:
    // An offline engine: no SDL device, no thread.
    Engine(std::size_t leadFrames, int outputRate) : mixer(leadFrames), rate(outputRate), offline(true) { }
    // A real one, once SDL's audio is initialised; it quits SDL's audio when it goes.
    explicit Engine(std::string name) : mixer(0), offline(false), m_name(std::move(name))
    {
        // Starts issued back to back stay together even when the UI thread is held up between them; no two
        // presses of a user's come this close.
        mixer.joinWindow = std::chrono::milliseconds(50);
    }
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Opens the device, at its own rate where SDL tells it, and lets it rest once the delay has passed.
    bool start(std::string* error);

    bool play(Voice* voice, bool looping, std::string* error);
    void stop(Voice* voice);
    void remove(Voice* voice);
    // Frees the voices the mix let go of.
    void tidy();
    bool resting() const;
    void setRestDelay(std::chrono::milliseconds delay);
    // One filter for each file rate, shared by the voices of that rate.
    std::shared_ptr<const Resampler> resamplerFor(int fileRate);

    Mixer mixer;
    int rate = SoundDevice::kDefaultRate;
    const bool offline;

private:
    void keep();
    void restLater();
    void settled();

    std::string m_name;
    SDL_AudioSpec m_want {};
    std::map<int, std::weak_ptr<const Resampler>> m_resamplers;

    // The SDL device, between the UI thread and the keeper: open or closed, and when to close it.
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    SDL_AudioDeviceID m_output = 0;
    SDL_AudioDeviceID m_closing = 0;
    bool m_restPending = false;
    std::chrono::steady_clock::time_point m_restAt;
    std::chrono::milliseconds m_restDelay { 500 };
    bool m_quit = false;
    std::thread m_keeper;
};

} // namespace sounddetail

using sounddetail::Engine;
using sounddetail::Voice;

namespace {

constexpr int kSilence = -10000;

void mixCallback(void* mixer, Uint8* stream, int bytes)
{
    static_cast<sounddetail::Mixer*>(mixer)->mix(reinterpret_cast<float*>(stream),
                                                 static_cast<std::size_t>(bytes)
                                                     / (sizeof(float) * SoundDevice::kChannels));
}

// Gain of an attenuation in hundredths of a decibel.
float gainOf(int attenuation)
{
    return attenuation <= kSilence ? 0.0f : static_cast<float>(std::pow(10.0, attenuation / 2000.0));
}

void setError(std::string* error, const std::string& why)
{
    if (error != nullptr) {
        *error = why;
    }
}

// The rate the output runs at, where SDL can tell (most sound servers can; the dummy and disk drivers
// cannot).
int ownRate(const std::string& name)
{
    int rate = 0;
    SDL_AudioSpec spec {};
#if SDL_VERSION_ATLEAST(2, 24, 0)
    if (name.empty()) {
        char* defaultName = nullptr;
        if (SDL_GetDefaultAudioInfo(&defaultName, &spec, 0) == 0) {
            rate = spec.freq;
        }
        SDL_free(defaultName);
    }
#endif
    for (int i = 0; rate == 0 && !name.empty() && i < SDL_GetNumAudioDevices(0); ++i) {
        const char* device = SDL_GetAudioDeviceName(i, 0);
        if (device != nullptr && name == device && SDL_GetAudioDeviceSpec(i, 0, &spec) == 0) {
            rate = spec.freq;
        }
    }
    const bool usable = rate >= sounddetail::kLowestOutputRate && rate <= sounddetail::kHighestRate;
    return usable ? rate : SoundDevice::kDefaultRate;
}

} // namespace

namespace sounddetail {

Engine::~Engine()
{
    if (offline) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_keeper.joinable()) {
        m_keeper.join();
    }
    if (m_output != 0) {
        SDL_CloseAudioDevice(m_output);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool Engine::start(std::string* error)
{
    m_want.freq = ownRate(m_name);
    m_want.format = AUDIO_F32SYS;
    m_want.channels = SoundDevice::kChannels;
    m_want.samples = SoundDevice::kBlockFrames;
    m_want.callback = mixCallback;
    m_want.userdata = &mixer;
    SDL_AudioSpec have {};
    // SDL converts to whatever the hardware wants, so the mix always sees this format; only the rate may
    // be the device's own.
    m_output = SDL_OpenAudioDevice(m_name.empty() ? nullptr : m_name.c_str(), 0, &m_want, &have,
                                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (m_output == 0) {
        setError(error, SDL_GetError());
        return false;
    }
    // From now on the device opens at this rate, whatever happens to the hardware meanwhile.
    m_want.freq = have.freq;
    rate = have.freq;
    // Starts aim one block past the block that takes them, so that a start read against one block still
    // lands in time when the audio thread moves on meanwhile.
    mixer.leadFrames = have.samples;
    SDL_PauseAudioDevice(m_output, 0);
    m_keeper = std::thread([this] { keep(); });
    restLater();
    return true;
}

void Engine::keep()
{
    // The keeper thread: closes the device once nothing has played for the rest delay.
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_quit) {
        if (!m_restPending) {
            m_changed.wait(lock);
        } else if (std::chrono::steady_clock::now() < m_restAt) {
            m_changed.wait_until(lock, m_restAt);
        } else {
            // Paused, SDL calls the mix no more, so the mixer is the UI thread's from here. SDL lets the output
            // drain for two blocks before its thread ends: only a start in the meantime waits for that.
            m_restPending = false;
            SDL_PauseAudioDevice(m_output, 1);
            const SDL_AudioDeviceID closing = m_output;
            m_closing = closing;
            m_output = 0;
            lock.unlock();
            SDL_CloseAudioDevice(closing);
            lock.lock();
            m_closing = 0;
            m_changed.notify_all();
        }
    }
}

void Engine::restLater()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_output != 0 && !m_restPending && !mixer.anyPlaying()) {
        m_restPending = true;
        m_restAt = std::chrono::steady_clock::now() + m_restDelay;
        m_changed.notify_all();
    }
}

void Engine::settled()
{
    // With no audio thread nothing else would take the requests and let go of dropped voices.
    std::lock_guard<std::mutex> lock(m_lock);
    if (offline || m_output == 0) {
        mixer.settle();
    } else {
        mixer.freeRetired();
    }
}

bool Engine::play(Voice* voice, bool looping, std::string* error)
{
    if (offline) {
        mixer.play(voice, looping);
        mixer.freeRetired();
        return true;
    }
    std::unique_lock<std::mutex> lock(m_lock);
    m_restPending = false;
    mixer.freeRetired();
    if (m_output != 0) {
        mixer.play(voice, looping);
        return true;
    }
    m_changed.wait(lock, [this] { return m_closing == 0; });
    // A resting device opens paused, takes the start, and then runs: the start lands one block in, and
    // starts issued right after it join it.
    // One that cannot open stays resting, and the next start tries again.
    m_output = SDL_OpenAudioDevice(m_name.empty() ? nullptr : m_name.c_str(), 0, &m_want, nullptr, 0);
    if (m_output == 0) {
        setError(error, std::string("the sound device did not open again after its rest: ") + SDL_GetError());
        return false;
    }
    mixer.restartClock();
    mixer.play(voice, looping);
    SDL_PauseAudioDevice(m_output, 0);
    return true;
}

void Engine::stop(Voice* voice)
{
    mixer.stop(voice);
    restLater();
    settled();
}

void Engine::remove(Voice* voice)
{
    mixer.remove(voice);
    restLater();
    settled();
}

void Engine::tidy()
{
    settled();
}

bool Engine::resting() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return !offline && m_output == 0;
}

void Engine::setRestDelay(std::chrono::milliseconds delay)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_restDelay = delay;
    if (m_restPending) {
        m_restAt = std::chrono::steady_clock::now() + delay;
        m_changed.notify_all();
    }
}

std::shared_ptr<const Resampler> Engine::resamplerFor(int fileRate)
{
    std::weak_ptr<const Resampler>& slot = m_resamplers[fileRate];
    std::shared_ptr<const Resampler> resampler = slot.lock();
    if (!resampler) {
        resampler = std::make_shared<const Resampler>(fileRate, rate);
        slot = resampler;
    }
    return resampler;
}

} // namespace sounddetail

SoundBuffer::SoundBuffer(std::shared_ptr<Engine> engine, Voice* voice, std::string path)
    : m_engine(std::move(engine)), m_voice(voice), m_path(std::move(path))
{ }

SoundBuffer::~SoundBuffer()
{
    m_engine->remove(m_voice);
}

bool SoundBuffer::play(std::uint32_t flags, std::string* error)
{
    if (!m_engine->play(m_voice, (flags & kPlayLooping) != 0, error)) {
        return false;
    }
    m_playing = true;
    return true;
}

bool SoundBuffer::stop()
{
    m_engine->stop(m_voice);
    m_playing = false;
    return true;
}

bool SoundBuffer::setVolume(int volume)
{
    if (volume > 0 || volume < kSilence) {
        return false;
    }
    m_volume = volume;
    m_engine->mixer.setGains(m_voice, gainOf(m_volume - std::max(m_pan, 0)), gainOf(m_volume + std::min(m_pan, 0)));
    return true;
}

bool SoundBuffer::setPan(int pan)
{
    if (pan > -kSilence || pan < kSilence) {
        return false;
    }
    m_pan = pan;
    return setVolume(m_volume);
}

std::size_t SoundBuffer::frames() const
{
    const auto rate = static_cast<std::uint64_t>(m_voice->rate);
    return static_cast<std::size_t>((m_voice->frames * std::uint64_t(m_engine->rate) + rate / 2) / rate);
}

std::size_t SoundBuffer::fileFrames() const
{
    return m_voice->frames;
}

int SoundBuffer::fileRate() const
{
    return m_voice->rate;
}

std::uint64_t SoundBuffer::startFrame() const
{
    return m_voice->startedFrame.load(std::memory_order_acquire);
}

std::uint64_t SoundBuffer::startPosition() const
{
    // Stored before the frame, so a frame that is seen comes with its position.
    const std::uint64_t frame = startFrame();
    return frame == sounddetail::kNotYet ? frame : m_voice->startedPosition.load(std::memory_order_relaxed);
}

std::uint64_t SoundBuffer::loopFrame() const
{
    return m_voice->loopFrame.load(std::memory_order_relaxed);
}

SoundDevice::SoundDevice(std::shared_ptr<Engine> engine) : m_engine(std::move(engine)) { }

SoundDevice::~SoundDevice() = default;

std::unique_ptr<SoundDevice> SoundDevice::open(const std::string& name, std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        setError(error, SDL_GetError());
        return nullptr;
    }
    auto engine = std::make_shared<Engine>(name);
    if (!engine->start(error)) {
        return nullptr;
    }
    return std::unique_ptr<SoundDevice>(new SoundDevice(std::move(engine)));
}

std::unique_ptr<SoundDevice> SoundDevice::openOffline(std::size_t leadFrames, int rate)
{
    return std::unique_ptr<SoundDevice>(new SoundDevice(std::make_shared<Engine>(leadFrames, rate)));
}

std::shared_ptr<SoundBuffer> SoundDevice::createSoundBufferFromFile(const std::string& path, std::string* error)
{
    // Free the buffers dropped so far before taking more memory.
    m_engine->tidy();
    sounddetail::DecodedSound sound = sounddetail::decodeWavFile(path, error);
    if (!sound.samples) {
        return nullptr;
    }
    if (sound.frames == 0 || sound.rate <= 0) {
        setError(error, "no sound in the file");
        return nullptr;
    }
    std::shared_ptr<const sounddetail::Resampler> resampler;
    if (sound.rate != m_engine->rate) {
        resampler = m_engine->resamplerFor(sound.rate);
    }
    auto* voice = new Voice(std::move(sound), std::move(resampler));
    m_engine->mixer.add(voice);
    return std::shared_ptr<SoundBuffer>(new SoundBuffer(m_engine, voice, path));
}

bool SoundDevice::render(float* out, std::size_t frames)
{
    if (!offline()) {
        return false;
    }
    m_engine->mixer.mix(out, frames);
    m_engine->mixer.freeRetired();
    return true;
}

bool SoundDevice::offline() const
{
    return m_engine->offline;
}

int SoundDevice::rate() const
{
    return m_engine->rate;
}

bool SoundDevice::resting() const
{
    return m_engine->resting();
}

void SoundDevice::setRestDelay(std::chrono::milliseconds delay)
{
    m_engine->setRestDelay(delay);
}

void SoundDevice::setJoinWindow(std::chrono::milliseconds window)
{
    m_engine->mixer.joinWindow = window;
}

std::uint64_t SoundDevice::framesMixed() const
{
    return m_engine->mixer.framesMixed();
}

std::uint64_t SoundDevice::lateStarts() const
{
    return m_engine->mixer.lateStarts();
}

} // namespace platform

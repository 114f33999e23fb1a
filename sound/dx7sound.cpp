#include "sound/dx7sound.h"

#include "platform/core/heldfolder.h"

#include <cstdio>

namespace DX7Sound {

std::unique_ptr<platform::SoundDevice> DS;
std::vector<SoundSlot> SoundBuffers;
bool OfflineDevice = false;

namespace {

SoundSlot* slot(int16_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= SoundBuffers.size()) {
        return nullptr;
    }
    return &SoundBuffers[static_cast<std::size_t>(index)];
}

// Every load takes the knobs' pan and level, so that the sound is where the knobs say, pan 100 included.
void applyLevels(int16_t index, uint8_t level, uint8_t pan)
{
    SetPan(index, pan);
    SetVolume(index, level);
}

// A path as one line of text: control characters (a newline in a name) are written as \xNN.
std::string oneLine(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// One line "path: reason" on standard error for a step that gave up; a file read through a held folder is
// named by where it lies.
void sayWhy(const std::string& path, const std::string& why)
{
    std::fprintf(stderr, "%s: %s\n", oneLine(platform::fs::shownPath(path)).c_str(),
                 oneLine(why.empty() ? "refused" : why).c_str());
}

} // namespace

bool InitDX(std::uintptr_t window)
{
    // The device plays for the whole desktop session; the window has no say in it here.
    (void)window;
    std::unique_ptr<platform::SoundDevice> device
        = OfflineDevice ? platform::SoundDevice::openOffline() : platform::SoundDevice::open(std::string());
    if (!device) {
        return false;
    }
    DS = std::move(device);
    return true;
}

void InitBuffers(int16_t lastIndex, const std::string& file)
{
    if (lastIndex < 0) {
        return;
    }
    SoundBuffers.clear();
    SoundBuffers.resize(static_cast<std::size_t>(lastIndex) + 1);
    for (int16_t i = 0; i <= lastIndex; ++i) {
        LoadBuffer(i, file);
        SetVolume(i, 80);
    }
}

void LoadBuffer(int16_t index, const std::string& file)
{
    SoundSlot* s = slot(index);
    if (s == nullptr || !DS) {
        return;
    }
    std::string why;
    std::shared_ptr<platform::SoundBuffer> buffer = DS->createSoundBufferFromFile(file, &why);
    if (!buffer) {
        sayWhy(file, why);
        return;
    }
    s->Buffer = std::move(buffer);
    s->Loaded = -1;
}

void LoadPlayBuffer(int16_t index, const std::string& file, uint8_t level, uint8_t pan, uint8_t flags)
{
    LoadBuffer(index, file);
    applyLevels(index, level, pan);
    PlayBuffer(index, flags);
}

void LoadBufferLevels(int16_t index, const std::string& file, uint8_t level, uint8_t pan)
{
    LoadBuffer(index, file);
    applyLevels(index, level, pan);
}

bool PlayBuffer(int16_t index, uint8_t flags)
{
    SoundSlot* s = slot(index);
    if (s == nullptr) {
        return false;
    }
    if (s->Loaded == 0) {
        return true;
    }
    std::string why;
    if (!s->Buffer->play(flags, &why)) {
        sayWhy(s->Buffer->path(), why);
        return false;
    }
    return true;
}

bool StopBuffer(int16_t index)
{
    SoundSlot* s = slot(index);
    if (s == nullptr) {
        return false;
    }
    return s->Loaded == 0 || s->Buffer->stop();
}

void SetVolume(int16_t index, uint8_t level)
{
    SoundSlot* s = slot(index);
    if (s == nullptr || !s->Buffer) {
        return;
    }
    const auto volume = static_cast<int16_t>(level * 60 - 6000);
    s->Buffer->setVolume(volume);
}

void SetPan(int16_t index, uint8_t pan)
{
    SoundSlot* s = slot(index);
    if (s == nullptr || !s->Buffer) {
        return;
    }
    int16_t value = static_cast<int16_t>(pan * 100 - 5000);
    if (pan == 0) {
        value = -10000;
    } else if (pan == 100) {
        value = 10000;
    }
    s->Buffer->setPan(value);
}

void Shutdown()
{
    SoundBuffers.clear();
    DS.reset();
}

} // namespace DX7Sound

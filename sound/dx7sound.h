// The sound module: one output device and an array of sound slots, each a whole WAV file in a static buffer
// that plays in a loop, stops, and takes a level and a pan on scales of 0 to 100. Every call comes from the
// user-interface thread.
//
// Tests: set OfflineDevice before InitDX (or before the main window starts its sound) to get a device that
// mixes only when asked, then call DS->render(out, frames) to pull frames of the mix (interleaved left,
// right, 44100 Hz) and look at them. Starts issued before a render begin on its first frame.
#pragma once

#include "platform/sound/sounddevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DX7Sound {

struct SoundSlot
{
    int16_t Loaded = 0; // -1 once a buffer was created for the slot; never set back
    std::shared_ptr<platform::SoundBuffer> Buffer;
};

// The output device; empty until InitDX succeeds.
extern std::unique_ptr<platform::SoundDevice> DS;
extern std::vector<SoundSlot> SoundBuffers;
// When true, InitDX opens an offline device instead of the sound card (tests).
extern bool OfflineDevice;

// Opens the default output device; false when none opens (the program then runs silent).
bool InitDX(std::uintptr_t window);
// Recreates the slots 0 to lastIndex, each loaded with file at level 80.
void InitBuffers(int16_t lastIndex, const std::string& file);
// Loads file into the slot; on any failure the slot keeps what it had, and a refused file gets one line
// "path: reason" on standard error.
void LoadBuffer(int16_t index, const std::string& file);
// Loads, applies pan and level (to the old buffer when the load failed), then starts the slot.
void LoadPlayBuffer(int16_t index, const std::string& file, uint8_t level, uint8_t pan, uint8_t flags);
// The same without the start.
void LoadBufferLevels(int16_t index, const std::string& file, uint8_t level, uint8_t pan);
// Starts a loaded slot (flags 1 loops). False for an index outside the slots or a device error; a device that
// cannot wake from its rest also gets one line "path: reason" on standard error, and the next start tries again.
bool PlayBuffer(int16_t index, uint8_t flags);
// Stops a loaded slot, keeping its position. False for an index outside the slots or a device error.
bool StopBuffer(int16_t index);
// Level 0 to 100 as level * 60 - 6000 hundredths of a decibel; errors are ignored.
void SetVolume(int16_t index, uint8_t level);
// Pan 0 full left, 100 full right, anything else pan * 100 - 5000; errors are ignored.
void SetPan(int16_t index, uint8_t pan);
// Drops the slots and closes the device (program end, tests).
void Shutdown();

} // namespace DX7Sound

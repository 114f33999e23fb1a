// Small helpers shared by the test programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace testsupport {

// A fresh folder that is removed when the object goes; path() ends without a separator.
class TempFolder
{
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    // Full path of a name inside the folder.
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Writes bytes to a file, creating or replacing it; false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);
// Reads a whole file; empty when it cannot be read.
QByteArray readFile(const QString& path);

// Writes a 16-bit PCM WAV file of `frames` frames whose every sample is sampleAt(frame, channel) in
// -1..1; false on failure.
bool writeWav(const QString& path, int frames, int channels, int rate,
              const std::function<float(int frame, int channel)>& sampleAt);
// Starts body in a child process as another user: "nobody" when this process is the superuser (whom
// permission bits do not bind), else as this same user; the child ends when body returns. Folders it must
// reach need to be open to it. -1 when it cannot be started.
int startAsNobody(const std::function<void()>& body);
// Waits for such a child: true when it ran body without a failed expectation (the child prints its own).
bool finishChild(int child);
// Both of the above.
bool runAsNobody(const std::function<void()>& body);

// A short constant-valued stereo WAV (the value says which file a test hears).
bool writeLevelWav(const QString& path, float value, int frames = 4410);

} // namespace testsupport

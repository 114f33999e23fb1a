// File names between the disk and the program's text. Names on disk are bytes; most are UTF-8, but names
// from old archives often are not. A byte that is not part of valid UTF-8 becomes the code unit
// U+DC80 + byte (a lone surrogate, which no valid UTF-8 produces), so every name shows as text and leads
// back to its exact bytes.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

// Text of a name or path as it is on disk.
QString textFromFileName(std::string_view bytes);

// The bytes a text stands for: the reverse of textFromFileName.
std::string fileNameFromText(const QString& text);

// The bytes of the file a path names, as the file system here is searched: each component exactly when it
// exists so, otherwise the entry that differs from it only in the case of its extension ("Hit_1.wav" finds
// "Hit_1.WAV", never "HIT_1.wav"). A path not found so is returned as it is.
std::string diskPath(const QString& path);

} // namespace platform

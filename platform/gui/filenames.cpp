#include "platform/gui/filenames.h"

#include "platform/core/filesys.h"

#include <algorithm>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // a stray byte b stands as kEscapeBase + b (b is 0x80 to 0xFF)

// Length of the valid UTF-8 sequence at bytes[i] and its code point; 0 when the byte starts none.
int utf8Sequence(std::string_view bytes, std::size_t i, char32_t& code)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    if (b < 0x80) {
        code = b;
        return 1;
    }
    int length = 0;
    char32_t lowest = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        code = b & 0x1F;
        lowest = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        code = b & 0x0F;
        lowest = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        code = b & 0x07;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (i + std::size_t(length) > bytes.size()) {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char c = at(i + std::size_t(k));
        if ((c & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (c & 0x3F);
    }
    // Overlong forms, encoded surrogates and code points past Unicode are not valid UTF-8.
    if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

QString textFromFileName(std::string_view bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); // the common case, at once
    }
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t code = 0;
        const int length = utf8Sequence(bytes, i, code);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            const char32_t units[1] = { code };
            text += QString::fromUcs4(units, 1);
        } else {
            text += QChar(char16_t(code));
        }
        i += std::size_t(length);
    }
    return text;
}

std::string fileNameFromText(const QString& text)
{
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            out += char(unit - kEscapeBase);
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(out, 0xFFFD); // a lone surrogate that no name on disk gave
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::string diskPath(const QString& path)
{
    std::string bytes = fileNameFromText(path);
    if (std::optional<std::string> found = fs::resolveCase(bytes)) {
        return *found;
    }
    return bytes;
}

} // namespace platform

#include "settings/fontrecord.h"

#include "platform/base/profile.h"
#include "settings/numberstring.h"

namespace {

const QString kCbSize = QStringLiteral("cbSize");
const QString kMask = QStringLiteral("dwMask");
const QString kEffects = QStringLiteral("dwEffects");
const QString kHeight = QStringLiteral("yHeight");
const QString kOffset = QStringLiteral("yOffset");
const QString kColor = QStringLiteral("crTextColor");
const QString kCharSet = QStringLiteral("bCharSet");
const QString kPitch = QStringLiteral("bPitchAndFamily");
const QString kFace = QStringLiteral("szFaceName");

uint32_t readField(const QString &section, const QString &key)
{
    return uint32_t(ReadNumberString(section, key, QStringLiteral("0")));
}

// The 32 bits of a field as the signed number the signed form writes.
int32_t asSigned(uint32_t bits)
{
    return bits <= uint32_t(INT32_MAX) ? int32_t(bits) : -int32_t(~bits) - 1;
}

void writeField(const QString &section, const QString &key, uint32_t value)
{
    WriteNumberString(section, key, asSigned(value), NumberForm::Signed);
}

} // namespace

void WriteFontRecord(const QString &section, const CharFormat &format)
{
    writeField(section, kCbSize, format.cbSize);
    writeField(section, kMask, format.dwMask);
    writeField(section, kEffects, format.dwEffects);
    writeField(section, kHeight, uint32_t(format.yHeight));
    writeField(section, kOffset, uint32_t(format.yOffset));
    writeField(section, kColor, format.crTextColor);
    writeField(section, kCharSet, format.bCharSet);   // widened without sign: 0-255
    writeField(section, kPitch, format.bPitchAndFamily);
    Profile::WriteProfileString(section, kFace, CharFormat::cutFace(format.szFaceName));
}

CharFormat ReadFontRecord(const QString &section)
{
    CharFormat format;
    format.cbSize = readField(section, kCbSize);
    format.dwMask = readField(section, kMask);
    format.dwEffects = readField(section, kEffects);
    format.yHeight = ReadNumberString(section, kHeight, QStringLiteral("0"));
    format.yOffset = ReadNumberString(section, kOffset, QStringLiteral("0"));
    format.crTextColor = readField(section, kColor);
    format.bCharSet = uint8_t(readField(section, kCharSet) & 0xFFu);
    format.bPitchAndFamily = uint8_t(readField(section, kPitch) & 0xFFu);
    format.szFaceName = CharFormat::cutFace(Profile::GetProfileString(section, kFace, QStringLiteral("System")));
    return format;
}

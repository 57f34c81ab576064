#include "settings/numberstring.h"

#include "platform/base/profile.h"

namespace {

// White space as the C library's isspace() knows it in the "C" locale.
bool isCSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

} // namespace

int32_t ParseNumberText(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Unsigned arithmetic wraps modulo 2^32, which is the defined overflow of this format:
    // "4294967295" (the unsigned form of -1) reads back as -1.
    uint32_t bits = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        bits = bits * 10u + uint32_t(c - u'0');
    }
    if (negative)
        bits = 0u - bits;
    // Two's complement reinterpretation without relying on implementation-defined casts.
    return bits <= uint32_t(INT32_MAX) ? int32_t(bits) : -int32_t(~bits) - 1;
}

QString FormatNumberText(int32_t value, NumberForm form)
{
    if (form == NumberForm::Unsigned)
        return QString::number(uint32_t(value));
    return QString::number(value);
}

int32_t ReadNumberString(const QString &section, const QString &key, const QString &defText)
{
    return ParseNumberText(Profile::GetProfileString(section, key, defText));
}

void WriteNumberString(const QString &section, const QString &key, int32_t value, NumberForm form)
{
    Profile::WriteProfileString(section, key, FormatNumberText(value, form));
}

#include "settings/numberstring.h"

#include "platform/base/numberscan.h"
#include "platform/base/profile.h"

int32_t ParseNumberText(const QString &text)
{
    return NumberScan::storedText(text);
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

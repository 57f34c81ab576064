#pragma once
// Numbers kept in the store as decimal text.
#include <QString>
#include <cstdint>

enum class NumberForm { Signed, Unsigned };

// Reads the text (default defText) and converts it as atol does: leading white space, an
// optional sign, then decimal digits up to the first other character; 0 when there are none.
// Values beyond 32 bits wrap to 32 bits.
int32_t ReadNumberString(const QString &section, const QString &key, const QString &defText);

// Writes value as decimal text: signed form with a leading "-" for negative values, unsigned
// form as the 32-bit unsigned number.
void WriteNumberString(const QString &section, const QString &key, int32_t value, NumberForm form);

// The conversions themselves, for callers that hold the text already.
int32_t ParseNumberText(const QString &text);
QString FormatNumberText(int32_t value, NumberForm form);

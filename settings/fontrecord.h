#pragma once
// A character format persisted as nine text values named after its fields, in section
// "FONT" (display font) or "PFONT" (print font).
#include "platform/engine/charformat.h"
#include <QString>

void WriteFontRecord(const QString &section, const CharFormat &format);
CharFormat ReadFontRecord(const QString &section);

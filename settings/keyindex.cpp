#include "settings/keyindex.h"

#include "platform/base/profile.h"

int IntKey::read() const
{
    return Profile::GetProfileInt(QLatin1String(section), QLatin1String(name), def);
}

void IntKey::write(int value) const
{
    Profile::WriteProfileInt(QLatin1String(section), QLatin1String(name), value);
}

int32_t NumberKey::read() const
{
    return ReadNumberString(QLatin1String(section), QLatin1String(name), QLatin1String(def));
}

void NumberKey::write(int32_t value) const
{
    WriteNumberString(QLatin1String(section), QLatin1String(name), value, form);
}

#pragma once
// A throw-away settings store for the tests of this folder: HOME and XDG_CONFIG_HOME point
// into a temporary folder, with a new store folder for every call of useFreshStore(), so no
// test sees another's values and the user's own settings are never touched.
#include <QByteArray>

namespace StoreHelper {

void useFreshStore();
// The raw bytes of the store file (empty when there is none).
QByteArray storeText();
// Replaces the store file as another program would. Its time stamp moves on each time, so the
// store sees the change even when the size stays the same.
void writeStoreText(const QByteArray &bytes);

} // namespace StoreHelper

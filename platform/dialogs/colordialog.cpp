#include "platform/dialogs/colordialog.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <array>

namespace {

std::array<QRgb, ColorDialog::kCustomColors> &customColors()
{
    static std::array<QRgb, ColorDialog::kCustomColors> colors = [] {
        std::array<QRgb, ColorDialog::kCustomColors> white;
        white.fill(qRgb(255, 255, 255));
        return white;
    }();
    return colors;
}

// Qt keeps the custom colours in a per-user settings file of its own that every Qt program
// shares, and writes them there when a colour dialog closes and again when the process ends.
// Meanwhile that file is looked for where there is none: nothing of the program's own
// settings is affected, as the store names its file itself.
void hideSharedSettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
}

void restoreSharedSettings()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

} // namespace

std::optional<QColor> ColorDialog::Choose(const QColor &initial, QWidget *owner)
{
    static const bool atExit = [] {
        qAddPostRoutine(hideSharedSettings);
        return true;
    }();
    (void)atExit;
    hideSharedSettings();
    for (int i = 0; i < kCustomColors; ++i)
        QColorDialog::setCustomColor(i, customColors()[size_t(i)]);
    std::optional<QColor> chosen;
    {
        QColorDialog dialog(initial, owner);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.selectedColor();
    }
    for (int i = 0; i < kCustomColors; ++i)
        customColors()[size_t(i)] = QColorDialog::customColor(i).rgb();
    restoreSharedSettings();
    return chosen;
}

QColor ColorDialog::CustomColor(int index)
{
    return index >= 0 && index < kCustomColors ? QColor(customColors()[size_t(index)]) : QColor();
}

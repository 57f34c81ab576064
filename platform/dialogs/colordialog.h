#pragma once
// The colour dialog, opened full, owned by the window it serves. Its sixteen custom colours
// start white and last as long as the process: none are read from, or written to, Qt's own
// settings file, which other programs share.
#include <QColor>
#include <optional>

class QWidget;

class ColorDialog {
public:
    // Runs the dialog starting on initial; the chosen colour, or nothing on Cancel.
    static std::optional<QColor> Choose(const QColor &initial, QWidget *owner);

    static constexpr int kCustomColors = 16;
    // The custom colours as this process keeps them.
    static QColor CustomColor(int index);
};

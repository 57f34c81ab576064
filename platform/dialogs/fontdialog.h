#pragma once
// The font dialog: face, style, size, effects (strike-out, underline, colour) and a sample,
// started from a font description and a colour, as the platform's common font dialog with
// screen fonts and effects.
//
// Sizes: the dialog works in tenths of a point. A font description's height is taken as
// pixels at 96 per inch: a positive height h opens on a size whose cell height converts
// back to h by (tenths * 2 * 4 / 3) / 20 (truncating), a negative one on a size whose
// character height rounds to -h. Where two half-point sizes give the same height (14
// pixels: 10.5 and 11 points) the height alone cannot tell them apart, so the caller may
// name the size the description was made from: it is shown when it gives the description's
// height; without it the whole point size is shown. The chosen description carries the
// height of the chosen size in the same sign convention as the one it started from
// (negative when it started from 0), so a description that is accepted unchanged comes back
// unchanged, and so does a named size.
//
// A face that is not installed stays as named (it is drawn with the face the font system
// substitutes for it, and that face is marked in the list); an empty face opens on the
// system's general face.
#include "platform/base/logfont.h"

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

class FontDialog : public QDialog {
    Q_OBJECT
public:
    struct StandardColor {
        uint32_t colorref;   // 0x00BBGGRR
        const char16_t *name;
    };
    static constexpr int kMinTenths = 10;      // 1 point
    static constexpr int kMaxTenths = 16380;   // 1638 points
    static constexpr int kDefaultTenths = 100;

    // sizeTenths: the size initial was made from, 0 when unknown.
    FontDialog(const LogFont &initial, uint32_t colorref, QWidget *parent = nullptr, int sizeTenths = 0);

    // The choice; meaningful after the dialog ended with OK.
    LogFont logFont() const;
    uint32_t color() const;
    int pointSizeTenths() const;   // the chosen size in tenths of a point

    // The 16 colours of the colour box, in order.
    static const std::array<StandardColor, 16> &standardColors();
    // The size a font description's height opens on, in tenths of a point.
    static int tenthsFromHeight(int32_t lfHeight);
    // The height for a size: positive = cell height, negative = character height.
    static int32_t heightFromTenths(int tenths, bool cellHeight);
    // "10" for 100, "10.5" for 105.
    static QString formatTenths(int tenths);
    // Parses a typed size ("10", "10.5", " 9 ") to tenths; 0 when it is not a size in range.
    static int parseTenths(const QString &text);   // 0 when invalid

    // The font the sample shows for the current choice.
    QFont sampleFont() const;

public slots:
    void accept() override;

private:
    struct Style {
        QString name;
        int32_t weight;
        bool italic;
    };

    static int openingTenths(int32_t lfHeight, int sizeTenths);
    void buildUi();
    void fillFaces();
    void fillStyles(int32_t initialWeight);
    void fillSizes();
    void fillColors(uint32_t colorref);
    void selectFace(const QString &face);
    void onFaceEdited(const QString &text);
    void onFaceRow(int row);
    void onStyleRow(int row);
    void onSizeEdited(const QString &text);
    void onSizeRow(int row);
    void updateSample();
    QString chosenFace() const;

    LogFont m_initial;
    bool m_syncing = false;
    QList<Style> m_styles;

    QLineEdit *m_faceEdit = nullptr;
    QListWidget *m_faceList = nullptr;
    QLineEdit *m_styleEdit = nullptr;
    QListWidget *m_styleList = nullptr;
    QLineEdit *m_sizeEdit = nullptr;
    QListWidget *m_sizeList = nullptr;
    QCheckBox *m_strikeOut = nullptr;
    QCheckBox *m_underline = nullptr;
    QComboBox *m_colorBox = nullptr;
    QLabel *m_sample = nullptr;
};

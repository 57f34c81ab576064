#include "platform/dialogs/fontdialog.h"

#include "platform/base/colorref.h"
#include "platform/dialogs/dialogunits.h"
#include "platform/dialogs/msgbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kListSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int32_t kStandardWeights[] = {LogFont::FW_NORMAL, LogFont::FW_BOLD};

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | (g << 8) | (b << 16);
}

QIcon swatch(uint32_t colorref)
{
    QPixmap pm(24, 12);
    pm.fill(ColorFromRef(colorref));
    QPainter p(&pm);
    p.setPen(Qt::darkGray);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

// Cell height (truncating, as font records are converted) or character height (rounded).
int64_t heightOf(int64_t tenths, bool cellHeight)
{
    return cellHeight ? (tenths * 2 * 4 / 3) / 20 : (tenths * 2 + 7) / 15;
}

// The family that the font system draws a face with.
QString resolvedFamily(const QString &face)
{
    return QFontInfo(QFont(face)).family();
}

} // namespace

const std::array<FontDialog::StandardColor, 16> &FontDialog::standardColors()
{
    static const std::array<StandardColor, 16> colors{{
        {rgb(0, 0, 0), u"黒"},           {rgb(128, 0, 0), u"栗色"},
        {rgb(0, 128, 0), u"緑"},         {rgb(128, 128, 0), u"オリーブ"},
        {rgb(0, 0, 128), u"紺"},         {rgb(128, 0, 128), u"紫"},
        {rgb(0, 128, 128), u"青緑"},     {rgb(128, 128, 128), u"灰色"},
        {rgb(192, 192, 192), u"銀色"},   {rgb(255, 0, 0), u"赤"},
        {rgb(0, 255, 0), u"黄緑"},       {rgb(255, 255, 0), u"黄"},
        {rgb(0, 0, 255), u"青"},         {rgb(255, 0, 255), u"赤紫"},
        {rgb(0, 255, 255), u"水色"},     {rgb(255, 255, 255), u"白"},
    }};
    return colors;
}

int FontDialog::tenthsFromHeight(int32_t lfHeight)
{
    if (lfHeight == 0)
        return kDefaultTenths;
    const bool cell = lfHeight > 0;
    const int64_t h = std::llabs(int64_t(lfHeight));
    // First half-point size at or above the exact inverse, then the next one: at most two
    // half-point sizes share a height.
    int64_t t = (h * 15 / 2) / 5 * 5 - 10;
    int found = 0;
    for (int i = 0; i < 6; ++i, t += 5) {
        if (t < kMinTenths || heightOf(t, cell) != h)
            continue;
        if (t > kMaxTenths)
            break;
        if (t % 10 == 0)
            return int(t);
        if (!found)
            found = int(t);
    }
    if (found)
        return found;
    return int(std::clamp<int64_t>((h * 15 + 1) / 2, kMinTenths, kMaxTenths));
}

// A named size that does not give the description's height belongs to another font (or is
// out of the dialog's range): the height decides then.
int FontDialog::openingTenths(int32_t lfHeight, int sizeTenths)
{
    if (sizeTenths >= kMinTenths && sizeTenths <= kMaxTenths && lfHeight != 0 &&
        heightFromTenths(sizeTenths, lfHeight > 0) == lfHeight)
        return sizeTenths;
    return tenthsFromHeight(lfHeight);
}

int32_t FontDialog::heightFromTenths(int tenths, bool cellHeight)
{
    const int64_t h = heightOf(tenths, cellHeight);
    return int32_t(cellHeight ? h : -h);
}

QString FontDialog::formatTenths(int tenths)
{
    if (tenths % 10 == 0)
        return QString::number(tenths / 10);
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

int FontDialog::parseTenths(const QString &text)
{
    const QString s = text.trimmed();
    if (s.isEmpty() || s.size() > 12)
        return 0;
    int dot = -1;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'.' && dot < 0)
            dot = i;
        else if (s[i] < u'0' || s[i] > u'9')
            return 0;
    }
    if (dot == 0 && s.size() == 1)
        return 0;
    bool ok = false;
    const double points = s.toDouble(&ok);
    if (!ok || !std::isfinite(points))
        return 0;
    const long tenths = std::lround(points * 10);
    return (tenths >= kMinTenths && tenths <= kMaxTenths) ? int(tenths) : 0;
}

FontDialog::FontDialog(const LogFont &initial, uint32_t colorref, QWidget *parent, int sizeTenths)
    : QDialog(parent), m_initial(initial)
{
    setWindowTitle(QStringLiteral("フォント"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    buildUi();
    fillFaces();
    fillStyles(initial.lfWeight);
    fillSizes();
    fillColors(colorref);

    QString face = initial.lfFaceName.left(LogFont::kFaceMax);
    if (face.trimmed().isEmpty())
        face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    selectFace(face);

    const int32_t weight = initial.lfWeight == 0 ? LogFont::FW_NORMAL : initial.lfWeight;
    for (int i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i].weight == weight && m_styles[i].italic == (initial.lfItalic != 0))
            m_styleList->setCurrentRow(i);
    }
    m_sizeEdit->setText(formatTenths(openingTenths(initial.lfHeight, sizeTenths)));
    m_strikeOut->setChecked(initial.lfStrikeOut != 0);
    m_underline->setChecked(initial.lfUnderline != 0);
    updateSample();
}

void FontDialog::buildUi()
{
    auto *grid = new QGridLayout;
    auto column = [this, grid](int col, const QString &label, QLineEdit *&edit, QListWidget *&list,
                               const char *name) {
        edit = new QLineEdit(this);
        list = new QListWidget(this);
        edit->setObjectName(QString::fromLatin1(name) + QStringLiteral("Edit"));
        list->setObjectName(QString::fromLatin1(name) + QStringLiteral("List"));
        auto *caption = new QLabel(label, this);
        caption->setBuddy(edit);
        grid->addWidget(caption, 0, col);
        grid->addWidget(edit, 1, col);
        grid->addWidget(list, 2, col);
    };
    column(0, QStringLiteral("フォント名(&F):"), m_faceEdit, m_faceList, "face");
    column(1, QStringLiteral("スタイル(&Y):"), m_styleEdit, m_styleList, "style");
    column(2, QStringLiteral("サイズ(&S):"), m_sizeEdit, m_sizeList, "size");
    m_styleEdit->setReadOnly(true);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    auto *effects = new QGroupBox(QStringLiteral("文字飾り"), this);
    m_strikeOut = new QCheckBox(QStringLiteral("取り消し線(&K)"), effects);
    m_underline = new QCheckBox(QStringLiteral("下線(&U)"), effects);
    m_colorBox = new QComboBox(effects);
    m_strikeOut->setObjectName(QStringLiteral("strikeOut"));
    m_underline->setObjectName(QStringLiteral("underline"));
    m_colorBox->setObjectName(QStringLiteral("color"));
    auto *colorLabel = new QLabel(QStringLiteral("色(&C):"), effects);
    colorLabel->setBuddy(m_colorBox);
    auto *effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(m_strikeOut);
    effectsLayout->addWidget(m_underline);
    effectsLayout->addWidget(colorLabel);
    effectsLayout->addWidget(m_colorBox);
    effectsLayout->addStretch();

    auto *sampleBox = new QGroupBox(QStringLiteral("サンプル"), this);
    m_sample = new QLabel(QStringLiteral("AaBbYyZz あア亜宇"), sampleBox);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    // Large sizes are clipped by the box instead of growing the dialog.
    m_sample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_sample->setMinimumSize(200, 60);
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(m_sample);
    grid->addWidget(effects, 3, 0);
    grid->addWidget(sampleBox, 3, 1, 1, 2);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FontDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FontDialog::reject);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto *top = new QHBoxLayout(this);
    top->addLayout(grid, 1);
    top->addLayout(buttons);

    connect(m_faceEdit, &QLineEdit::textEdited, this, &FontDialog::onFaceEdited);
    connect(m_faceList, &QListWidget::currentRowChanged, this, &FontDialog::onFaceRow);
    connect(m_styleList, &QListWidget::currentRowChanged, this, &FontDialog::onStyleRow);
    connect(m_sizeEdit, &QLineEdit::textChanged, this, &FontDialog::onSizeEdited);
    connect(m_sizeList, &QListWidget::currentRowChanged, this, &FontDialog::onSizeRow);
    connect(m_strikeOut, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(m_underline, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(m_colorBox, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
}

void FontDialog::fillFaces()
{
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        if (!QFontDatabase::isPrivateFamily(family))
            m_faceList->addItem(family);
    }
}

void FontDialog::fillStyles(int32_t initialWeight)
{
    m_styles = {{QStringLiteral("標準"), LogFont::FW_NORMAL, false},
                {QStringLiteral("斜体"), LogFont::FW_NORMAL, true},
                {QStringLiteral("太字"), LogFont::FW_BOLD, false},
                {QStringLiteral("太字 斜体"), LogFont::FW_BOLD, true}};
    // Another weight (a medium or light face) is offered as it came, so it is kept when the
    // user does not pick a style.
    const int32_t w = qBound(0, initialWeight, 1000);
    if (w != 0 && std::find(std::begin(kStandardWeights), std::end(kStandardWeights), w) ==
                      std::end(kStandardWeights)) {
        m_styles.append({QStringLiteral("太さ %1").arg(w), w, false});
        m_styles.append({QStringLiteral("太さ %1 斜体").arg(w), w, true});
    }
    for (const Style &s : std::as_const(m_styles))
        m_styleList->addItem(s.name);
}

void FontDialog::fillSizes()
{
    for (int points : kListSizes)
        m_sizeList->addItem(QString::number(points));
}

void FontDialog::fillColors(uint32_t colorref)
{
    colorref &= 0x00FFFFFF;
    int current = -1;
    for (const StandardColor &c : standardColors()) {
        if (c.colorref == colorref)
            current = m_colorBox->count();
        m_colorBox->addItem(swatch(c.colorref), QString::fromUtf16(c.name), c.colorref);
    }
    if (current < 0) {
        // A colour outside the box's set is kept as its own entry.
        current = m_colorBox->count();
        m_colorBox->addItem(swatch(colorref), QStringLiteral("カスタム"), colorref);
    }
    m_colorBox->setCurrentIndex(current);
}

void FontDialog::selectFace(const QString &face)
{
    m_faceEdit->setText(face);
    auto matches = m_faceList->findItems(face, Qt::MatchFixedString);
    if (matches.isEmpty())
        matches = m_faceList->findItems(resolvedFamily(face), Qt::MatchFixedString);
    m_syncing = true;   // the edit keeps the face as named
    m_faceList->setCurrentItem(matches.isEmpty() ? nullptr : matches.first());
    m_syncing = false;
    if (!matches.isEmpty())
        m_faceList->scrollToItem(matches.first(), QAbstractItemView::PositionAtTop);
}

void FontDialog::onFaceEdited(const QString &text)
{
    auto matches = m_faceList->findItems(text.trimmed(), Qt::MatchFixedString);
    if (matches.isEmpty())
        matches = m_faceList->findItems(text.trimmed(), Qt::MatchStartsWith);
    m_syncing = true;
    if (!matches.isEmpty()) {
        m_faceList->setCurrentItem(matches.first());
        m_faceList->scrollToItem(matches.first(), QAbstractItemView::PositionAtTop);
    }
    m_syncing = false;
    updateSample();
}

void FontDialog::onFaceRow(int row)
{
    if (m_syncing || row < 0)
        return;
    m_faceEdit->setText(m_faceList->item(row)->text());
    updateSample();
}

void FontDialog::onStyleRow(int row)
{
    if (row >= 0)
        m_styleEdit->setText(m_styles[row].name);
    updateSample();
}

void FontDialog::onSizeEdited(const QString &text)
{
    const int tenths = parseTenths(text);
    int row = -1;
    for (int i = 0; i < m_sizeList->count(); ++i) {
        if (tenths == kListSizes[i] * 10)
            row = i;
    }
    m_syncing = true;
    m_sizeList->setCurrentRow(row);
    m_syncing = false;
    updateSample();
}

void FontDialog::onSizeRow(int row)
{
    if (m_syncing || row < 0)
        return;
    m_sizeEdit->setText(m_sizeList->item(row)->text());
}

QString FontDialog::chosenFace() const
{
    return m_faceEdit->text().trimmed().left(LogFont::kFaceMax);
}

QFont FontDialog::sampleFont() const
{
    QFont f(chosenFace());
    const int row = m_styleList->currentRow();
    const Style style = row >= 0 ? m_styles[row] : Style{QString(), LogFont::FW_NORMAL, false};
    f.setWeight(QFont::Weight(qBound(1, int(style.weight), 1000)));
    f.setItalic(style.italic);
    f.setUnderline(m_underline->isChecked());
    f.setStrikeOut(m_strikeOut->isChecked());
    const int tenths = parseTenths(m_sizeEdit->text());
    f.setPointSizeF((tenths ? tenths : kDefaultTenths) / 10.0);
    return f;
}

void FontDialog::updateSample()
{
    if (!m_sample || !m_colorBox || !m_sizeEdit || !m_styleList)
        return;
    m_sample->setFont(sampleFont());
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::WindowText, ColorFromRef(color()));
    m_sample->setPalette(pal);
}

void FontDialog::accept()
{
    const QString caption = QStringLiteral("フォント");
    if (chosenFace().isEmpty()) {
        MsgBox::show(this, QStringLiteral("フォント名を選択してください。"), caption,
                     MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
        m_faceEdit->setFocus();
        return;
    }
    if (!parseTenths(m_sizeEdit->text())) {
        MsgBox::show(this, QStringLiteral("サイズは 1 から 1638 までの数値を入力してください。"),
                     caption, MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
        m_sizeEdit->setFocus();
        m_sizeEdit->selectAll();
        return;
    }
    QDialog::accept();
}

LogFont FontDialog::logFont() const
{
    LogFont lf = m_initial;   // width, escapement, precisions and quality pass through
    const int row = m_styleList->currentRow();
    const Style style = row >= 0 ? m_styles[row] : Style{QString(), LogFont::FW_NORMAL, false};
    lf.lfWeight = style.weight;
    lf.lfItalic = style.italic ? 1 : 0;
    lf.lfUnderline = m_underline->isChecked() ? 1 : 0;
    lf.lfStrikeOut = m_strikeOut->isChecked() ? 1 : 0;
    const int tenths = pointSizeTenths();
    lf.lfHeight = heightFromTenths(tenths, m_initial.lfHeight > 0);
    const QString face = chosenFace();
    if (face.compare(m_initial.lfFaceName.left(LogFont::kFaceMax), Qt::CaseInsensitive) != 0) {
        // Another face: its character set and pitch come from the font itself.
        const QString family = resolvedFamily(face);
        lf.lfCharSet = QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)
                           ? LogFont::SHIFTJIS_CHARSET
                           : LogFont::ANSI_CHARSET;
        lf.lfPitchAndFamily = QFontDatabase::isFixedPitch(family)
                                  ? (LogFont::FIXED_PITCH | LogFont::FF_MODERN)
                                  : (LogFont::VARIABLE_PITCH | LogFont::FF_SWISS);
    }
    lf.lfFaceName = face;
    return lf;
}

uint32_t FontDialog::color() const
{
    return m_colorBox->currentData().toUInt();
}

int FontDialog::pointSizeTenths() const
{
    const int tenths = parseTenths(m_sizeEdit->text());
    return tenths ? tenths : kDefaultTenths;
}

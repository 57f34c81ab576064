#include "platform/engine/textstyle.h"

#include <QChar>
#include <QPaintDevice>
#include <QtMath>

#include <algorithm>
#include <array>
#include <memory>

namespace {

// Blocks whose characters are one glyph each with an advance of their own, as far as the
// font engine goes when shaping is not asked for. Characters in them that combine, join,
// run right to left or are invisible are taken out again by category below.
constexpr char16_t kSimpleBlocks[][2] = {
    {0x0020, 0x007E},  // printable ASCII
    {0x00A0, 0x024F},  // Latin-1 supplement, Latin extended A and B
    {0x0370, 0x03FF},  // Greek
    {0x0400, 0x04FF},  // Cyrillic
    {0x2000, 0x27BF},  // punctuation, super/subscripts, currency, letterlike, number forms,
                       // arrows, mathematical operators, technical, control pictures, enclosed
                       // alphanumerics, box drawing, blocks, shapes, symbols, dingbats
    {0x2E80, 0x33FF},  // CJK radicals, symbols and punctuation, kana, enclosed CJK, CJK compatibility
    {0x3400, 0x4DBF},  // CJK ideographs extension A
    {0x4E00, 0x9FFF},  // CJK ideographs
    {0xAC00, 0xD7A3},  // Hangul syllables (precomposed, nothing to join)
    {0xE000, 0xE757},  // the private-use characters CP932 maps its user-defined area to
    {0xEF80, 0xEFFF},  // escapes of undecodable bytes
    {0xF8F0, 0xF8F3},  // private-use characters of CP932's vendor area
    {0xF900, 0xFAFF},  // CJK compatibility ideographs
    {0xFE30, 0xFE4F},  // CJK compatibility forms
    {0xFF00, 0xFFEF},  // half-width and full-width forms
};

bool isPrivateUseAllowed(char16_t c)
{
    return (c >= 0xE000 && c <= 0xE757) || (c >= 0xEF80 && c <= 0xEFFF) || (c >= 0xF8F0 && c <= 0xF8F3);
}

// Within the blocks, what would need QTextLayout: marks that combine with the character
// before, format and control characters (zero-width joiners, direction marks, ...), line and
// paragraph separators (QTextLayout breaks at them), unassigned code points, and anything
// written right to left.
bool needsLayout(char16_t c)
{
    const QChar ch(c);
    switch (ch.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Other_PrivateUse:
        return !isPrivateUseAllowed(c);
    default:
        break;
    }
    const QChar::Direction dir = ch.direction();
    return dir == QChar::DirR || dir == QChar::DirAL;
}

// One bit per UTF-16 code unit, built once.
using SimpleTable = std::array<quint64, 0x10000 / 64>;

SimpleTable buildSimpleTable()
{
    SimpleTable table{};
    auto set = [&table](char16_t c) { table[c >> 6] |= quint64(1) << (c & 63); };
    set(u'\t');
    for (const auto &block : kSimpleBlocks) {
        for (char32_t c = block[0]; c <= block[1]; ++c) {
            if (!needsLayout(char16_t(c)))
                set(char16_t(c));
        }
    }
    return table;
}

const SimpleTable &simpleTable()
{
    static const SimpleTable table = buildSimpleTable();
    return table;
}

constexpr int kPageBits = 8;
constexpr int kPageSize = 1 << kPageBits;
constexpr int kPages = 0x10000 / kPageSize;
constexpr float kUnknown = -1.0f;

bool isEscape(char16_t c)
{
    return c >= 0xEF80 && c <= 0xEFFF;
}

} // namespace

struct TextStyle::Private {
    QFont font;
    QFontMetricsF metrics;
    qreal lineHeight = 0;
    qreal ascent = 0;
    qreal tabWidth = 0;
    qreal escapeWidth = 0;
    // Advances in pages of 256 characters, allocated when a character of the page is first
    // measured; kUnknown until then. A text uses a few pages, and a lookup is two loads.
    mutable std::array<std::unique_ptr<float[]>, kPages> pages;

    Private(const QFont &f, QPaintDevice *device);
    qreal fill(char16_t c) const;
};

namespace {

// Kerning and optional shaping off: with them, a run's width would not be the sum of its
// characters' advances. Resolved for device, so that QTextLayout and the metrics agree with
// what a painter on it draws.
QFont unshapedFont(const QFont &font, QPaintDevice *device)
{
    QFont f(font);
    f.setKerning(false);
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::PreferNoShaping));
    return device ? QFont(f, device) : f;
}

} // namespace

TextStyle::Private::Private(const QFont &f, QPaintDevice *device)
    : font(unshapedFont(f, device)), metrics(font)
{
    // Whole pixels, so that rows stacked at multiples of the height keep their baselines on
    // the pixel grid and look alike.
    lineHeight = std::max(1, qCeil(metrics.ascent() + metrics.descent()));
    ascent = std::min(lineHeight, qreal(qRound(metrics.ascent())));
    tabWidth = 8 * metrics.horizontalAdvance(QLatin1Char(' '));
    if (tabWidth <= 0)
        tabWidth = 1;
    // A full-width cell: room for two hex digits side by side in most fonts, and escapes keep
    // to the grid of the Japanese text around them.
    escapeWidth = metrics.horizontalAdvance(QChar(0x3000));
    if (escapeWidth <= 0)
        escapeWidth = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
}

qreal TextStyle::Private::fill(char16_t c) const
{
    std::unique_ptr<float[]> &page = pages[c >> kPageBits];
    if (!page) {
        page = std::make_unique<float[]>(kPageSize);
        std::fill(page.get(), page.get() + kPageSize, kUnknown);
    }
    qreal advance;
    if (isEscape(c))
        advance = escapeWidth;
    else if (c == u'\t')
        advance = tabWidth;  // a tab's advance depends on where it stands; this is the most
    else
        advance = std::max<qreal>(0, metrics.horizontalAdvance(QChar(c)));
    page[c & (kPageSize - 1)] = float(advance);
    return page[c & (kPageSize - 1)];
}

TextStyle::TextStyle(const QFont &font, QPaintDevice *device) : d(std::make_unique<Private>(font, device)) {}

TextStyle::~TextStyle() = default;

const QFont &TextStyle::font() const
{
    return d->font;
}

const QFontMetricsF &TextStyle::metrics() const
{
    return d->metrics;
}

qreal TextStyle::lineHeight() const
{
    return d->lineHeight;
}

qreal TextStyle::ascent() const
{
    return d->ascent;
}

qreal TextStyle::tabWidth() const
{
    return d->tabWidth;
}

bool TextStyle::isSimple(char16_t c)
{
    return (simpleTable()[c >> 6] >> (c & 63)) & 1;
}

qreal TextStyle::advance(char16_t c) const
{
    if (const float *page = d->pages[c >> kPageBits].get(); Q_LIKELY(page)) {
        const float a = page[c & (kPageSize - 1)];
        if (Q_LIKELY(a >= 0))
            return a;
    }
    return d->fill(c);
}

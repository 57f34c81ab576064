#include "platform/base/encoding.h"

#include "platform/base/eucjpcodec.h"
#include "platform/base/utf16codec.h"
#include "platform/base/utf8codec.h"

namespace {

bool startsWithBom(Encoding encoding, QByteArrayView bytes)
{
    const QByteArrayView bom = Encodings::byteOrderMark(encoding);
    return !bom.isEmpty() && bytes.startsWith(bom);
}

} // namespace

namespace Encodings {

const QList<Encoding> &all()
{
    static const QList<Encoding> list{Encoding::Cp932,   Encoding::Utf8,    Encoding::Utf8Bom,
                                      Encoding::Utf16Le, Encoding::Utf16Be, Encoding::EucJp};
    return list;
}

QString name(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Cp932: return QStringLiteral("SJIS");
    case Encoding::Utf8: return QStringLiteral("UTF-8");
    case Encoding::Utf8Bom: return QStringLiteral("UTF-8 BOM");
    case Encoding::Utf16Le: return QStringLiteral("UTF-16LE");
    case Encoding::Utf16Be: return QStringLiteral("UTF-16BE");
    case Encoding::EucJp: return QStringLiteral("EUC-JP");
    }
    return QString();
}

QByteArrayView byteOrderMark(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8Bom: return QByteArrayView("\xEF\xBB\xBF", 3);
    case Encoding::Utf16Le: return QByteArrayView("\xFF\xFE", 2);
    case Encoding::Utf16Be: return QByteArrayView("\xFE\xFF", 2);
    default: return QByteArrayView();
    }
}

QString decode(Encoding encoding, QByteArrayView bytes, QList<CodePage::Variant> *variants, bool *bom)
{
    const bool hasBom = startsWithBom(encoding, bytes);
    if (bom)
        *bom = hasBom;
    if (hasBom)
        bytes = bytes.sliced(byteOrderMark(encoding).size());
    switch (encoding) {
    case Encoding::Cp932: return CodePage::decode(bytes, variants);
    case Encoding::Utf8:
    case Encoding::Utf8Bom: return Utf8Codec::decode(bytes);
    case Encoding::Utf16Le: return Utf16Codec::decode(bytes, false);
    case Encoding::Utf16Be: return Utf16Codec::decode(bytes, true);
    case Encoding::EucJp: return EucJpCodec::decode(bytes, variants);
    }
    return QString();
}

QByteArray encode(Encoding encoding, QStringView text, const QList<CodePage::Variant> &variants,
                  QList<qsizetype> *unencodable, bool withBom)
{
    QByteArray body;
    switch (encoding) {
    case Encoding::Cp932: return CodePage::encode(text, variants, unencodable);
    case Encoding::Utf8:
    case Encoding::Utf8Bom: body = Utf8Codec::encode(text, unencodable); break;
    case Encoding::Utf16Le: body = Utf16Codec::encode(text, false); break;
    case Encoding::Utf16Be: body = Utf16Codec::encode(text, true); break;
    case Encoding::EucJp: return EucJpCodec::encode(text, variants, unencodable);
    }
    const QByteArrayView bom = byteOrderMark(encoding);
    if (withBom && !bom.isEmpty())
        body.prepend(bom);
    return body;
}

QList<qsizetype> readBackChanges(Encoding encoding, QByteArrayView bytes, QStringView text, bool withBom)
{
    const QByteArrayView bom = byteOrderMark(encoding);
    if (withBom && !bom.isEmpty())
        bytes = bytes.sliced(bom.size());
    switch (encoding) {
    case Encoding::Cp932: return CodePage::readBackChanges(bytes, text);
    case Encoding::Utf8:
    case Encoding::Utf8Bom: return Utf8Codec::readBackChanges(bytes, text);
    case Encoding::Utf16Le: return Utf16Codec::readBackChanges(bytes, text, false);
    case Encoding::Utf16Be: return Utf16Codec::readBackChanges(bytes, text, true);
    case Encoding::EucJp: return EucJpCodec::readBackChanges(bytes, text);
    }
    return {};
}

bool canEncode(Encoding encoding, char32_t ch)
{
    switch (encoding) {
    case Encoding::Cp932: return CodePage::canEncode(ch);
    case Encoding::EucJp: return EucJpCodec::canEncode(ch);
    case Encoding::Utf8:
    case Encoding::Utf8Bom: return ch < 0xD800 || ch > 0xDFFF;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: return true;
    }
    return false;
}

} // namespace Encodings

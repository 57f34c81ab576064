#pragma once
// The text the benchmarks load: a generated 16 MiB CP932 file.
#include "platform/base/codepage.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

constexpr qsizetype kFileBytes = 16 * 1024 * 1024;

// Japanese prose, a little ASCII and half-width katakana, lines of uneven length, some
// empty; every line ends with lineBreak. With withVariants, every line holds a character in
// a byte form Windows does not write (NEC-selected IBM extension ED40).
inline QByteArray makeText(const char *lineBreak, bool withVariants)
{
    static const char16_t *const phrases[] = {
        u"吾輩は猫である。", u"名前はまだ無い。", u"どこで生れたかとんと見当がつかぬ。",
        u"何でも薄暗いじめじめした所で", u"ニャーニャー泣いていた事だけは記憶している。",
        u"東京都千代田区の会議室で、", u"来週の打ち合わせについて確認します。",
        u"ﾃﾞｰﾀﾍﾞｰｽのﾊﾞｯｸｱｯﾌﾟを取得しました。", u"（注）本資料は社外秘です。",
        u"ＰＫＬ登録の手順：", u"「保存」ボタンを押してください。", u"第３章　実験の結果と考察",
        u"int main(void) { return 0; }", u"http://www.example.co.jp/index.html",
        u"2024年4月1日（月）午前10時", u"①②③　ⅰⅱⅲ　㈱㈲", u"漢字・ひらがな・カタカナ",
        u"    インデントされた行", u"\t表の列\t値\t備考",
    };
    constexpr int phraseCount = int(sizeof phrases / sizeof phrases[0]);
    QRandomGenerator random(20240401);
    QByteArray bytes;
    bytes.reserve(kFileBytes + 4096);
    while (bytes.size() < kFileBytes) {
        QString line;
        const int parts = random.bounded(8) == 0 ? 0 : 1 + random.bounded(4);
        for (int i = 0; i < parts; ++i)
            line += QString::fromUtf16(phrases[random.bounded(phraseCount)]);
        bytes += CodePage::encode(line);
        if (withVariants)
            bytes += "\xED\x40";
        bytes += lineBreak;
    }
    bytes.truncate(kFileBytes);
    return bytes;
}


// The generated text in whole characters: the file is cut at 16 MiB, perhaps in a pair, and
// its last byte is then an escape, which no encoding but CP932 writes as valid text.
inline QString wholeCharacters(const QByteArray &cp932)
{
    QString text = CodePage::decode(cp932);
    while (!text.isEmpty() && CodePage::isEscape(text.back()))
        text.chop(1);
    return text;
}

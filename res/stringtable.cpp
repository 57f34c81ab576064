// The string table: titles, the document string, the status-bar prompts with their tooltips
// ("prompt\ntooltip"), the recent-file and window-menu prompts and the indicator texts.
#include "res/resources.h"
#include "res/resource.h"

#include "platform/framework/syscommands.h"

#include <QHash>

namespace Res {
namespace {

struct Entry {
    int id;
    const char16_t *text;
};

const Entry kStrings[] = {
    // Titles and the document string (window title, document name, new-file type, filter
    // name, filter extension, file-type id, file-type name).
    {IDR_MAINFRAME, u"NYO"},
    {IDR_NYOTYPE, u"\n無題\nNYO\n\n\nNYO.Document\nNYO Document"},
    {AFX_IDS_APP_TITLE, u"NYO"},
    {AFX_IDS_IDLEMESSAGE, u"ﾚﾃﾞｨ"},

    // File
    {ID_FILE_NEW, u"新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {ID_FILE_OPEN, u"既存のﾌｧｲﾙを開く\n開く"},
    {ID_FILE_CLOSE, u"作業中のﾌｧｲﾙを閉じる\n閉じる"},
    {ID_FILE_SAVE, u"作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {ID_FILE_SAVE_AS, u"作業中のﾌｧｲﾙを新しい名前で保存\n名前をつけて保存"},
    {ID_FILE_REOPEN_ENCODING, u"作業中のﾌｧｲﾙをｴﾝｺｰﾄﾞを指定して開き直す\nｴﾝｺｰﾄﾞを指定して開き直す"},
    {ID_FILE_PAGE_SETUP, u"印刷ｵﾌﾟｼｮﾝの変更\nﾍﾟｰｼﾞ ﾚｲｱｳﾄの設定"},
    {ID_FILE_PRINT_SETUP, u"ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更\n印刷設定"},
    {ID_FILE_PRINT, u"作業中のﾌｧｲﾙを印刷\n印刷"},
    {ID_FILE_PRINT_PREVIEW, u"印刷ｲﾒｰｼﾞを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {ID_FILE_SEND_MAIL, u"電子メールでドキュメントを送信します。"},
    {ID_APP_EXIT, u"ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},

    // Edit
    {ID_EDIT_CLEAR, u"選択範囲を消去\n消去"},
    {ID_EDIT_COPY, u"選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {ID_EDIT_CUT, u"選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\n切り取り"},
    {ID_EDIT_FIND, u"指定した文字列の検索\n検索"},
    {ID_EDIT_PASTE, u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {ID_EDIT_REPEAT, u"直前に行った動作を繰り返す\n繰り返し"},
    {ID_EDIT_REPLACE, u"指定した文字列を他の文字列で置換\n置換"},
    {ID_EDIT_SELECT_ALL, u"ﾌｧｲﾙ内のすべてを選択\nすべて選択"},
    {ID_EDIT_UNDO, u"直前に行った動作を元に戻す\n元に戻す"},

    // View
    {ID_VIEW_TOOLBAR, u"ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {ID_VIEW_STATUS_BAR, u"ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
    {ID_VIEW_WORDWRAP, u"テキストを右端で折り返す\n右端で折り返す"},
    {ID_VIEW_TOPMOST, u"常に手前に表示\n常に手前に表示"},
    {ID_VIEW_REDRAW, u"文章を再描画します。\n再描画"},

    // Paste Key List
    {ID_PKL_PICK, u"Ｐａｓｔｅ Ｋｅｙ Ｌｉｓｔ 機能"},
    {ID_PKL_REGISTER, u"Ｐａｓｔｅ Ｋｅｙ Ｌｉｓｔ の登録"},
    {ID_PKL_EDIT, u"Ｐａｓｔｅ Ｋｅｙ Ｌｉｓｔ の編集"},

    // Jump
    {ID_JUMP_TOP, u"ファイルの先頭にカーソルを移動"},
    {ID_JUMP_END, u"ファイルの最後にカーソルを移動"},
    {ID_JUMP_BACK, u"元の位置にカーソルを移動"},
    {ID_JUMP_GOTO, u"指定位置にカーソルを移動\nジャンプ"},
    {ID_JUMP_MARK, u"現在の行を保存する\n現在の行を保存する"},

    // Settings
    {ID_FORMAT_FONT, u"表示用フォントの変更\n表示用フォントの変更"},
    {ID_FORMAT_PRINTFONT, u"印刷用フォントの変更\n印刷用フォントの変更"},
    {ID_FORMAT_BACKCOLOR, u"背景色を変更する\n背景色を変更する"},
    {ID_SETTINGS_MAINFRAME, u"起動時の親フレームの設定\n親フレームの設定"},
    {ID_SETTINGS_CHILDFRAME, u"起動時の子フレームの設定\n子フレームの設定"},
    {ID_SETTINGS_INDENT, u"インデントの設定\nインデントの設定"},
    {ID_SETTINGS_AUTOSAVE, u"自動保存の設定"},
    {ID_SETTINGS_HISTORY, u"最近使ったファイルの設定\n最近使ったファイルの設定"},
    {ID_LINK_DESKTOP, u"デスクトップにＮＹＯのショートカットを作成\nデスクトップにＮＹＯのショートカットを作成"},
    {ID_LINK_SENDTO, u"「送る」にＮＹＯのショートカットを作成\n「送る」にＮＹＯのショートカットを作成"},

    // Window
    {ID_WINDOW_NEW, u"作業中のｳｨﾝﾄﾞｳを複写して表示\n新規ｳｨﾝﾄﾞｳ"},
    {ID_WINDOW_ARRANGE, u"ｳｨﾝﾄﾞｳの下部にｱｲｺﾝを整列\nｱｲｺﾝの整列"},
    {ID_WINDOW_CASCADE, u"ｳｨﾝﾄﾞｳを重ねて表示\n重ねて表示"},
    {ID_WINDOW_TILE_HORZ, u"ｳｨﾝﾄﾞｳを水平に並べて表示\n水平に並べて表示"},
    {ID_WINDOW_TILE_VERT, u"ｳｨﾝﾄﾞｳを垂直に並べて表示\n垂直に並べて表示"},
    {ID_WINDOW_NEXT, u"次のウィンドウに移動\n次のウィンドウ"},
    {ID_WINDOW_PREV, u"前のウィンドウに移動\n前のウィンドウ"},
    {ID_WINDOW_HIDE, u"現在のウィンドウを隠す\n非表示"},
    {ID_WINDOW_SHOW, u"隠したウィンドウを表示\n表示"},
    {ID_NEXT_PANE, u"次のｳｨﾝﾄﾞｳに切り替える\n次のﾍﾟｲﾝ"},
    {ID_PREV_PANE, u"前のｳｨﾝﾄﾞｳに切り替える\n前のﾍﾟｲﾝ"},

    // Help
    {ID_HELP_README, u"Readmeを表示\nReadmeを表示"},
    {ID_HELP_HELP, u"ヘルプを表示\nヘルプを表示"},
    {ID_HELP_HOMEPAGE, u"星影舎のＨＰへ\n星影舎のＨＰへ"},
    {ID_APP_ABOUT, u"ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},

    // System menu and MDI window list
    {AFX_IDS_SCSIZE, u"ｳｨﾝﾄﾞｳのｻｲｽﾞを変更"},
    {AFX_IDS_SCMOVE, u"ｳｨﾝﾄﾞｳの位置を変更"},
    {AFX_IDS_SCMINIMIZE, u"ｳｨﾝﾄﾞｳを最小化する"},
    {AFX_IDS_SCMAXIMIZE, u"ｳｨﾝﾄﾞｳを最大化する"},
    {AFX_IDS_SCNEXTWINDOW, u"次のｳｨﾝﾄﾞｳに切り替える"},
    {AFX_IDS_SCPREVWINDOW, u"前のｳｨﾝﾄﾞｳに切り替える"},
    {AFX_IDS_SCCLOSE, u"作業中のｳｨﾝﾄﾞｳを閉じ、変更したﾌｧｲﾙの保存を指示"},
    {AFX_IDS_SCRESTORE, u"ｳｨﾝﾄﾞｳを通常のｻｲｽﾞに戻す"},
    {AFX_IDS_SCTASKLIST, u"ｱﾌﾟﾘｹｰｼｮﾝの切り替え"},
    {AFX_IDS_MDICHILD, u"指定のｳｨﾝﾄﾞｳを表示"},

    // Status-bar indicators
    {ID_INDICATOR_EXT, u"EXT"},
    {ID_INDICATOR_CAPS, u"CAP"},
    {ID_INDICATOR_NUM, u"NUM"},
    {ID_INDICATOR_SCRL, u"SCRL"},
    {ID_INDICATOR_OVR, u"上書"},
    {ID_INDICATOR_REC, u"記録"},
    {ID_INDICATOR_KANA, u"ｶﾅ"},
    {ID_INDICATOR_ENCODING, u"UTF-8 BOM"},  // the widest the pane shows, for its width
};

// Every recent-file entry shares one prompt.
const char16_t kRecentFilePrompt[] = u"指定のﾌｧｲﾙを開く";

const QHash<int, const char16_t *> &table()
{
    static const QHash<int, const char16_t *> strings = [] {
        QHash<int, const char16_t *> h;
        for (const Entry &e : kStrings)
            h.insert(e.id, e.text);
        for (int id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id)
            h.insert(id, kRecentFilePrompt);
        return h;
    }();
    return strings;
}

} // namespace

QString string(int id)
{
    const char16_t *text = table().value(id, nullptr);
    return text ? QString::fromUtf16(text) : QString();
}

QString prompt(int commandId)
{
    const QString s = string(commandId);
    const qsizetype lf = s.indexOf(u'\n');
    return lf < 0 ? s : s.left(lf);
}

QString tooltip(int commandId)
{
    const QString s = string(commandId);
    const qsizetype lf = s.indexOf(u'\n');
    return lf < 0 ? QString() : s.mid(lf + 1);
}

} // namespace Res

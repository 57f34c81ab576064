// Menu bars 128 (no document open), 129 (a document window active) and 6 (an embedded object
// active in place), and the texts of a document window's system menu. Key names follow a tab
// in the item text. The main window shows 128 and 129 only; bar 6 stays with its keyboard
// table as part of the resources, whose checks cover it. The bars share their pieces.
#include "res/resources.h"
#include "res/resource.h"

#include "platform/framework/syscommands.h"

#include <QMenu>

namespace Res {
namespace {

MenuItem cmd(int id, const char16_t *text)
{
    MenuItem item;
    item.kind = MenuItem::Command;
    item.id = id;
    item.text = QString::fromUtf16(text);
    return item;
}

MenuItem sep()
{
    MenuItem item;
    item.kind = MenuItem::Separator;
    return item;
}

MenuItem popup(const char16_t *text, QList<MenuItem> children)
{
    MenuItem item;
    item.kind = MenuItem::Popup;
    item.text = QString::fromUtf16(text);
    item.children = std::move(children);
    return item;
}

// The framework fills the recent-file entries in at the place of this disabled item.
MenuItem recentFilePlaceholder()
{
    MenuItem item = cmd(ID_FILE_MRU_FIRST, u"最近使ったﾌｧｲﾙ");
    item.grey = true;
    return item;
}

// The File menu of every bar: new and open, the printer, the recent files and leaving. The
// bars differ only in what they offer for an active document.
struct FileMenuParts {
    bool documentCommands;   // close, save and print the active document
    bool pageSetupAndMail;   // page setup before printing, sending by mail before leaving
    bool previewKey;         // the preview's key name, where the bar's keyboard table has it
};

MenuItem fileMenu(const FileMenuParts &parts)
{
    QList<MenuItem> items{
        cmd(ID_FILE_NEW, u"新規作成(&N)\tCtrl+N"),
        cmd(ID_FILE_OPEN, u"開く(&O)...\tCtrl+O"),
    };
    if (parts.documentCommands) {
        items << cmd(ID_FILE_CLOSE, u"閉じる(&C)") << cmd(ID_FILE_SAVE, u"上書き保存(&S)\tCtrl+S")
              << cmd(ID_FILE_SAVE_AS, u"名前を付けて保存(&A)...")
              << cmd(ID_FILE_REOPEN_ENCODING, u"ｴﾝｺｰﾄﾞを指定して開き直す(&E)...");
    }
    items << sep();
    if (parts.pageSetupAndMail)
        items << cmd(ID_FILE_PAGE_SETUP, u"ページ設定(&U)...");
    if (parts.documentCommands) {
        items << cmd(ID_FILE_PRINT, u"印刷(&P)...\tCtrl+P")
              << cmd(ID_FILE_PRINT_PREVIEW, parts.previewKey ? u"印刷ﾌﾟﾚﾋﾞｭｰ(&V)\tCtrl+Shift+P" : u"印刷ﾌﾟﾚﾋﾞｭｰ(&V)");
    }
    items << cmd(ID_FILE_PRINT_SETUP, u"ﾌﾟﾘﾝﾀの設定(&R)...") << sep() << recentFilePlaceholder() << sep();
    if (parts.pageSetupAndMail)
        items << cmd(ID_FILE_SEND_MAIL, u"送信(&D)...") << sep();
    items << cmd(ID_APP_EXIT, u"終了(&X)");
    return popup(u"ﾌｧｲﾙ(&F)", std::move(items));
}

MenuItem helpMenu()
{
    return popup(u"ﾍﾙﾌﾟ(&H)", {
        cmd(ID_HELP_README, u"Readmeを表示(&R)"),
        cmd(ID_HELP_HELP, u"ヘルプを表示(&H)"),
        sep(),
        cmd(ID_HELP_HOMEPAGE, u"星影舎のＨＰへ(&O)"),
        sep(),
        cmd(ID_APP_ABOUT, u"ﾊﾞｰｼﾞｮﾝ情報(&A)..."),
    });
}

MenuItem toolbarItem() { return cmd(ID_VIEW_TOOLBAR, u"ﾂｰﾙ ﾊﾞｰ(&T)"); }
MenuItem statusBarItem() { return cmd(ID_VIEW_STATUS_BAR, u"ｽﾃｰﾀｽ ﾊﾞｰ(&S)"); }
MenuItem topMostItem() { return cmd(ID_VIEW_TOPMOST, u"常に手前に表示(&M)"); }
MenuItem newWindowItem() { return cmd(ID_WINDOW_NEW, u"新しいｳｨﾝﾄﾞｳを開く(&N)"); }
MenuItem cascadeItem() { return cmd(ID_WINDOW_CASCADE, u"重ねて表示(&C)"); }
MenuItem arrangeItem() { return cmd(ID_WINDOW_ARRANGE, u"ｱｲｺﾝの整列(&A)"); }

// No document open: only what needs none.
QList<MenuItem> mainFrameMenu()
{
    return {
        fileMenu({false, false, false}),
        popup(u"表示(&V)", {toolbarItem(), statusBarItem(), topMostItem()}),
        helpMenu(),
    };
}

QList<MenuItem> documentMenu()
{
    return {
        fileMenu({true, true, true}),
        popup(u"編集(&E)", {
            cmd(ID_EDIT_UNDO, u"元に戻す(&U)\tCtrl+Z"),
            sep(),
            cmd(ID_EDIT_CUT, u"切り取り(&T)\tCtrl+X"),
            cmd(ID_EDIT_COPY, u"ｺﾋﾟｰ(&C)\tCtrl+C"),
            cmd(ID_EDIT_PASTE, u"貼り付け(&P)\tCtrl+V"),
            cmd(ID_EDIT_CLEAR, u"消去(&L)\tCtrl+D"),
            sep(),
            cmd(ID_EDIT_SELECT_ALL, u"すべて選択(&A)\tCtrl+A"),
            sep(),
            cmd(ID_EDIT_FIND, u"検索(&F)...\tCtrl+F"),
            cmd(ID_EDIT_REPEAT, u"次を検索(&I)\tF3"),
            cmd(ID_EDIT_REPLACE, u"置換(&E)\tCtrl+H"),
        }),
        popup(u"表示(&V)", {
            toolbarItem(),
            statusBarItem(),
            sep(),
            cmd(ID_VIEW_WORDWRAP, u"右端で折り返す(&W)"),
            topMostItem(),
            sep(),
            cmd(ID_VIEW_REDRAW, u"再描画(&R)\tF5"),
        }),
        popup(u"機能(&K)", {
            cmd(ID_PKL_PICK, u"ＰＫＬ(&P)...\tCtrl+Space"),
            cmd(ID_PKL_REGISTER, u"ＰＫＬ登録(&R)...\tCtrl+R"),
            cmd(ID_PKL_EDIT, u"ＰＫＬ編集(&H)...\tCtrl+E"),
        }),
        popup(u"ｼﾞｬﾝﾌﾟ(&J)", {
            cmd(ID_JUMP_TOP, u"ファイルの先頭(&T)\tHome"),
            cmd(ID_JUMP_END, u"ファイルの最後(&E)\tEnd"),
            cmd(ID_JUMP_BACK, u"元の位置(&P)\tCtrl+Q"),
            cmd(ID_JUMP_GOTO, u"指定位置(&A)...\tCtrl+J"),
            cmd(ID_JUMP_MARK, u"位置記憶(&M)\tCtrl+M"),
        }),
        popup(u"設定(&S)", {
            cmd(ID_FORMAT_FONT, u"表示フォントの変更(&F)..."),
            cmd(ID_FORMAT_PRINTFONT, u"印刷フォントの変更(&P)"),
            sep(),
            cmd(ID_FORMAT_BACKCOLOR, u"背景色の変更(&C)..."),
            sep(),
            cmd(ID_SETTINGS_MAINFRAME, u"親フレームの設定(&O)"),
            cmd(ID_SETTINGS_CHILDFRAME, u"子フレームの設定(&K)..."),
            sep(),
            cmd(ID_SETTINGS_INDENT, u"インデントの設定(&I)"),
            cmd(ID_SETTINGS_AUTOSAVE, u"自動保存の設定(&J)"),
            cmd(ID_SETTINGS_HISTORY, u"覆歴の設定(&H)"),
            popup(u"ショートカット作成", {
                cmd(ID_LINK_DESKTOP, u"デスクトップに追加(&D)"),
                cmd(ID_LINK_SENDTO, u"「送る」に登録(&S)"),
            }),
        }),
        popup(u"ｳｨﾝﾄﾞｳ(&W)", {
            newWindowItem(),
            cascadeItem(),
            arrangeItem(),
            sep(),
            cmd(ID_WINDOW_TILE_VERT, u"垂直タイル表示(&V)\tF11"),
            cmd(ID_WINDOW_TILE_HORZ, u"水平タイル表示(&W)\tF12"),
            cmd(ID_WINDOW_NEXT, u"次のウィンドウ(&F)\tAlt+PageUp"),
            cmd(ID_WINDOW_PREV, u"前のウィンドウ(&P)\tAlt+PageDown"),
            cmd(ID_WINDOW_HIDE, u"ウィンドウ非表示(&H)"),
            cmd(ID_WINDOW_SHOW, u"ウィンドウ表示(&S)"),
        }),
        helpMenu(),
    };
}

// Only the File and Window menus stay while an object is active in place; the object's own
// menus go between them when the two bars are merged.
QList<MenuItem> inPlaceMenu()
{
    return {
        fileMenu({true, false, false}),
        popup(u"ｳｨﾝﾄﾞｳ(&W)", {
            newWindowItem(),
            cascadeItem(),
            cmd(ID_WINDOW_TILE_HORZ, u"並べて表示(&T)"),
            arrangeItem(),
        }),
    };
}

// A document window's system menu: the window lays out the framework's items and takes their
// texts from here, in the style of the framework's own items.
QList<MenuItem> childSystemMenu()
{
    return {
        cmd(AFX_IDS_SCRESTORE, u"元のｻｲｽﾞに戻す(&R)"),
        cmd(AFX_IDS_SCMOVE, u"移動(&M)"),
        cmd(AFX_IDS_SCSIZE, u"ｻｲｽﾞ変更(&S)"),
        cmd(AFX_IDS_SCMINIMIZE, u"最小化(&N)"),
        cmd(AFX_IDS_SCMAXIMIZE, u"最大化(&X)"),
        sep(),
        cmd(AFX_IDS_SCCLOSE, u"閉じる(&C)\tCtrl+F4"),
        sep(),
        cmd(AFX_IDS_SCNEXTWINDOW, u"次のｳｨﾝﾄﾞｳ(&T)\tCtrl+F6"),
    };
}

const MenuItem *findCommand(const QList<MenuItem> &items, int commandId)
{
    for (const MenuItem &item : items) {
        if (item.kind == MenuItem::Command && item.id == commandId)
            return &item;
        if (item.kind == MenuItem::Popup) {
            if (const MenuItem *found = findCommand(item.children, commandId))
                return found;
        }
    }
    return nullptr;
}

} // namespace

QList<MenuItem> menuBar(int resourceId)
{
    switch (resourceId) {
    case IDR_MAINFRAME:
        return mainFrameMenu();
    case IDR_NYOTYPE:
        return documentMenu();
    case IDR_NYOTYPE_CNTR_IP:
        return inPlaceMenu();
    default:
        return {};
    }
}

QList<MenuItem> viewContextMenu()
{
    return {
        cmd(ID_EDIT_UNDO, u"元に戻す(&U)"),
        sep(),
        cmd(ID_EDIT_CUT, u"切り取り(&T)"),
        cmd(ID_EDIT_COPY, u"コピー(&C)"),
        cmd(ID_EDIT_PASTE, u"貼り付け(&P)"),
        cmd(ID_EDIT_CLEAR, u"消去(&L)"),
        sep(),
        cmd(ID_EDIT_SELECT_ALL, u"すべて選択(&A)"),
        sep(),
        cmd(ID_PKL_REGISTER, u"ＰＫＬ登録(&R)"),
    };
}

void fillMenu(QMenu *menu, const QList<MenuItem> &items)
{
    for (const MenuItem &item : items) {
        switch (item.kind) {
        case MenuItem::Separator:
            menu->addSeparator();
            break;
        case MenuItem::Popup:
            fillMenu(menu->addMenu(item.text), item.children);
            break;
        case MenuItem::Command: {
            QAction *action = menu->addAction(item.text);
            action->setData(item.id);
            action->setStatusTip(prompt(item.id));
            if (item.grey) {
                action->setEnabled(false);
                action->setObjectName(QStringLiteral("mruPlaceholder"));
            }
            break;
        }
        }
    }
}

QString menuText(int commandId)
{
    for (int bar : {IDR_NYOTYPE, IDR_MAINFRAME, IDR_NYOTYPE_CNTR_IP}) {
        const QList<MenuItem> items = menuBar(bar);
        if (const MenuItem *item = findCommand(items, commandId))
            return item->text;
    }
    const QList<MenuItem> system = childSystemMenu();
    if (const MenuItem *item = findCommand(system, commandId))
        return item->text;
    return {};
}

} // namespace Res

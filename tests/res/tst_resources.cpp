// Checks of the resource data: strings behind every command, the shape of the menu bars,
// the keyboard tables against the key names the menus show, and the toolbar images.
#include "res/resource.h"
#include "res/resources.h"

#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

void collectCommands(const QList<Res::MenuItem> &items, QList<const Res::MenuItem *> &out)
{
    for (const Res::MenuItem &item : items) {
        if (item.kind == Res::MenuItem::Command)
            out.append(&item);
        else if (item.kind == Res::MenuItem::Popup)
            collectCommands(item.children, out);
    }
}

QStringList titles(const QList<Res::MenuItem> &items)
{
    QStringList out;
    for (const Res::MenuItem &item : items)
        out.append(item.text);
    return out;
}

// The key name after the tab of a menu text, as a key sequence ("Alt+PageUp" is spelled
// "Alt+PgUp" by Qt).
QKeySequence shownKey(const QString &menuText)
{
    const qsizetype tab = menuText.indexOf(u'\t');
    if (tab < 0)
        return {};
    QString name = menuText.mid(tab + 1);
    name.replace(QLatin1String("PageUp"), QLatin1String("PgUp"));
    name.replace(QLatin1String("PageDown"), QLatin1String("PgDown"));
    return QKeySequence::fromString(name, QKeySequence::PortableText);
}

const int kMenuBars[] = {IDR_MAINFRAME, IDR_NYOTYPE, IDR_NYOTYPE_CNTR_IP};

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void everyNamedCommandHasAPrompt();
    void stringsKeepTheirExactCharacters();
    void documentStringHasSevenFields();
    void toolbarOrderAndTooltips();
    void toolbarImagesAreDistinct16By15();
    void menuBarTitlesInOrder();
    void menuShapeIsWellFormed();
    void recentFilePlaceholderIsTheOnlyGreyItem();
    void mnemonicsAreUniqueWithinEachMenu();
    void acceleratorTable128();
    void inPlaceTableIsASubsetOfTheMainTable();
    void menuKeyNamesMatchTheAcceleratorTables();
    void statusIndicators();
    void reopenInAnEncodingFollowsSaveAs();
    void programAndDocumentIcons();
};

void TestResources::everyNamedCommandHasAPrompt()
{
    QSet<int> named;
    for (int bar : kMenuBars) {
        QList<const Res::MenuItem *> items;
        const QList<Res::MenuItem> menu = Res::menuBar(bar);
        collectCommands(menu, items);
        for (const Res::MenuItem *item : items)
            named.insert(item->id);
    }
    for (int table : {IDR_MAINFRAME, IDR_NYOTYPE_CNTR_IP}) {
        for (const Res::Accelerator &a : Res::accelerators(table))
            named.insert(a.id);
    }
    for (int id : Res::toolbarButtons()) {
        if (id != 0)
            named.insert(id);
    }

    const QList<int> all = Res::allCommandIds();
    QCOMPARE(QSet<int>(all.begin(), all.end()), named);
    QVERIFY(std::is_sorted(all.begin(), all.end()));

    for (int id : named) {
        if (id == ID_ESCAPE)   // Esc only swallows the key; it has no text
            continue;
        QVERIFY2(!Res::prompt(id).isEmpty(), qPrintable(QString::number(id)));
        QVERIFY2(!Res::prompt(id).contains(u'\t'), qPrintable(QString::number(id)));
    }
    for (int id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id)
        QCOMPARE(Res::string(id), QStringLiteral("指定のﾌｧｲﾙを開く"));
    QVERIFY(Res::string(ID_FILE_MRU_FIRST - 1).isEmpty());
}

void TestResources::stringsKeepTheirExactCharacters()
{
    // Half-width and full-width katakana are mixed on purpose; these are easy to get wrong.
    QCOMPARE(Res::tooltip(ID_FILE_SAVE), QStringLiteral("保存"));
    QCOMPARE(Res::prompt(ID_FILE_SAVE), QStringLiteral("作業中のﾌｧｲﾙを上書きして保存"));
    QCOMPARE(Res::tooltip(ID_VIEW_WORDWRAP), QStringLiteral("右端で折り返す"));
    QCOMPARE(Res::prompt(ID_APP_ABOUT), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"));
    QCOMPARE(Res::prompt(ID_WINDOW_NEXT), QStringLiteral("次のウィンドウに移動"));
    QCOMPARE(Res::prompt(ID_NEXT_PANE), QStringLiteral("次のｳｨﾝﾄﾞｳに切り替える"));
    QCOMPARE(Res::tooltip(ID_FILE_PAGE_SETUP), QStringLiteral("ﾍﾟｰｼﾞ ﾚｲｱｳﾄの設定"));
    QCOMPARE(Res::prompt(ID_VIEW_TOOLBAR), QStringLiteral("ﾂｰﾙ ﾊﾞｰの 表示/非表示"));
    QCOMPARE(Res::string(ID_PKL_PICK), QStringLiteral("Ｐａｓｔｅ Ｋｅｙ Ｌｉｓｔ 機能"));
    QCOMPARE(Res::string(AFX_IDS_IDLEMESSAGE), QStringLiteral("ﾚﾃﾞｨ"));
    QCOMPARE(Res::string(61190), QStringLiteral("作業中のｳｨﾝﾄﾞｳを閉じ、変更したﾌｧｲﾙの保存を指示"));
    QCOMPARE(Res::menuText(ID_WINDOW_TILE_HORZ), QStringLiteral("水平タイル表示(&W)\tF12"));

    // A string without a line feed has no tooltip; an id without a string has neither.
    QCOMPARE(Res::prompt(ID_FILE_SEND_MAIL), QStringLiteral("電子メールでドキュメントを送信します。"));
    QVERIFY(Res::tooltip(ID_FILE_SEND_MAIL).isEmpty());
    QVERIFY(Res::tooltip(ID_JUMP_TOP).isEmpty());
    QVERIFY(Res::string(ID_ESCAPE).isEmpty());
    QVERIFY(Res::prompt(12345).isEmpty() && Res::tooltip(12345).isEmpty());
    QCOMPARE(Res::string(IDR_MAINFRAME), QStringLiteral("NYO"));
    QCOMPARE(Res::string(AFX_IDS_APP_TITLE), QStringLiteral("NYO"));
}

void TestResources::documentStringHasSevenFields()
{
    const QStringList fields = Res::string(IDR_NYOTYPE).split(u'\n');
    QCOMPARE(fields, (QStringList{QString(), QStringLiteral("無題"), QStringLiteral("NYO"),
                                  QString(), QString(), QStringLiteral("NYO.Document"),
                                  QStringLiteral("NYO Document")}));
}

void TestResources::toolbarOrderAndTooltips()
{
    const QList<QPair<int, QString>> expected = {
        {ID_FILE_NEW, QStringLiteral("新規ﾌｧｲﾙ")},
        {ID_FILE_OPEN, QStringLiteral("開く")},
        {ID_FILE_SAVE, QStringLiteral("保存")},
        {0, {}},
        {ID_EDIT_CUT, QStringLiteral("切り取り")},
        {ID_EDIT_COPY, QStringLiteral("ｺﾋﾟｰ")},
        {ID_EDIT_PASTE, QStringLiteral("貼り付け")},
        {ID_VIEW_WORDWRAP, QStringLiteral("右端で折り返す")},
        {0, {}},
        {ID_EDIT_SELECT_ALL, QStringLiteral("すべて選択")},
        {ID_EDIT_FIND, QStringLiteral("検索")},
        {ID_EDIT_REPEAT, QStringLiteral("繰り返し")},
        {ID_EDIT_REPLACE, QStringLiteral("置換")},
        {0, {}},
        {ID_VIEW_REDRAW, QStringLiteral("再描画")},
        {ID_JUMP_GOTO, QStringLiteral("ジャンプ")},
        {0, {}},
        {ID_WINDOW_TILE_VERT, QStringLiteral("垂直に並べて表示")},
        {ID_WINDOW_TILE_HORZ, QStringLiteral("水平に並べて表示")},
        {ID_WINDOW_PREV, QStringLiteral("前のウィンドウ")},
        {ID_WINDOW_NEXT, QStringLiteral("次のウィンドウ")},
        {0, {}},
        {ID_FILE_PRINT_PREVIEW, QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ")},
        {ID_FILE_PRINT, QStringLiteral("印刷")},
        {0, {}},
        {ID_APP_ABOUT, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報")},
    };
    const QList<int> buttons = Res::toolbarButtons();
    QCOMPARE(buttons.size(), expected.size());
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons[i], expected[i].first);
        if (buttons[i] != 0)
            QCOMPARE(Res::tooltip(buttons[i]), expected[i].second);
    }
}

void TestResources::toolbarImagesAreDistinct16By15()
{
    QSet<QByteArray> seen;
    for (int id : Res::toolbarButtons()) {
        if (id == 0)
            continue;
        const QIcon icon = Res::toolbarIcon(id);
        QVERIFY2(!icon.isNull(), qPrintable(QString::number(id)));
        QVERIFY(icon.availableSizes().contains(QSize(16, 15)));
        const QImage image = icon.pixmap(QSize(16, 15)).toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(16, 15));

        // A real picture on a transparent background: neither empty nor a filled block.
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
        }
        QVERIFY2(opaque >= 30 && opaque <= 15 * 15, qPrintable(QString::number(id)));
        const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()),
                               image.sizeInBytes());
        QVERIFY2(!seen.contains(bytes), qPrintable(QString::number(id)));
        seen.insert(bytes);
    }
    QCOMPARE(seen.size(), 20);
    QVERIFY(Res::toolbarIcon(0).isNull());
    QVERIFY(Res::toolbarIcon(ID_FILE_CLOSE).isNull());
}

void TestResources::menuBarTitlesInOrder()
{
    QCOMPARE(titles(Res::menuBar(IDR_NYOTYPE)),
             (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"),
                          QStringLiteral("表示(&V)"), QStringLiteral("機能(&K)"),
                          QStringLiteral("ｼﾞｬﾝﾌﾟ(&J)"), QStringLiteral("設定(&S)"),
                          QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
    QCOMPARE(titles(Res::menuBar(IDR_MAINFRAME)),
             (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"),
                          QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
    QCOMPARE(titles(Res::menuBar(IDR_NYOTYPE_CNTR_IP)),
             (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("ｳｨﾝﾄﾞｳ(&W)")}));
    QVERIFY(Res::menuBar(999).isEmpty());

    // The shortcut submenu sits last in the settings menu, desktop first.
    const Res::MenuItem settings = Res::menuBar(IDR_NYOTYPE).at(5);
    const Res::MenuItem shortcuts = settings.children.last();
    QCOMPARE(shortcuts.kind, Res::MenuItem::Popup);
    QCOMPARE(shortcuts.text, QStringLiteral("ショートカット作成"));
    QCOMPARE(shortcuts.children.size(), 2);
    QCOMPARE(shortcuts.children[0].id, ID_LINK_DESKTOP);
    QCOMPARE(shortcuts.children[1].id, ID_LINK_SENDTO);
}

void TestResources::menuShapeIsWellFormed()
{
    // Every top-level entry is a non-empty popup; separators carry nothing and never stand
    // at either end of a popup or next to each other; commands carry an id and a text.
    std::function<void(const QList<Res::MenuItem> &)> check = [&](const QList<Res::MenuItem> &items) {
        QVERIFY(!items.isEmpty());
        QVERIFY(items.first().kind != Res::MenuItem::Separator);
        QVERIFY(items.last().kind != Res::MenuItem::Separator);
        for (qsizetype i = 0; i < items.size(); ++i) {
            const Res::MenuItem &item = items[i];
            switch (item.kind) {
            case Res::MenuItem::Separator:
                QCOMPARE(item.id, 0);
                QVERIFY(item.text.isEmpty() && item.children.isEmpty());
                QVERIFY(items[i + 1].kind != Res::MenuItem::Separator);
                break;
            case Res::MenuItem::Command:
                QVERIFY(item.id != 0 && !item.text.isEmpty() && item.children.isEmpty());
                break;
            case Res::MenuItem::Popup:
                QVERIFY(!item.text.isEmpty());
                check(item.children);
                break;
            }
        }
    };
    for (int bar : kMenuBars) {
        const QList<Res::MenuItem> menu = Res::menuBar(bar);
        for (const Res::MenuItem &top : menu)
            QCOMPARE(top.kind, Res::MenuItem::Popup);
        check(menu);
    }
}

void TestResources::recentFilePlaceholderIsTheOnlyGreyItem()
{
    for (int bar : kMenuBars) {
        QList<const Res::MenuItem *> items;
        const QList<Res::MenuItem> menu = Res::menuBar(bar);
        collectCommands(menu, items);
        int grey = 0;
        for (const Res::MenuItem *item : items) {
            if (item->id == ID_FILE_MRU_FIRST) {
                QVERIFY(item->grey);
                QCOMPARE(item->text, QStringLiteral("最近使ったﾌｧｲﾙ"));
            }
            grey += item->grey ? 1 : 0;
        }
        QCOMPARE(grey, 1);
    }
}

void TestResources::mnemonicsAreUniqueWithinEachMenu()
{
    std::function<void(const QList<Res::MenuItem> &)> check = [&](const QList<Res::MenuItem> &items) {
        QSet<QChar> used;
        for (const Res::MenuItem &item : items) {
            if (item.kind == Res::MenuItem::Popup)
                check(item.children);
            if (item.kind == Res::MenuItem::Separator)
                continue;
            const QString label = item.text.section(u'\t', 0, 0);
            const qsizetype amp = label.indexOf(u'&');
            if (amp < 0)
                continue;   // the recent-file placeholder and the shortcut submenu
            QCOMPARE(label.count(u'&'), 1);
            const QChar key = label.at(amp + 1).toUpper();
            QVERIFY2(!used.contains(key), qPrintable(label));
            used.insert(key);
        }
    };
    for (int bar : kMenuBars)
        check(Res::menuBar(bar));
}

void TestResources::acceleratorTable128()
{
    const QList<Res::Accelerator> table = Res::accelerators(IDR_MAINFRAME);
    QCOMPARE(table.size(), 34);
    QSet<QKeySequence> keys;
    for (const Res::Accelerator &a : table) {
        QCOMPARE(a.key.count(), 1);
        QVERIFY2(!keys.contains(a.key), qPrintable(a.key.toString()));
        keys.insert(a.key);
    }
    QCOMPARE(table.first().id, ID_EDIT_SELECT_ALL);
    QCOMPARE(table.last().id, ID_EDIT_UNDO);

    const auto idOf = [&](const QKeySequence &key) {
        for (const Res::Accelerator &a : table) {
            if (a.key == key)
                return a.id;
        }
        return -1;
    };
    QCOMPARE(idOf(QKeySequence(Qt::ALT | Qt::Key_Backspace)), ID_EDIT_UNDO);
    QCOMPARE(idOf(QKeySequence(Qt::SHIFT | Qt::Key_Delete)), ID_EDIT_CUT);
    QCOMPARE(idOf(QKeySequence(Qt::CTRL | Qt::Key_Insert)), ID_EDIT_COPY);
    QCOMPARE(idOf(QKeySequence(Qt::SHIFT | Qt::Key_Insert)), ID_EDIT_PASTE);
    QCOMPARE(idOf(QKeySequence(Qt::ALT | Qt::Key_PageUp)), ID_WINDOW_NEXT);
    QCOMPARE(idOf(QKeySequence(Qt::ALT | Qt::Key_PageDown)), ID_WINDOW_PREV);
    QCOMPARE(idOf(QKeySequence(Qt::Key_Home)), ID_JUMP_TOP);
    QCOMPARE(idOf(QKeySequence(Qt::Key_End)), ID_JUMP_END);
    QCOMPARE(idOf(QKeySequence(Qt::Key_Escape)), ID_ESCAPE);
    QCOMPARE(idOf(QKeySequence(Qt::SHIFT | Qt::Key_F6)), ID_PREV_PANE);
    QCOMPARE(idOf(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)), ID_FILE_PRINT_PREVIEW);
    QCOMPARE(idOf(QKeySequence(Qt::CTRL | Qt::Key_Space)), ID_PKL_PICK);
    QCOMPARE(Res::keysOf(ID_EDIT_COPY),
             (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_C),
                                  QKeySequence(Qt::CTRL | Qt::Key_Insert)}));
    QVERIFY(Res::accelerators(IDR_NYOTYPE).isEmpty());
}

void TestResources::inPlaceTableIsASubsetOfTheMainTable()
{
    const QList<Res::Accelerator> main = Res::accelerators(IDR_MAINFRAME);
    const QList<Res::Accelerator> inPlace = Res::accelerators(IDR_NYOTYPE_CNTR_IP);
    QCOMPARE(inPlace.size(), 7);
    for (const Res::Accelerator &a : inPlace) {
        const bool found = std::any_of(main.begin(), main.end(), [&](const Res::Accelerator &m) {
            return m.key == a.key && m.id == a.id;
        });
        QVERIFY2(found, qPrintable(a.key.toString()));
    }
}

void TestResources::menuKeyNamesMatchTheAcceleratorTables()
{
    // The key a menu item shows must be one that really runs that command.
    int shown = 0;
    for (int bar : kMenuBars) {
        const int table = bar == IDR_NYOTYPE_CNTR_IP ? IDR_NYOTYPE_CNTR_IP : IDR_MAINFRAME;
        QList<const Res::MenuItem *> items;
        const QList<Res::MenuItem> menu = Res::menuBar(bar);
        collectCommands(menu, items);
        for (const Res::MenuItem *item : items) {
            if (!item->text.contains(u'\t'))
                continue;
            const QKeySequence key = shownKey(item->text);
            QVERIFY2(!key.isEmpty(), qPrintable(item->text));
            QVERIFY2(Res::keysOf(item->id, table).contains(key), qPrintable(item->text));
            ++shown;
        }
    }
    QVERIFY(shown >= 25);
}

// Reopening in another encoding acts on a document's file: it stands in the document's File
// menu right after Save As, and is not in the menu shown without a document.
void TestResources::reopenInAnEncodingFollowsSaveAs()
{
    QCOMPARE(Res::menuText(ID_FILE_REOPEN_ENCODING), QStringLiteral("ｴﾝｺｰﾄﾞを指定して開き直す(&E)..."));
    QCOMPARE(Res::prompt(ID_FILE_REOPEN_ENCODING), QStringLiteral("作業中のﾌｧｲﾙをｴﾝｺｰﾄﾞを指定して開き直す"));
    const auto fileMenuIds = [](int bar) {
        QList<int> ids;
        const QList<Res::MenuItem> menu = Res::menuBar(bar);
        for (const Res::MenuItem &item : menu.first().children)
            ids.append(item.id);
        return ids;
    };
    const QList<int> document = fileMenuIds(IDR_NYOTYPE);
    QCOMPARE(document.indexOf(ID_FILE_REOPEN_ENCODING), document.indexOf(ID_FILE_SAVE_AS) + 1);
    QVERIFY(!fileMenuIds(IDR_MAINFRAME).contains(ID_FILE_REOPEN_ENCODING));
}

void TestResources::statusIndicators()
{
    QStringList texts;
    for (int id : Res::statusIndicators())
        texts.append(Res::string(id));
    QCOMPARE(texts, (QStringList{QStringLiteral("ｶﾅ"), QStringLiteral("CAP"),
                                 QStringLiteral("NUM"), QStringLiteral("SCRL")}));
    QCOMPARE(Res::string(ID_INDICATOR_OVR), QStringLiteral("上書"));
}

void TestResources::programAndDocumentIcons()
{
    QList<QImage> images;
    for (int id : {IDR_MAINFRAME, IDR_NYOTYPE}) {
        const QIcon icon = Res::icon(id);
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
        const QImage image = icon.pixmap(QSize(32, 32)).toImage();
        QVERIFY(image.pixelColor(0, 0).alpha() == 0);        // transparent corner
        QVERIFY(image.pixelColor(16, 16).alpha() == 255);    // solid middle
        images.append(image);
    }
    QVERIFY(images[0] != images[1]);
    QVERIFY(Res::icon(5).isNull());
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"

// Toolbar 128 with its button images, the status-bar indicators and the list of every
// command the resources name.
#include "res/resources.h"
#include "res/resource.h"

#include <QPixmap>
#include <QSet>

#include <algorithm>

// The images live in the library's own resource file; a static library has to register it
// explicitly, and this must happen outside any namespace.
static void initResourceFile()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    Q_UNUSED(done);
}

namespace Res {
namespace {

struct Button {
    int id;
    const char *image;   // file name under :/res/toolbar, empty for a separator
};

const Button kButtons[] = {
    {ID_FILE_NEW, "new"},
    {ID_FILE_OPEN, "open"},
    {ID_FILE_SAVE, "save"},
    {0, ""},
    {ID_EDIT_CUT, "cut"},
    {ID_EDIT_COPY, "copy"},
    {ID_EDIT_PASTE, "paste"},
    {ID_VIEW_WORDWRAP, "wrap"},
    {0, ""},
    {ID_EDIT_SELECT_ALL, "selectall"},
    {ID_EDIT_FIND, "find"},
    {ID_EDIT_REPEAT, "findnext"},
    {ID_EDIT_REPLACE, "replace"},
    {0, ""},
    {ID_VIEW_REDRAW, "redraw"},
    {ID_JUMP_GOTO, "jump"},
    {0, ""},
    {ID_WINDOW_TILE_VERT, "tilevert"},
    {ID_WINDOW_TILE_HORZ, "tilehorz"},
    {ID_WINDOW_PREV, "prevwindow"},
    {ID_WINDOW_NEXT, "nextwindow"},
    {0, ""},
    {ID_FILE_PRINT_PREVIEW, "preview"},
    {ID_FILE_PRINT, "print"},
    {0, ""},
    {ID_APP_ABOUT, "about"},
};

void collectMenuIds(const QList<MenuItem> &items, QSet<int> &ids)
{
    for (const MenuItem &item : items) {
        if (item.kind == MenuItem::Command)
            ids.insert(item.id);
        else if (item.kind == MenuItem::Popup)
            collectMenuIds(item.children, ids);
    }
}

} // namespace

QList<int> toolbarButtons()
{
    QList<int> ids;
    for (const Button &b : kButtons)
        ids.append(b.id);
    return ids;
}

QIcon toolbarIcon(int commandId)
{
    if (commandId == 0)
        return {};
    for (const Button &b : kButtons) {
        if (b.id != commandId)
            continue;
        initResourceFile();
        const QPixmap image(QStringLiteral(":/res/toolbar/%1.xpm").arg(QLatin1String(b.image)));
        return image.isNull() ? QIcon() : QIcon(image);
    }
    return {};
}

QList<int> statusIndicators()
{
    return {ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
}

QList<int> allCommandIds()
{
    QSet<int> ids;
    for (int bar : {IDR_MAINFRAME, IDR_NYOTYPE, IDR_NYOTYPE_CNTR_IP})
        collectMenuIds(menuBar(bar), ids);
    for (int table : {IDR_MAINFRAME, IDR_NYOTYPE_CNTR_IP}) {
        for (const Accelerator &a : accelerators(table))
            ids.insert(a.id);
    }
    for (const Button &b : kButtons) {
        if (b.id != 0)
            ids.insert(b.id);
    }
    QList<int> sorted(ids.begin(), ids.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace Res

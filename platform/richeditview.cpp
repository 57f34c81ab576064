#include "platform/richeditview.h"

#include "platform/afxres.h"
#include "platform/findreplacedialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QMimeData>

const CommandMap<RichEditView> &RichEditView::messageMap()
{
    using V = RichEditView;
    static const CommandMap<V> map{
        OnCommand<V>(ID_EDIT_UNDO, &V::OnEditUndo),
        OnUpdateCommand<V>(ID_EDIT_UNDO, &V::OnUpdateEditUndo),
        OnCommand<V>(ID_EDIT_CUT, &V::OnEditCut),
        OnUpdateCommand<V>(ID_EDIT_CUT, &V::OnUpdateNeedSel),
        OnCommand<V>(ID_EDIT_COPY, &V::OnEditCopy),
        OnUpdateCommand<V>(ID_EDIT_COPY, &V::OnUpdateNeedSel),
        OnCommand<V>(ID_EDIT_PASTE, &V::OnEditPaste),
        OnUpdateCommand<V>(ID_EDIT_PASTE, &V::OnUpdateEditPaste),
        OnCommand<V>(ID_EDIT_CLEAR, &V::OnEditClear),
        OnUpdateCommand<V>(ID_EDIT_CLEAR, &V::OnUpdateNeedSel),
        OnCommand<V>(ID_EDIT_SELECT_ALL, &V::OnEditSelectAll),
        OnCommand<V>(ID_EDIT_FIND, &V::OnEditFind),
        OnUpdateCommand<V>(ID_EDIT_FIND, &V::OnUpdateNeedFind),
        OnCommand<V>(ID_EDIT_REPLACE, &V::OnEditReplace),
        OnUpdateCommand<V>(ID_EDIT_REPLACE, &V::OnUpdateNeedFind),
        OnCommand<V>(ID_EDIT_REPEAT, &V::OnEditRepeat),
        OnUpdateCommand<V>(ID_EDIT_REPEAT, &V::OnUpdateNeedFind),
    };
    return map;
}

RichEditView::RichEditView(QWidget *parent) : RichEdit(parent)
{
    // Until a display font is chosen the text shows in the fixed-pitch Japanese gothic.
    setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));
    connect(this, &TextView::selectionChanged, this, &RichEditView::commandStateChanged);
    connect(this, &TextView::undoAvailable, this, &RichEditView::commandStateChanged);
    connect(this, &TextView::textChanged, this, &RichEditView::commandStateChanged);
}

RichEditView::~RichEditView() = default;

bool RichEditView::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

int RichEditView::OnCreate()
{
    LimitText(kDefaultTextLimit);
    SetWordWrap(true);
    return 0;
}

void RichEditView::OnEditUndo() { undo(); }
void RichEditView::OnEditCut() { cut(); }
void RichEditView::OnEditCopy() { copy(); }
void RichEditView::OnEditPaste() { paste(); }
void RichEditView::OnEditClear() { removeSelectedText(); }
void RichEditView::OnEditSelectAll() { selectAll(); }

void RichEditView::OnUpdateNeedSel(CmdUI *ui)
{
    ui->Enable(hasSelection());
}

void RichEditView::OnUpdateEditUndo(CmdUI *ui)
{
    ui->Enable(buffer()->canUndo());
}

void RichEditView::OnUpdateEditPaste(CmdUI *ui)
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ui->Enable(HasPlainText(data) && !isReadOnly());
}

void RichEditView::OnEditFind()
{
    FindReplaceDialog::ForWindow(window())->OnEditFindReplace(this, true);
}

void RichEditView::OnEditReplace()
{
    FindReplaceDialog::ForWindow(window())->OnEditFindReplace(this, false);
}

void RichEditView::OnEditRepeat()
{
    FindReplaceDialog::ForWindow(window())->OnEditRepeat(this);
}

void RichEditView::OnUpdateNeedFind(CmdUI *ui)
{
    ui->Enable(buffer()->length() != 0);
}

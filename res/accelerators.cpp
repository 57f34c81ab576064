// Accelerator tables: 128 serves every window of the program, 6 is used while an embedded
// object is active in place.
#include "res/resources.h"
#include "res/resource.h"

namespace Res {
namespace {

Accelerator key(QKeyCombination combination, int id)
{
    return Accelerator{QKeySequence(combination), id};
}

QList<Accelerator> mainFrameTable()
{
    const auto ctrl = Qt::ControlModifier;
    const auto shift = Qt::ShiftModifier;
    const auto alt = Qt::AltModifier;
    return {
        key(ctrl | Qt::Key_A, ID_EDIT_SELECT_ALL),
        key(ctrl | Qt::Key_C, ID_EDIT_COPY),
        key(ctrl | Qt::Key_D, ID_EDIT_CLEAR),
        key(ctrl | Qt::Key_E, ID_PKL_EDIT),
        key(ctrl | Qt::Key_F, ID_EDIT_FIND),
        key(ctrl | Qt::Key_H, ID_EDIT_REPLACE),
        key(ctrl | Qt::Key_J, ID_JUMP_GOTO),
        key(ctrl | Qt::Key_M, ID_JUMP_MARK),
        key(ctrl | Qt::Key_N, ID_FILE_NEW),
        key(ctrl | Qt::Key_O, ID_FILE_OPEN),
        key(ctrl | Qt::Key_P, ID_FILE_PRINT),
        key(ctrl | shift | Qt::Key_P, ID_FILE_PRINT_PREVIEW),
        key(ctrl | Qt::Key_Q, ID_JUMP_BACK),
        key(ctrl | Qt::Key_R, ID_PKL_REGISTER),
        key(ctrl | Qt::Key_S, ID_FILE_SAVE),
        key(ctrl | Qt::Key_V, ID_EDIT_PASTE),
        key(alt | Qt::Key_Backspace, ID_EDIT_UNDO),
        key(shift | Qt::Key_Delete, ID_EDIT_CUT),
        key(QKeyCombination(Qt::Key_End), ID_JUMP_END),
        key(QKeyCombination(Qt::Key_Escape), ID_ESCAPE),
        key(QKeyCombination(Qt::Key_F11), ID_WINDOW_TILE_VERT),
        key(QKeyCombination(Qt::Key_F12), ID_WINDOW_TILE_HORZ),
        key(QKeyCombination(Qt::Key_F3), ID_EDIT_REPEAT),
        key(QKeyCombination(Qt::Key_F5), ID_VIEW_REDRAW),
        key(QKeyCombination(Qt::Key_F6), ID_NEXT_PANE),
        key(shift | Qt::Key_F6, ID_PREV_PANE),
        key(QKeyCombination(Qt::Key_Home), ID_JUMP_TOP),
        key(ctrl | Qt::Key_Insert, ID_EDIT_COPY),
        key(shift | Qt::Key_Insert, ID_EDIT_PASTE),
        key(alt | Qt::Key_PageDown, ID_WINDOW_PREV),
        key(alt | Qt::Key_PageUp, ID_WINDOW_NEXT),
        key(ctrl | Qt::Key_Space, ID_PKL_PICK),
        key(ctrl | Qt::Key_X, ID_EDIT_CUT),
        key(ctrl | Qt::Key_Z, ID_EDIT_UNDO),
    };
}

QList<Accelerator> inPlaceTable()
{
    const auto ctrl = Qt::ControlModifier;
    return {
        key(ctrl | Qt::Key_N, ID_FILE_NEW),
        key(ctrl | Qt::Key_O, ID_FILE_OPEN),
        key(ctrl | Qt::Key_S, ID_FILE_SAVE),
        key(ctrl | Qt::Key_P, ID_FILE_PRINT),
        key(QKeyCombination(Qt::Key_F6), ID_NEXT_PANE),
        key(Qt::ShiftModifier | Qt::Key_F6, ID_PREV_PANE),
        key(QKeyCombination(Qt::Key_Escape), ID_ESCAPE),
    };
}

} // namespace

QList<Accelerator> accelerators(int tableId)
{
    switch (tableId) {
    case IDR_MAINFRAME:
        return mainFrameTable();
    case IDR_NYOTYPE_CNTR_IP:
        return inPlaceTable();
    default:
        return {};
    }
}

QList<QKeySequence> keysOf(int commandId, int tableId)
{
    QList<QKeySequence> keys;
    for (const Accelerator &a : accelerators(tableId)) {
        if (a.id == commandId)
            keys.append(a.key);
    }
    return keys;
}

} // namespace Res

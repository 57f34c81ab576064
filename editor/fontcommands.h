#pragma once
// The font and colour commands of one editor view: the display font of the whole text, its
// background colour, and drawing the text again in the stored display font.
#include "platform/engine/charformat.h"
#include "platform/framework/commandtarget.h"

#include <optional>

class RichEditView;
class QWidget;

class CFontCommands : public CommandTarget {
public:
    explicit CFontCommands(RichEditView *view) : m_pView(view) {}

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // The whole text of a view in a format; in the stored display font; on the stored
    // background colour.
    static void ApplyFormatToAll(RichEditView &view, CharFormat format);
    void ApplyDisplayFont();
    void ApplyBackColor();

    // The font dialog started from a format; the chosen format, or nothing when cancelled.
    static std::optional<CharFormat> RunFontDialog(const CharFormat &start, QWidget *parent);

private:
    void OnViewRedraw();
    void OnUpdateViewRedraw(CmdUI *ui);
    void OnFormatFont();
    void OnFormatBackColor();
    void OnUpdateFormatBackColor(CmdUI *ui);

    RichEditView *m_pView;

    static const CommandMap<CFontCommands> &messageMap();
};

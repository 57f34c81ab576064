#pragma once
// The editing view of a text document: the control inside a document window, and most of
// the program's commands.
#include "platform/richeditview.h"

#include <QRect>

class CNYODoc;

class CNYOView : public RichEditView {
    Q_OBJECT
public:
    explicit CNYOView(QWidget *parent = nullptr);
    ~CNYOView() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;
    int OnCreate() override;

    CNYODoc *GetDocument() const;

    // Fonts and colours of the whole text.
    static std::optional<CharFormat> RunFontDialog(const CharFormat &start, QWidget *parent);
    void ApplyFormatToAll(CharFormat format);
    void ApplyDisplayFont();
    void ApplyBackColor();

    bool IsWordWrap() const { return m_bWordWrap; }

    // The right-button menu at a point of the view, in viewport coordinates.
    void OnRButtonUp(const QPoint &point);

    // Commands.
    void OnViewWordWrap();
    void OnUpdateViewWordWrap(CmdUI *ui);
    void OnUpdateNeedText(CmdUI *ui);
    void OnFileSendMail();
    void OnFormatFont();
    void OnFormatBackColor();
    void OnUpdateFormatBackColor(CmdUI *ui);

    // Dropped or pasted data: files open as documents, text goes into the text.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;


private:
    void ApplyWrapMode();

    // The auto-save settings as they stood when the view was made; the timers that use them
    // start from these.
    int32_t m_nSaveInterval = 0;
    int32_t m_nWarnLead = 0;
    bool m_bAskSave = false;
    bool m_bAutoSaveOn = false;
    bool m_bWordWrap = true;
    QRect m_rectPageMargin;   // hundredths of a millimetre: left, top, right, bottom

    static const CommandMap<CNYOView> &messageMap();
};

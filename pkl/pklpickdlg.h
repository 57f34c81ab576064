#pragma once
// The pick list (134): a caption-less popup of every entry name, placed one text line below a
// character of the view. The name selected when it closes (by Enter or a double-click) is
// its result; Escape empties it first, so that nothing is inserted.
#include "pkl/pkldialog.h"

#include <QPoint>
#include <cstdint>

class PklListBox;

class CPklPickDlg : public PklDialog {
    Q_OBJECT
public:
    enum { IDD = 134 };

    explicit CPklPickDlg(QWidget *parent = nullptr);

    QPoint m_ptCaret;       // the character's top-left in the view's client area, set by the view
    QString m_strName;      // the chosen name: the dialog's only result
    QPoint m_ptViewOrigin;  // the view window's top-left on the screen, set by the view
    int32_t m_nCount = 0;   // names the list received
    PklListBox *m_list = nullptr;  // 1018

    // The height of a text line in pixels from the display font's stored height in twips
    // (96 dots per inch, each division truncated).
    static int LineHeight(int32_t twips);

protected:
    void OnInitDialog() override;
    bool PreTranslateMessage(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    void OnSelChange();
    void OnDblClk();

private:
    static constexpr int kBorder = 1;  // the popup's thin border, in pixels
};

#pragma once
// What a document window asks of the main window it sits in: which document window is the
// active one, and to go on to the next. The main window implements it; a document window
// finds it as its window(), so the document window needs to know nothing of the main window.
class MDIChildWnd;

class MDIClientFrame {
public:
    virtual ~MDIClientFrame() = default;

    // The active document window, null when none.
    virtual MDIChildWnd *MDIGetActive() const = 0;
    // Activates the next visible document window.
    virtual void MDINext() = 0;
};

#pragma once
// A top-level window's place among the other programs' windows: staying on top of them, and
// coming to the front as an ordinary window.
class QWidget;

class WindowPos {
public:
    // Puts window above every ordinary window, or ends that. A shown window keeps its place,
    // size and state: the window system is told without hiding the window again.
    static void SetTopMost(QWidget *window, bool on);
    // Raises window above the ordinary windows and gives it the keyboard.
    static void SetForegroundWindow(QWidget *window);
};

#pragma once
// Auto-save for one editor view: the settings as the view was made (or as its dialog last
// set them), the two timers' cycle, and the view's auto-save settings command. The view owns
// it and routes its commands here; it saves through the view's document, and only a modified
// one.
#include "platform/framework/commandtarget.h"

#include <QObject>
#include <cstdint>

class CAutoSaveTimers;
class RichEditView;

class CAutoSaveScheduler : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Made as a child of view, whose document it saves and whose background it colours.
    explicit CAutoSaveScheduler(RichEditView *view);

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // Starts the cycle when auto-save is on: the save timer and, with a warning lead, the
    // warning timer.
    void ArmWhenOn();

    int32_t SaveInterval() const { return m_nSaveInterval; }
    int32_t WarnLead() const { return m_nWarnLead; }
    int32_t AskSave() const { return m_bAskSave; }
    CAutoSaveTimers *Timers() const { return m_pTimers; }

private:
    void TakeSnapshot();
    void ArmTimers();
    void OnTimer(int id);
    void OnAutoSaveDue();
    void OnWarningDue();
    void ApplyBackColor();
    void OnSettingsAutoSave();
    // Whether the view's document has anything for auto-save: it is modified and its file
    // has not gone from disk.
    bool DocumentNeedsSave();
    // Saves the view's document, telling its host of a failure.
    void SaveDocument();

    RichEditView *m_pView;
    CAutoSaveTimers *m_pTimers;
    // The interval and the warning lead in seconds (lead 0: no warning colour), and 1 when
    // each save is asked first.
    int32_t m_nSaveInterval = 0;
    int32_t m_nWarnLead = 0;
    int32_t m_bAskSave = 0;

    static const CommandMap<CAutoSaveScheduler> &messageMap();
};

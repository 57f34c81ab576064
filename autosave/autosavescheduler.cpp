#include "autosave/autosavescheduler.h"

#include "autosave/autosavedlg.h"
#include "autosave/autosavetimers.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QPointer>
#include <algorithm>

const CommandMap<CAutoSaveScheduler> &CAutoSaveScheduler::messageMap()
{
    using S = CAutoSaveScheduler;
    static const CommandMap<S> map{
        OnCommand<S>(ID_SETTINGS_AUTOSAVE, &S::OnSettingsAutoSave),
    };
    return map;
}

CAutoSaveScheduler::CAutoSaveScheduler(RichEditView *view)
    : QObject(view), m_pView(view), m_pTimers(new CAutoSaveTimers(this))
{
    connect(m_pTimers, &CAutoSaveTimers::timeout, this, &CAutoSaveScheduler::OnTimer);
    TakeSnapshot();
}

bool CAutoSaveScheduler::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

// The settings as they are when the view is made; later changes reach only views made after
// them, or the view whose dialog made them. An interval below 1 second (an edited store)
// counts as 1 second, so that no view saves in a loop.
void CAutoSaveScheduler::TakeSnapshot()
{
    const int32_t mode = Keys::Jidou.read();
    const int32_t colorFlag = Keys::Cch.read();
    if (mode != 2 && mode != 3) {
        m_nSaveInterval = m_nWarnLead = m_bAskSave = 0;
        return;
    }
    m_nSaveInterval = std::max<int32_t>(Keys::Jidou1.read(), 1);
    m_nWarnLead = colorFlag != 0 ? std::max<int32_t>(Keys::Jidou2.read(), 0) : 0;
    m_bAskSave = mode == 3 ? 1 : 0;
}

void CAutoSaveScheduler::ArmWhenOn()
{
    if (m_nSaveInterval != 0)
        ArmTimers();
}

// A lead larger than the interval gives a negative warning period, which the timers take as
// 0: the warning shows at once.
void CAutoSaveScheduler::ArmTimers()
{
    m_pTimers->Start(CAutoSaveTimers::ID_TIMER_AUTOSAVE, m_nSaveInterval);
    if (m_nWarnLead != 0)
        m_pTimers->Start(CAutoSaveTimers::ID_TIMER_WARNING, int64_t(m_nSaveInterval) - m_nWarnLead);
}

void CAutoSaveScheduler::OnTimer(int id)
{
    if (id == CAutoSaveTimers::ID_TIMER_AUTOSAVE)
        OnAutoSaveDue();
    else if (id == CAutoSaveTimers::ID_TIMER_WARNING)
        OnWarningDue();
}

// Both timers stay stopped while the question and the save run, so the next cycle counts
// from the moment the save has finished. The view (and with it this child of it) may be
// closed while the question or the Save As dialog is open; then nothing more is done. A
// document with nothing to save is neither asked about nor written, so that a file another
// program changes under an unmodified document stays as that program left it.
void CAutoSaveScheduler::OnAutoSaveDue()
{
    m_pTimers->Stop(CAutoSaveTimers::ID_TIMER_AUTOSAVE);
    const QPointer<CAutoSaveScheduler> self(this);
    bool save = DocumentNeedsSave();
    if (!self)
        return;
    if (save && m_bAskSave == 1)
        save = MsgBox::show(m_pView->window(), QStringLiteral("保存しますか"), QStringLiteral("確認"),
                            MsgBox::Buttons::YesNo, MsgBox::Icon::None) == MsgBox::IDYES;
    if (!self)
        return;
    if (save)
        SaveDocument();
    if (!self)
        return;
    if (m_nWarnLead != 0) {
        ApplyBackColor();
        m_pTimers->Start(CAutoSaveTimers::ID_TIMER_WARNING, int64_t(m_nSaveInterval) - m_nWarnLead);
    }
    m_pTimers->Start(CAutoSaveTimers::ID_TIMER_AUTOSAVE, m_nSaveInterval);
}

// The document tells of a file gone from disk itself, once.
bool CAutoSaveScheduler::DocumentNeedsSave()
{
    RichEditDoc *doc = m_pView->GetDocument();
    return doc && doc->NeedsAutoSave();
}

// Saves as Save does, asking before it overwrites another program's change, and tells a
// failure as Save does: over the document's window, or the main window once the document has
// gone during a Save As dialog.
void CAutoSaveScheduler::SaveDocument()
{
    const QPointer<RichEditDoc> doc(m_pView->GetDocument());
    if (!doc)
        return;
    DocumentHost *host = doc->GetHost();
    const SaveOutcome outcome = doc->DoAutoSave();
    if (host)
        host->TellSaveOutcome(doc.data(), outcome);
}

// The colour is read now, so a colour chosen in any view's dialog shows at the next warning.
void CAutoSaveScheduler::OnWarningDue()
{
    m_pTimers->Stop(CAutoSaveTimers::ID_TIMER_WARNING);
    m_pView->SetBackgroundColor(uint32_t(Keys::JBK.read()));
}

// The view's own background colour, as stored, in place of the warning colour.
void CAutoSaveScheduler::ApplyBackColor()
{
    m_pView->SetBackgroundColor(uint32_t(Keys::BackColor.read()));
}

// Made without an owner, the dialog belongs to the main window. While it is open this view
// neither saves nor warns; after Cancel it stays so.
void CAutoSaveScheduler::OnSettingsAutoSave()
{
    m_pTimers->StopAll();
    ApplyBackColor();
    const QPointer<CAutoSaveScheduler> self(this);
    CAutoSaveDlg dialog(nullptr);
    if (dialog.exec() != QDialog::Accepted || !self)
        return;
    Keys::Jidou.write(dialog.m_nSaveMode);
    if (dialog.m_nSaveMode == 1) {
        m_nSaveInterval = m_nWarnLead = m_bAskSave = 0;
        return;
    }
    m_nSaveInterval = int32_t(dialog.m_nInterval);
    Keys::Jidou1.write(int32_t(dialog.m_nInterval));
    Keys::Cch.write(dialog.m_bColorChange);
    m_nWarnLead = 0;
    if (dialog.m_bColorChange != 0) {
        m_nWarnLead = int32_t(dialog.m_nLead);
        Keys::Jidou2.write(int32_t(dialog.m_nLead));
    }
    m_bAskSave = dialog.m_nSaveMode == 3 ? 1 : 0;
    if (DocumentNeedsSave() && self)
        SaveDocument();
    if (self)
        ArmTimers();
}

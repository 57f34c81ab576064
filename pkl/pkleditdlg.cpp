#include "pkl/pkleditdlg.h"

#include "pkl/pkllistbox.h"
#include "pkl/pklregisterdlg.h"
#include "pkl/pklstore.h"
#include "platform/dialogs/msgbox.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

// Controls are made in the template's order, which is also their tab order.
CPklEditDlg::CPklEditDlg(QWidget *parent)
    : PklDialog(parent, kModalFrame)
{
    SetTemplate(QStringLiteral("Paste Key List 編集"), 299, 225);

    auto *ok = AddControl<QPushButton>(QStringLiteral("IDOK"), QStringLiteral("OK"), 240, 15, 52, 20);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    AddGroupBox(QStringLiteral("Paste Key List 編集"), 5, 10, 230, 205);
    m_list = Place(new PklListBox(this), QStringLiteral("1018"), 15, 40, 120, 60);
    m_pText = AddControl<QPlainTextEdit>(QStringLiteral("1002"), QString(), 15, 125, 210, 80);
    m_pText->setReadOnly(true);
    m_pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pText->setTabChangesFocus(true);
    m_pText->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    AddLabel(QStringLiteral("登録内容"), 20, 110, 28, 8);
    AddLabel(QStringLiteral("登録名"), 20, 25, 22, 8);
    auto *remove = AddControl<QPushButton>(QStringLiteral("1021"), QStringLiteral("削除"), 160, 80, 55, 20);
    auto *edit = AddControl<QPushButton>(QStringLiteral("1022"), QStringLiteral("編集"), 160, 45, 55, 20);
    for (QPushButton *button : {remove, edit})
        button->setAutoDefault(false);  // Enter means Edit, never the focused button

    connect(m_list, &QListWidget::itemSelectionChanged, this, &CPklEditDlg::OnSelChange);
    connect(m_list, &PklListBox::dblClk, this, &CPklEditDlg::OnDblClk);
    connect(remove, &QPushButton::clicked, this, &CPklEditDlg::OnDelete);
    connect(edit, &QPushButton::clicked, this, &CPklEditDlg::OnEdit);
}

void CPklEditDlg::OnInitDialog()
{
    Refresh();
    findChild<QPushButton *>(QStringLiteral("IDOK"))->setFocus();
}

void CPklEditDlg::DoDataExchange()
{
    m_pText->setPlainText(m_strText);
}

// Only the user's changes of the selection are notifications; the program's are silent.
void CPklEditDlg::Refresh()
{
    const QSignalBlocker quiet(m_list);
    m_nCount = 0;
    m_list->ResetContent();
    m_nCount = m_list->AddStrings(PklStore::ListEntries());
    m_strName.clear();
    m_strText.clear();
    m_list->clearSelection();
    DoDataExchange();
}

void CPklEditDlg::TakeSelectedName()
{
    if (const std::optional<QString> name = m_list->GetSelText())
        m_strName = *name;
}

// An entry that cannot be read leaves the text that was shown.
void CPklEditDlg::OnSelChange()
{
    TakeSelectedName();
    QString text;
    if (PklStore::ReadEntry(m_strName, &text) != FileError::None)
        return;
    m_strText = text;
    DoDataExchange();
}

void CPklEditDlg::OnDblClk()
{
    TakeSelectedName();
    OnEdit();
}

void CPklEditDlg::OnEdit()
{
    if (m_strName.isEmpty()) {
        MsgBox::show(this, NoSelectionMessage(), QStringLiteral("確認"), MsgBox::Buttons::Ok, MsgBox::Icon::None);
        return;
    }
    {
        CPklRegisterDlg dialog(this);
        dialog.m_strName = m_strName;
        dialog.m_strText = m_strText;
        dialog.exec();
    }
    Refresh();
}

// Without a selection the name is empty, which no deletion accepts: the same message answers
// both.
void CPklEditDlg::OnDelete()
{
    if (PklStore::DeleteEntry(m_strName) != FileError::None)
        MsgBox::show(this, NoSelectionMessage(), QStringLiteral("確認"), MsgBox::Buttons::Ok, MsgBox::Icon::None);
    Refresh();
}

bool CPklEditDlg::PreTranslateMessage(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnEdit();
        return true;
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

QString CPklEditDlg::NoSelectionMessage()
{
    return QStringLiteral("データが選択されていません。");
}

#include "pkl/pklpickdlg.h"

#include "pkl/pkllistbox.h"
#include "pkl/pklstore.h"
#include "settings/keyindex.h"

#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>

CPklPickDlg::CPklPickDlg(QWidget *parent) : PklDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    const QSize client = Units().toPixels(QSize(110, 70));
    setFixedSize(client + QSize(2 * kBorder, 2 * kBorder));
    m_list = new PklListBox(this);
    m_list->setObjectName(QStringLiteral("1018"));
    m_list->setGeometry(QRect(QPoint(kBorder, kBorder), client));

    connect(m_list, &QListWidget::itemSelectionChanged, this, &CPklPickDlg::OnSelChange);
    connect(m_list, &PklListBox::dblClk, this, &CPklPickDlg::OnDblClk);
}

int CPklPickDlg::LineHeight(int32_t twips)
{
    return int32_t(int64_t(twips) * 4 / 3 / 20);
}

// One line below the character, shifted by the view window's corner; the popup keeps its
// size and is not pulled back onto the screen.
void CPklPickDlg::OnInitDialog()
{
    QRect rect(m_ptCaret.x(), m_ptCaret.y() + LineHeight(Keys::FontHeight.read()), width(), height());
    rect.translate(m_ptViewOrigin);
    move(rect.topLeft());

    const QSignalBlocker quiet(m_list);
    m_nCount = 0;
    m_nCount = m_list->AddStrings(PklStore::ListEntries());
    m_list->setFocus();
}

// Escape empties the choice before it closes the list; Enter closes it with the name
// selected at that moment.
bool CPklPickDlg::PreTranslateMessage(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        m_strName.clear();
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    default:
        return false;
    }
}

void CPklPickDlg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Every change of the selection, by keys, type-ahead or the mouse, is the choice at once.
void CPklPickDlg::OnSelChange()
{
    if (const std::optional<QString> name = m_list->GetSelText())
        m_strName = *name;
}

void CPklPickDlg::OnDblClk()
{
    OnSelChange();
    accept();
}

#include "platform/dialogs/findreplacedialog.h"

#include "platform/engine/richedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// The status bar of the main window that holds the editor; none for an editor outside one.
QStatusBar *StatusBarOf(const QWidget *edit)
{
    const auto *frame = edit ? qobject_cast<const QMainWindow *>(edit->window()) : nullptr;
    return frame ? frame->findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// Whether a selected text can be a search text: not empty, within one line.
bool IsOneLine(const QString &selected)
{
    for (QChar c : selected) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n' || c == u'\r')
            return false;
    }
    return !selected.isEmpty();
}

} // namespace

FindReplaceDialog::FindReplaceDialog(QWidget *parent) : QDialog(parent)
{
    setModal(false);
    CreateControls();
    SetMode(true);
}

FindReplaceDialog *FindReplaceDialog::ForWindow(QWidget *window)
{
    if (!window)
        return nullptr;
    auto *dialog = window->findChild<FindReplaceDialog *>(QString(), Qt::FindDirectChildrenOnly);
    return dialog ? dialog : new FindReplaceDialog(window);
}

void FindReplaceDialog::CreateControls()
{
    m_labelFind = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    m_editFind = new QLineEdit(this);
    m_editFind->setObjectName(QStringLiteral("findEdit"));
    m_labelFind->setBuddy(m_editFind);
    m_labelReplace = new QLabel(QStringLiteral("置換後の文字列(&P):"), this);
    m_editReplace = new QLineEdit(this);
    m_editReplace->setObjectName(QStringLiteral("replaceEdit"));
    m_labelReplace->setBuddy(m_editReplace);
    // Room for about thirty characters of the dialog's font.
    const int fieldWidth = fontMetrics().averageCharWidth() * 30;
    m_editFind->setMinimumWidth(fieldWidth);
    m_editReplace->setMinimumWidth(fieldWidth);

    m_checkWord = new QCheckBox(QStringLiteral("単語単位で探す(&W)"), this);
    m_checkWord->setObjectName(QStringLiteral("wholeWordCheck"));
    m_checkCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    m_checkCase->setObjectName(QStringLiteral("matchCaseCheck"));

    m_groupDirection = new QGroupBox(QStringLiteral("検索する方向"), this);
    m_groupDirection->setObjectName(QStringLiteral("directionGroup"));
    m_radioUp = new QRadioButton(QStringLiteral("上へ(&U)"), m_groupDirection);
    m_radioUp->setObjectName(QStringLiteral("upRadio"));
    m_radioDown = new QRadioButton(QStringLiteral("下へ(&D)"), m_groupDirection);
    m_radioDown->setObjectName(QStringLiteral("downRadio"));
    m_radioDown->setChecked(true);
    auto *directionLayout = new QHBoxLayout(m_groupDirection);
    directionLayout->addWidget(m_radioUp);
    directionLayout->addWidget(m_radioDown);

    m_buttonFindNext = new QPushButton(QStringLiteral("次を検索(&F)"), this);
    m_buttonFindNext->setObjectName(QStringLiteral("findNextButton"));
    m_buttonFindNext->setDefault(true);
    m_buttonReplace = new QPushButton(QStringLiteral("置換して次に(&R)"), this);
    m_buttonReplace->setObjectName(QStringLiteral("replaceButton"));
    m_buttonReplaceAll = new QPushButton(QStringLiteral("すべて置換(&A)"), this);
    m_buttonReplaceAll->setObjectName(QStringLiteral("replaceAllButton"));
    m_buttonCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_buttonCancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton *button : {m_buttonReplace, m_buttonReplaceAll, m_buttonCancel})
        button->setAutoDefault(false);  // Enter always means "find next"

    auto *fields = new QGridLayout;
    fields->addWidget(m_labelFind, 0, 0);
    fields->addWidget(m_editFind, 0, 1);
    fields->addWidget(m_labelReplace, 1, 0);
    fields->addWidget(m_editReplace, 1, 1);

    auto *checks = new QVBoxLayout;
    checks->addStretch();
    checks->addWidget(m_checkWord);
    checks->addWidget(m_checkCase);
    auto *options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(m_groupDirection, 0, Qt::AlignBottom);
    options->addStretch();

    auto *left = new QVBoxLayout;
    left->addLayout(fields);
    left->addStretch();
    left->addLayout(options);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_buttonFindNext, m_buttonReplace, m_buttonReplaceAll, m_buttonCancel})
        buttons->addWidget(button);
    buttons->addStretch();

    auto *main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);  // follows the mode's controls

    connect(m_editFind, &QLineEdit::textChanged, this, &FindReplaceDialog::UpdateButtons);
    connect(m_buttonFindNext, &QPushButton::clicked, this, &FindReplaceDialog::OnFindNext);
    connect(m_buttonReplace, &QPushButton::clicked, this, &FindReplaceDialog::OnReplace);
    connect(m_buttonReplaceAll, &QPushButton::clicked, this, &FindReplaceDialog::OnReplaceAll);
    connect(m_buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateButtons();
}

void FindReplaceDialog::SetMode(bool findOnly)
{
    m_bFindOnly = findOnly;
    setWindowTitle(findOnly ? QStringLiteral("検索") : QStringLiteral("置換"));
    m_labelReplace->setVisible(!findOnly);
    m_editReplace->setVisible(!findOnly);
    m_buttonReplace->setVisible(!findOnly);
    m_buttonReplaceAll->setVisible(!findOnly);
    m_groupDirection->setVisible(findOnly);
    layout()->activate();  // the size follows at once, not at the next event
}

void FindReplaceDialog::SetTarget(TextView *edit)
{
    if (m_pEdit == edit)
        return;
    disconnect(m_targetGone);
    m_pEdit = edit;
    m_run = TextFinder::Run();
    // The dialog belongs to its editor: when that closes, so does the dialog.
    m_targetGone = connect(edit, &QObject::destroyed, this, &QDialog::reject);
}

void FindReplaceDialog::OnEditFindReplace(TextView *edit, bool findOnly)
{
    if (!edit)
        return;
    const bool wasShown = isVisible();
    SetTarget(edit);
    m_run = TextFinder::Run();  // searches from the dialog's opening are a new run
    if (!wasShown || findOnly != m_bFindOnly) {
        LoadSettings();
        SetMode(findOnly);
    }
    const QString selected = edit->selectedText();
    if (IsOneLine(selected))
        m_editFind->setText(selected);
    show();
    raise();
    activateWindow();
    m_editFind->setFocus();
    m_editFind->selectAll();
}

void FindReplaceDialog::OnEditRepeat(TextView *edit)
{
    if (!edit)
        return;
    if (m_strFind.isEmpty()) {
        OnEditFindReplace(edit, true);
        return;
    }
    SetTarget(edit);
    const auto direction = m_bNext ? TextFinder::Direction::Down : TextFinder::Direction::Up;
    if (MakeFinder().FindText(m_strFind, GetOptions(), direction, m_run))
        TextFound();
    else
        TextNotFound();
}

QString FindReplaceDialog::NotFoundMessage(const QString &what)
{
    return QStringLiteral("「%1」が見つかりません。").arg(what);
}

void FindReplaceDialog::LoadSettings()
{
    m_editFind->setText(m_strFind);
    m_editReplace->setText(m_strReplace);
    m_checkCase->setChecked(m_bCase);
    m_checkWord->setChecked(m_bWord);
    (m_bNext ? m_radioDown : m_radioUp)->setChecked(true);
}

void FindReplaceDialog::SaveSettings()
{
    m_strFind = m_editFind->text();
    m_strReplace = m_editReplace->text();
    m_bCase = m_checkCase->isChecked();
    m_bWord = m_checkWord->isChecked();
    // Replacing always works downwards.
    m_bNext = !m_bFindOnly || m_radioDown->isChecked();
}

void FindReplaceDialog::UpdateButtons()
{
    const bool hasText = !m_editFind->text().isEmpty();
    m_buttonFindNext->setEnabled(hasText);
    m_buttonReplace->setEnabled(hasText);
    m_buttonReplaceAll->setEnabled(hasText);
}

TextFinder::Options FindReplaceDialog::GetOptions() const
{
    TextFinder::Options options;
    options.matchCase = m_bCase;
    options.wholeWord = m_bWord;
    return options;
}

TextFinder FindReplaceDialog::MakeFinder() const
{
    TextFinder finder(m_pEdit);
    if (const auto *control = qobject_cast<const RichEdit *>(m_pEdit.data()))
        finder.SetTextLimit(control->GetLimitText());
    return finder;
}

void FindReplaceDialog::OnFindNext()
{
    SaveSettings();
    if (!m_pEdit || m_strFind.isEmpty())
        return;
    const auto direction = m_bNext ? TextFinder::Direction::Down : TextFinder::Direction::Up;
    if (MakeFinder().FindText(m_strFind, GetOptions(), direction, m_run)) {
        TextFound();
        AdjustPosition();
    } else {
        TextNotFound();
    }
}

void FindReplaceDialog::OnReplace()
{
    SaveSettings();
    if (!m_pEdit || m_strFind.isEmpty())
        return;
    const TextFinder::ReplaceResult result =
        MakeFinder().ReplaceNext(m_strFind, m_strReplace, GetOptions(), m_run);
    if (result.refused) {
        QApplication::beep();
    } else if (result.found) {
        TextFound();
        AdjustPosition();
    } else {
        TextNotFound();
    }
}

void FindReplaceDialog::OnReplaceAll()
{
    SaveSettings();
    if (!m_pEdit || m_strFind.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const qsizetype count = MakeFinder().ReplaceAll(m_strFind, m_strReplace, GetOptions());
    QApplication::restoreOverrideCursor();
    m_run = TextFinder::Run();
    if (count < 0)
        QApplication::beep();
    else if (count == 0)
        TextNotFound();
    else
        TextFound();
}

// Said where the user looks anyway, with a beep, rather than in a box to dismiss before the
// next search.
void FindReplaceDialog::TextNotFound()
{
    QApplication::beep();
    QStatusBar *bar = StatusBarOf(m_pEdit);
    if (!bar)
        return;
    m_strNotFoundShown = NotFoundMessage(m_strFind);
    bar->showMessage(m_strNotFoundShown);
}

void FindReplaceDialog::TextFound()
{
    QStatusBar *bar = StatusBarOf(m_pEdit);
    if (bar && !m_strNotFoundShown.isEmpty() && bar->currentMessage() == m_strNotFoundShown)
        bar->clearMessage();
    m_strNotFoundShown.clear();
}

void FindReplaceDialog::AdjustPosition()
{
    if (!isVisible() || !m_pEdit)
        return;
    QRect selection = m_pEdit->cursorRect(m_pEdit->selectionStart());
    selection = selection.united(m_pEdit->cursorRect(m_pEdit->selectionEnd()));
    selection.moveTopLeft(m_pEdit->viewport()->mapToGlobal(selection.topLeft()));

    const QRect frame = frameGeometry();
    if (!frame.intersects(selection))
        return;
    const QRect screenArea = screen() ? screen()->availableGeometry() : QRect();
    int top = selection.top() - frame.height();
    if (top < screenArea.top())
        top = selection.bottom() + 1;  // no room above: below the selection
    move(frame.left(), top);
}

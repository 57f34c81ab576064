#include "pkl/pklregisterdlg.h"

#include "pkl/pklstore.h"
#include "platform/base/codepage.h"
#include "platform/framework/ddx.h"
#include "platform/dialogs/msgbox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kCaption = QStringLiteral("確認");
constexpr int kUnencodableShown = 5;

// Multi-line fields hold '\n' breaks; entries hold CR LF.
QString fieldText(const QPlainTextEdit *field)
{
    return field->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

// A failure of the write itself (the file was made, the bytes did not fit) is the file
// system's to explain; any other failure means the name was not taken as a file.
bool isWriteFailure(FileError error)
{
    return error == FileError::DiskFull || error == FileError::HardIO;
}

} // namespace

// Controls are made in the template's order, which is also their tab order.
CPklRegisterDlg::CPklRegisterDlg(QWidget *parent)
    : PklDialog(parent, kModalFrame)
{
    SetTemplate(QStringLiteral("Paste Key List 登録"), 234, 179);

    auto *ok = AddControl<QPushButton>(QStringLiteral("IDOK"), QStringLiteral("OK"), 170, 15, 50, 20);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPklRegisterDlg::OnOK);
    auto *cancel = AddControl<QPushButton>(QStringLiteral("IDCANCEL"), QStringLiteral("ｷｬﾝｾﾙ"), 170, 45, 50, 20);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_pName = AddControl<QLineEdit>(QStringLiteral("1002"), QString(), 20, 40, 122, 14);
    m_pText = AddControl<QPlainTextEdit>(QStringLiteral("1009"), QString(), 20, 80, 130, 80);
    m_pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pText->setTabChangesFocus(true);
    AddGroupBox(QStringLiteral("Paste Key List 登録"), 10, 10, 150, 160);
    AddLabel(QStringLiteral("登録内容"), 25, 65, 28, 8);
    AddLabel(QStringLiteral("登録名"), 25, 25, 22, 8);
}

// The first control of the tab order takes the focus, as the platform's dialogs do.
void CPklRegisterDlg::OnInitDialog()
{
    DoDataExchange(false);
    findChild<QPushButton *>(QStringLiteral("IDOK"))->setFocus();
}

bool CPklRegisterDlg::DoDataExchange(bool save)
{
    Ddx dx(this, save);
    dx.text(m_pName, m_strName).maxChars(m_strName, kMaxNameBytes);
    if (!dx.ok())
        return false;
    if (!save) {
        m_pText->setPlainText(m_strText);
        m_pText->document()->setModified(false);
    } else if (m_pText->document()->isModified()) {
        // Untouched, the text stays as it came, lone CRs included, which the field would
        // turn into line breaks.
        m_strText = fieldText(m_pText);
    }
    return true;
}

void CPklRegisterDlg::OnOK()
{
    if (!DoDataExchange(true))
        return;
    if (SaveEntry(this, m_strName, m_strText))
        QDialog::accept();
}

// Enter registers wherever the focus is, so it never starts a new line in the text; Escape
// is swallowed.
bool CPklRegisterDlg::PreTranslateMessage(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnOK();
        return true;
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

bool CPklRegisterDlg::SaveEntry(QWidget *dialog, const QString &name, const QString &text)
{
    const auto ask = [dialog](const QString &question) {
        return MsgBox::show(dialog, question, kCaption, MsgBox::Buttons::YesNo, MsgBox::Icon::None) == MsgBox::IDYES;
    };
    switch (PklStore::EntryKind(name)) {
    case FolderEntry::Kind::Link:
    case FolderEntry::Kind::Other:
        MsgBox::show(dialog, NotAFileMessage(), kCaption, MsgBox::Buttons::Ok, MsgBox::Icon::None);
        return false;
    case FolderEntry::Kind::File:
        if (!ask(OverwriteQuestion()))
            return false;
        break;
    default:
        break;
    }
    QList<qsizetype> unencodable;
    CodePage::encode(text, {}, &unencodable);
    if (!unencodable.isEmpty() && !ask(UnencodableQuestion(text, unencodable)))
        return false;
    const FileError error = PklStore::WriteEntry(name, text);
    if (error == FileError::None)
        return true;
    if (isWriteFailure(error))
        MsgBox::show(dialog, FileErrorMessage(error, PklStore::KeyDirectory() + name), QString(),
                     MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
    else
        MsgBox::show(dialog, InvalidNameMessage(), kCaption, MsgBox::Buttons::Ok, MsgBox::Icon::None);
    return false;
}

QString CPklRegisterDlg::OverwriteQuestion()
{
    return QStringLiteral("すでに同じ名前のデータが存在します。上書きしますか？");
}

QString CPklRegisterDlg::NotAFileMessage()
{
    return QStringLiteral("同じ名前のリンクまたは特殊なファイルが存在するため、登録できません。");
}

QString CPklRegisterDlg::InvalidNameMessage()
{
    return QStringLiteral("登録名が入力されていないか、無効な文字が含まれています。");
}

// Names the first few distinct characters, each with its code point.
QString CPklRegisterDlg::UnencodableQuestion(const QString &text, const QList<qsizetype> &positions)
{
    QStringList shown;
    for (qsizetype pos : positions) {
        if (shown.size() == kUnencodableShown)
            break;
        const char32_t code = text.mid(pos, 2).toUcs4().value(0);  // a surrogate pair counts once
        const QString hex = QStringLiteral("%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
        const QString item = QStringLiteral("「%1」(U+%2)").arg(QString::fromUcs4(&code, 1), hex);
        if (!shown.contains(item))
            shown.append(item);
    }
    return QStringLiteral("登録内容には Shift-JIS で保存できない文字が含まれています:\n%1\n\n"
                          "登録すると、これらの文字は「?」に置き換わります。このまま登録しますか?")
        .arg(shown.join(u' '));
}

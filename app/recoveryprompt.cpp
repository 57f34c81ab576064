#include "app/recoveryprompt.h"

#include "platform/base/fileerror.h"
#include "platform/base/fileio.h"
#include "platform/base/filename.h"
#include "platform/dialogs/msgbox.h"
#include "platform/engine/textbuffer.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/recovery/recoveryfolder.h"

#include <QDateTime>
#include <QStringList>

namespace {

// No journal of a text the program can hold is larger: two copies of the largest text and
// the edits a compaction allows.
constexpr qint64 kMaxJournalBytes = qint64(1) << 31;

QString TimeShown(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

JournalReader::Result ReadJournal(const QString &path, TextBuffer &text)
{
    QByteArray bytes;
    bool tooLarge = false;
    const FileError error = FileIO::ReadAll(path, bytes, kMaxJournalBytes, &tooLarge);
    if (error != FileError::None || tooLarge) {
        JournalReader::Result result;
        result.problem = tooLarge ? QStringLiteral("ファイルが大きすぎます。") : FileErrorMessage(error, FileName::Display(path));
        return result;
    }
    return JournalReader::Read(bytes, text);
}

} // namespace

CRecoveryPrompt::CRecoveryPrompt(RecoveryFolder *folder, MultiDocTemplate *docTemplate, QWidget *parent)
    : m_pFolder(folder), m_pDocTemplate(docTemplate), m_pParent(parent)
{
}

CRecoveryPrompt::~CRecoveryPrompt() = default;

int CRecoveryPrompt::Run()
{
    const QStringList journals = m_pFolder->TakeLeftJournals();
    for (const QString &journal : journals) {
        Left left{journal, {}, std::make_unique<TextBuffer>()};
        left.result = ReadJournal(journal, *left.text);
        (left.result.text == JournalReader::Result::Text::None ? m_unreadable : m_usable).push_back(std::move(left));
    }
    int opened = 0;
    bool remove = true;
    if (m_usable.empty()) {
        if (!m_unreadable.empty())
            MsgBox::show(m_pParent, Unreadable(), QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
    } else {
        // A box closed without Yes or No decides nothing: the texts wait for the next start.
        for (;;) {
            const int answer = MsgBox::show(m_pParent, Question(), QString(), MsgBox::Buttons::YesNo, MsgBox::Icon::Question);
            if (answer == MsgBox::IDYES) {
                opened = Open();
                break;
            }
            const int sure = answer != MsgBox::IDNO ? answer : MsgBox::show(m_pParent,
                QStringLiteral("復元しないと、保存していない変更は失われ、元に戻せません。\n\n"
                               "回復用のデータを破棄しますか?"),
                QString(), MsgBox::Buttons::YesNoDefaultNo, MsgBox::Icon::Exclamation);
            if (sure != MsgBox::IDNO) {
                remove = sure == MsgBox::IDYES;
                break;
            }
        }
    }
    if (remove)
        m_pFolder->RemoveLeft(journals);
    else
        m_pFolder->ReleaseLeft();
    return opened;
}

int CRecoveryPrompt::Open()
{
    int opened = 0;
    for (Left &left : m_usable) {
        if (m_pDocTemplate->OpenRecoveredDocument(left.result.origin, *left.text))
            ++opened;
        left.text.reset();
    }
    return opened;
}

QString CRecoveryPrompt::NameOf(const Left &left) const
{
    const QString &path = left.result.origin.path;
    return path.isEmpty() ? m_pDocTemplate->GetDocString(1) : FileName::Display(path);
}

QString CRecoveryPrompt::Question() const
{
    QStringList lines;
    for (const Left &left : m_usable) {
        lines.append(QStringLiteral("・%1 (最終編集 %2)").arg(NameOf(left), TimeShown(left.result.lastEditMs)));
        if (left.result.text == JournalReader::Result::Text::Earlier)
            lines.append(QStringLiteral("    最後の編集の一部は戻せません: %1").arg(left.result.problem));
    }
    QString text = QStringLiteral("前回 ＮＹＯ が正しく終了しなかったため、保存していない文書が残っています:\n\n%1")
                       .arg(lines.join(QLatin1Char('\n')));
    if (!m_unreadable.empty())
        text += QStringLiteral("\n\n") + Unreadable();
    return text + QStringLiteral("\n\n復元しますか?\n"
                                 "[はい] それぞれの文書を別のウィンドウで開きます。保存するまで、変更されたままです。\n"
                                 "[いいえ] 復元せずに破棄します。");
}

QString CRecoveryPrompt::Unreadable() const
{
    QStringList lines;
    for (const Left &left : m_unreadable)
        lines.append(QStringLiteral("・%1: %2").arg(FileName::Display(left.journal), left.result.problem));
    return QStringLiteral("次の回復用のファイルは読めないため、復元できません。削除します:\n%1").arg(lines.join(QLatin1Char('\n')));
}

#include "platform/framework/richeditdoc.h"

#include "platform/framework/afxres.h"
#include "platform/base/fileio.h"
#include "platform/desktop/mail.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditview.h"
#include "platform/dialogs/saveasdialog.h"
#include "platform/framework/winapp.h"

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <utility>

namespace {
RichEditDoc::SaveAsPrompt &saveAsPrompt()
{
    static RichEditDoc::SaveAsPrompt prompt;
    return prompt;
}


// How many of the characters that cannot be saved, or of the places that would read back
// differently, a question shows.
constexpr int kUnencodableShown = 5;
constexpr qsizetype kPlacesShown = 5;

void ReportSendFailure(QWidget *parent, Mail::Result result)
{
    QString text;
    switch (result) {
    case Mail::Result::NoMailSystem: text = QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄを読み込めません。"); break;
    case Mail::Result::BadMailSystem: text = QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ DLL が無効です。"); break;
    case Mail::Result::Failed: text = QStringLiteral("ﾒｰﾙの送信に失敗しました。"); break;
    case Mail::Result::Sent: return;
    }
    MsgBox::show(parent, text, QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
}
} // namespace

const CommandMap<RichEditDoc> &RichEditDoc::messageMap()
{
    using D = RichEditDoc;
    static const CommandMap<D> map{
        OnCommand<D>(ID_FILE_SAVE, &D::OnFileSave),
        OnCommand<D>(ID_FILE_SAVE_AS, &D::OnFileSaveAs),
        OnCommand<D>(ID_FILE_CLOSE, &D::OnFileClose),
    };
    return map;
}

RichEditDoc::RichEditDoc(QObject *parent) : QObject(parent) {}

RichEditDoc::~RichEditDoc()
{
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

bool RichEditDoc::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

void RichEditDoc::SetPathName(const QString &path, bool addToMRU)
{
    m_strPathName = path;
    SetTitle(QFileInfo(path).fileName());
    if (addToMRU)
        if (WinApp *app = WinApp::Get())
            app->AddToRecentFileList(path);
}

void RichEditDoc::SetTitle(const QString &title)
{
    m_strTitle = title;
    emit titleChanged();
}

RichEditView *RichEditDoc::GetView() const
{
    return m_views.value(0);
}

void RichEditDoc::AddView(RichEditView *view)
{
    m_views.append(view);
    view->SetDocument(this);
    view->setBuffer(&m_text);
    if (m_views.size() > 1)
        emit titleChanged();  // the windows are numbered from now on
}

void RichEditDoc::RemoveView(RichEditView *view)
{
    m_views.removeAll(view);
    view->SetDocument(nullptr);
    view->setBuffer(nullptr);
    if (m_views.isEmpty()) {
        if (m_pDocTemplate)
            m_pDocTemplate->RemoveDocument(this);
        m_pDocTemplate = nullptr;
        deleteLater();
    } else {
        emit titleChanged();  // the remaining windows renumber
    }
}

bool RichEditDoc::IsModified() const
{
    return m_text.isModified();
}

void RichEditDoc::SetModifiedFlag(bool modified)
{
    m_text.setModified(modified);
}

void RichEditDoc::DeleteContents()
{
    if (RichEditView *view = GetView())
        view->StreamIn(QByteArray());
}

bool RichEditDoc::OnNewDocument()
{
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool RichEditDoc::OnOpenDocument(const QString &path)
{
    RichEditView *view = GetView();
    if (!view)
        return false;
    QByteArray bytes;
    bool tooLarge = false;
    const FileError error = FileIO::ReadAll(path, bytes, kMaxFileBytes, &tooLarge);
    if (error != FileError::None) {
        ReportSaveLoadException(path, error, false);
        return false;
    }
    if (tooLarge || !view->StreamIn(bytes)) {
        MsgBox::show(view, QStringLiteral("%1 は大きすぎるため開けません。1 つの文書に入る文字数は %2 文字までです。")
                               .arg(path)
                               .arg(view->GetLimitText()),
                     QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
        return false;
    }
    view->viewport()->update();
    SetModifiedFlag(false);
    return true;
}

bool RichEditDoc::OnSaveDocument(const QString &path)
{
    if (!WriteTo(path))
        return false;
    SetModifiedFlag(false);
    return true;
}

bool RichEditDoc::WriteTo(const QString &path)
{
    RichEditView *view = GetView();
    if (!view)
        return false;
    QList<qsizetype> unencodable;
    QList<qsizetype> changed;
    const QByteArray bytes = view->StreamOut(&unencodable, &changed);
    if (!unencodable.isEmpty() && !ConfirmUnencodable(view->toPlainText(), unencodable))
        return false;
    if (!changed.isEmpty() && !ConfirmChangedOnReadBack(changed))
        return false;
    const FileError error = FileIO::WriteAtomic(path, bytes);
    if (error != FileError::None) {
        ReportSaveLoadException(path, error, true);
        return false;
    }
    return true;
}

// Characters the code page cannot hold would turn into "?" on disk: the user decides.
bool RichEditDoc::ConfirmUnencodable(const QString &text, const QList<qsizetype> &positions) const
{
    QString shown;
    int count = 0;
    for (qsizetype pos : positions) {
        if (count == kUnencodableShown)
            break;
        QChar c = text.at(pos);
        QString ch(c);
        if (c.isHighSurrogate() && pos + 1 < text.size() && text.at(pos + 1).isLowSurrogate())
            ch += text.at(pos + 1);
        else if (c.isLowSurrogate())
            continue;  // the second half of a pair already shown
        if (!shown.contains(ch)) {
            const QString code = QStringLiteral("%1").arg(ch.toUcs4().value(0), 4, 16, QLatin1Char('0')).toUpper();
            shown += QStringLiteral("「%1」(U+%2) ").arg(ch, code);
            ++count;
        }
    }
    const QString text2 =
        QStringLiteral("%1 には Shift-JIS で保存できない文字が含まれています:\n%2\n\n"
                       "保存すると、これらの文字は「?」に置き換わります。このまま保存しますか?")
            .arg(DisplayName(), shown.trimmed());
    return MsgBox::show(GetView(), text2, QString(), MsgBox::Buttons::YesNo, MsgBox::Icon::Question) ==
           MsgBox::IDYES;
}

// Places that would reopen as other text: the user decides, shown where it happens. Two line
// breaks that would become one are asked about first, as a line would be lost; then bytes that
// were not valid Shift-JIS and now join a neighbour.
bool RichEditDoc::ConfirmChangedOnReadBack(const QList<qsizetype> &positions) const
{
    RichEditView *view = GetView();
    QList<qsizetype> breaks;
    QList<qsizetype> bytes;
    for (qsizetype pos : positions)
        (m_text.at(pos) == TextBuffer::kBreak ? breaks : bytes).append(pos);
    const auto places = [view](const QList<qsizetype> &at, bool lineEnds) {
        QStringList shown;
        for (qsizetype pos : at.first(std::min<qsizetype>(at.size(), kPlacesShown))) {
            const RichEdit::FilePosition place = view->FilePositionFromChar(pos);
            shown.append(lineEnds ? QStringLiteral("%1 行の行末").arg(place.line)
                                  : QStringLiteral("%1 行 %2 桁").arg(place.line).arg(place.column));
        }
        if (at.size() > kPlacesShown)
            shown.append(QStringLiteral("ほか %1 箇所").arg(at.size() - kPlacesShown));
        return shown.join(QStringLiteral("、"));
    };
    const auto saveAnyway = [view](const QString &text) {
        return MsgBox::show(view, text, QString(), MsgBox::Buttons::YesNo, MsgBox::Icon::Question) == MsgBox::IDYES;
    };
    if (!breaks.isEmpty() &&
        !saveAnyway(QStringLiteral("%1 には、CR だけの改行のすぐ後に LF だけの改行が続く箇所があります:\n%2\n\n"
                                   "保存して開き直すと、この 2 つの改行は 1 つの改行 (CR LF) として読まれ、"
                                   "行が 1 つ減ります。このまま保存しますか?")
                        .arg(DisplayName(), places(breaks, true))))
        return false;
    return bytes.isEmpty() ||
           saveAnyway(QStringLiteral("%1 には、Shift-JIS として正しくないバイトが前後の文字とつながり、"
                                     "保存して開き直すと別の文字に変わる箇所があります:\n%2\n\n"
                                     "このまま保存しますか?")
                          .arg(DisplayName(), places(bytes, false)));
}

QString RichEditDoc::DisplayName() const
{
    return m_strPathName.isEmpty() ? m_strTitle : QFileInfo(m_strPathName).fileName();
}

void RichEditDoc::ReportSaveLoadException(const QString &path, FileError cause, bool saving) const
{
    QString text;
    if (cause == FileError::None)
        text = saving ? FailedToSaveMessage() : FailedToOpenMessage();
    else
        text = FileErrorMessage(cause, path);
    MsgBox::show(GetView(), text, QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
}

QString RichEditDoc::ProposedFileName() const
{
    if (!m_strPathName.isEmpty())
        return m_strPathName;
    QString name = m_strTitle;
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral("[ #%;/\\\\]")));
    if (cut >= 0)
        name.truncate(cut);
    return name;
}

void RichEditDoc::SetSaveAsPrompt(SaveAsPrompt prompt)
{
    saveAsPrompt() = std::move(prompt);
}

QString RichEditDoc::PromptForSaveName() const
{
    const QString proposed = ProposedFileName();
    if (saveAsPrompt())
        return saveAsPrompt()(proposed);
    SaveAsDialog dialog(GetView() ? GetView()->window() : nullptr, proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool RichEditDoc::DoSave(const QString &path, bool replace)
{
    QString name = path;
    if (name.isEmpty()) {
        name = PromptForSaveName();
        if (name.isEmpty())
            return false;
    }
    if (!replace)
        return WriteTo(name);
    if (!OnSaveDocument(name))
        return false;
    if (name != m_strPathName)
        SetPathName(name);
    return true;
}

bool RichEditDoc::DoFileSave()
{
    if (m_strPathName.isEmpty() || !FileIO::Exists(m_strPathName) || FileIO::IsReadOnly(m_strPathName))
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool RichEditDoc::SaveModified()
{
    if (!IsModified())
        return true;
    switch (MsgBox::show(GetView(), QStringLiteral("%1 への変更を保存しますか?").arg(DisplayName()), QString(),
                         MsgBox::Buttons::YesNoCancel, MsgBox::Icon::Question)) {
    case MsgBox::IDYES: return DoFileSave();
    case MsgBox::IDNO: return true;
    default: return false;
    }
}

void RichEditDoc::OnFileSave()
{
    DoFileSave();
}

void RichEditDoc::OnFileSaveAs()
{
    DoSave(QString());
}

void RichEditDoc::OnFileClose()
{
    if (!SaveModified())
        return;
    const QList<RichEditView *> views = m_views;
    for (RichEditView *view : views)
        if (auto *frame = qobject_cast<MDIChildWnd *>(view->parentWidget()))
            frame->CloseWithoutPrompt();
}

// The copy of a modified or untitled document goes to a folder of its own, named as the
// document, so that the mail shows the document's name. The mail program may read it only
// after the hand-off tool has ended: a sent copy stays until the program ends, a copy whose
// hand-off failed goes at once.
void RichEditDoc::OnFileSendMail()
{
    // The wait cursor ends before a report, so that the box shows the ordinary one.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool waiting = true;
    const auto endWait = [&waiting] {
        if (std::exchange(waiting, false))
            QApplication::restoreOverrideCursor();
    };
    const auto restoreCursor = qScopeGuard(endWait);

    const QString tool = Mail::FindTool();
    if (tool.isEmpty()) {
        endWait();
        ReportSendFailure(GetView(), Mail::Result::NoMailSystem);
        return;
    }
    QString file = m_strPathName;
    std::unique_ptr<QTemporaryDir> copyFolder;
    if (file.isEmpty() || IsModified()) {
        copyFolder = Mail::NewAttachmentFolder();
        if (!copyFolder->isValid()) {
            endWait();
            ReportSaveLoadException(QString(), FileError::None, true);
            return;
        }
        // A title is no file name: it may hold a slash, or be "." or "..".
        QString name = DisplayName().replace(u'/', u'_');
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            name = QStringLiteral("_") + name;
        file = copyFolder->filePath(name);
        if (!DoSave(file, false))
            return;
    }

    // The tool runs on its own: the editor stays in use while the mail program is open, and
    // the document may even be closed before the tool ends. The sending belongs to the
    // application, so it ends with the program at the latest; a failure is told to the
    // document's window, or to the main window once the document has gone.
    const QPointer<RichEditDoc> self(this);
    const QPointer<QWidget> mainWindow = WinApp::Get() && WinApp::Get()->GetMainWnd()
                                             ? static_cast<QWidget *>(WinApp::Get()->GetMainWnd())
                                             : (GetView() ? GetView()->window() : nullptr);
    QObject *owner = WinApp::Get() ? static_cast<QObject *>(WinApp::Get()) : QCoreApplication::instance();
    endWait();
    Mail::SendAttachment(tool, file, std::move(copyFolder), owner, [self, mainWindow](Mail::Result result) {
        ReportSendFailure(self && self->GetView() ? self->GetView() : mainWindow.data(), result);
    });
}

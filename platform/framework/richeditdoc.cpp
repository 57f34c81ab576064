#include "platform/framework/richeditdoc.h"

#include "platform/framework/afxres.h"
#include "platform/base/fileio.h"
#include "platform/base/encodingdetector.h"
#include "platform/base/filename.h"
#include "platform/base/systemmemory.h"
#include "platform/desktop/mail.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textloader.h"
#include "platform/framework/richeditview.h"
#include "platform/recovery/journalwriter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTemporaryDir>

#include <limits>
#include <map>
#include <utility>

namespace {
RichEditDoc::SaveAsPrompt &saveAsPrompt()
{
    static RichEditDoc::SaveAsPrompt prompt;
    return prompt;
}

RichEditDoc::SaveAsEncodingPrompt &saveAsEncodingPrompt()
{
    static RichEditDoc::SaveAsEncodingPrompt prompt;
    return prompt;
}


// How many of the characters that cannot be saved, or of the places that would read back
// differently, a question shows.
constexpr int kUnencodableShown = 5;
constexpr qsizetype kPlacesShown = 5;

// What the user is told when a send fails; empty when it did not.
QString SendFailureMessage(Mail::Result result)
{
    switch (result) {
    case Mail::Result::NoMailSystem: return QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄを読み込めません。");
    case Mail::Result::BadMailSystem: return QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ DLL が無効です。");
    case Mail::Result::Failed: return QStringLiteral("ﾒｰﾙの送信に失敗しました。");
    case Mail::Result::Sent: break;
    }
    return QString();
}

// The questions and the notice about a file another program has changed or taken away; path
// is the file's full path, as the file-error messages have it.
QString ReloadQuestion(const QString &path, bool modified)
{
    if (!modified)
        return QStringLiteral("%1 は、ほかのプログラムによって変更されました。\n\n読み込み直しますか?").arg(path);
    return QStringLiteral("%1 は、ほかのプログラムによって変更されました。この文書にも保存していない変更があります。\n\n"
                          "ファイルを読み込み直しますか?\n"
                          "[はい] ファイルを読み込み直します。この文書への変更は失われます。\n"
                          "[いいえ] この文書の内容を残します。次に保存するときに、上書きするかどうかを確認します。")
        .arg(path);
}

QString OverwriteQuestion(const QString &path)
{
    return QStringLiteral("%1 は、最後に開くか保存した後に、ほかのプログラムによって変更されています。\n\n"
                          "上書き保存すると、ほかのプログラムによる変更は失われます。上書き保存しますか?")
        .arg(path);
}

QString GoneNotice(const QString &path)
{
    return QStringLiteral("%1 は、ほかのプログラムによって削除されたか、移動されました。\n\n"
                          "文書の内容はこのまま残ります。自動保存ではこのファイルを作り直しません。"
                          "保存するときは [上書き保存] か [名前を付けて保存] を選んでください。")
        .arg(path);
}

RichEditDoc::AvailableMemory &availableMemory()
{
    static RichEditDoc::AvailableMemory available = SystemMemory::Available;
    return available;
}
} // namespace

const CommandMap<RichEditDoc> &RichEditDoc::messageMap()
{
    using D = RichEditDoc;
    static const CommandMap<D> map{
        OnCommand<D>(ID_FILE_SAVE, &D::OnFileSave),
        OnCommand<D>(ID_FILE_SAVE_AS, &D::OnFileSaveAs),
        OnCommand<D>(ID_FILE_CLOSE, &D::OnFileClose),
        OnCommand<D>(ID_FILE_REOPEN_ENCODING, &D::OnFileReopenEncoding),
        OnUpdateCommand<D>(ID_FILE_REOPEN_ENCODING, &D::OnUpdateFileReopenEncoding),
        OnUpdateCommand<D>(ID_INDICATOR_ENCODING, &D::OnUpdateEncodingIndicator),
    };
    return map;
}

RichEditDoc::RichEditDoc(QObject *parent) : QObject(parent), m_nLimit(RichEdit::kDefaultTextLimit) {}

RichEditDoc::~RichEditDoc() = default;

// A command sees the whole text: finding, printing, saving, jumping to the end, selecting
// all of it.
void RichEditDoc::OnBeforeCommand(int id)
{
    (void)id;
    m_text.completeLoad();
}

bool RichEditDoc::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

void RichEditDoc::SetPathName(const QString &path, bool addToMRU)
{
    m_strPathName = path;
    SetTitle(FileName::Display(QFileInfo(path).fileName()));
    JournalOriginChanged();
    if (addToMRU)
        emit recentFileNamed(path);
}

void RichEditDoc::SetRecoveryFolder(RecoveryFolder *folder)
{
    m_journal.reset();
    if (folder)
        m_journal = std::make_unique<JournalWriter>(folder, &m_text, [this] { return JournalOrigin(); });
}

JournalFormat::Origin RichEditDoc::JournalOrigin() const
{
    JournalFormat::Origin origin;
    origin.path = m_strPathName;
    origin.encoding = m_format.encoding;
    origin.bom = m_format.bom;
    origin.title = m_strTitle;
    if (!m_strPathName.isEmpty() && m_strDiskPath == m_strPathName)
        origin.disk = m_diskKnown;
    return origin;
}

void RichEditDoc::JournalOriginChanged()
{
    if (m_journal)
        m_journal->OriginChanged();
}

void RichEditDoc::Recover(const JournalFormat::Origin &origin, TextBuffer &text)
{
    m_format = {origin.encoding, origin.bom};
    if (!origin.path.isEmpty()) {
        SetPathName(origin.path, false);
        RememberDisk(origin.path, origin.disk);
    }
    m_text.swapText(text);
    ShowStartInViews();
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
    view->LimitText(m_nLimit);
    if (m_views.size() > 1)
        emit titleChanged();  // the windows are numbered from now on
}

void RichEditDoc::RemoveView(RichEditView *view)
{
    m_views.removeAll(view);
    view->SetDocument(nullptr);
    view->setBuffer(nullptr);
    if (m_views.isEmpty()) {
        emit closed();
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

void RichEditDoc::SetEncoding(Encoding encoding)
{
    m_format = {encoding, !Encodings::byteOrderMark(encoding).isEmpty()};
    JournalOriginChanged();
}

void RichEditDoc::OnUpdateEncodingIndicator(CmdUI *ui)
{
    ui->SetText(Encodings::name(m_format.encoding));
}

void RichEditDoc::SetLimitText(qsizetype maxChars)
{
    m_nLimit = maxChars > 0 ? maxChars : RichEdit::kDefaultTextLimit;
    for (RichEditView *view : std::as_const(m_views))
        view->LimitText(m_nLimit);
}

void RichEditDoc::DeleteContents()
{
    StopLoading();
    TextBytes::read(m_text, QByteArrayView(), m_nLimit);
    ShowStartInViews();
}

void RichEditDoc::ShowStartInViews()
{
    for (RichEditView *view : std::as_const(m_views)) {
        view->setPosition(0);
        view->ensureCaretVisible();
        view->viewport()->update();
    }
}

int RichEditDoc::Ask(const QString &question, MsgBox::Buttons buttons) const
{
    return m_pHost ? m_pHost->Ask(this, question, buttons) : int(MsgBox::IDCANCEL);
}

void RichEditDoc::Tell(const QString &message) const
{
    if (m_pHost)
        m_pHost->Tell(this, message);
}

void RichEditDoc::TellSaveOutcome(const SaveOutcome &outcome) const
{
    if (m_pHost)
        m_pHost->TellSaveOutcome(this, outcome);
}

bool RichEditDoc::OnNewDocument()
{
    DeleteContents();
    SetEncoding(Encoding::Cp932);
    SetModifiedFlag(false);
    return true;
}

namespace {
struct Preloaded {
    std::unique_ptr<TextLoader> loader;
    FileIdentity onDisk;
};

std::map<QString, Preloaded> &preloads()
{
    static std::map<QString, Preloaded> reads;
    return reads;
}

TextLoader::Options loaderOptions(std::optional<Encoding> encoding, qint64 maxBytes)
{
    TextLoader::Options options;
    options.encoding = encoding;
    options.maxBytes = maxBytes;
    return options;
}
} // namespace

// Asked before a byte is read, and again by the read itself: nothing large is allocated for a
// file that does not fit, and a file that grows meanwhile stops at what fits. The file on disk
// is looked at before reading: a change made while the file is read is then taken for one
// made after, and asked about, never overlooked.
void RichEditDoc::Preload(const QString &path)
{
    const FileIdentity onDisk = FileIdentity::Of(path);
    if (preloads().count(path) || MemoryShortFor(QFileInfo(path).size()))
        return;
    preloads()[path] = {std::make_unique<TextLoader>(path, loaderOptions(std::nullopt, LargestFileInMemory())), onDisk};
}

void RichEditDoc::DropPreloads()
{
    preloads().clear();
}

std::unique_ptr<TextLoader> RichEditDoc::StartReading(const QString &path, std::optional<Encoding> encoding,
                                                      FileIdentity *onDisk)
{
    const auto preloaded = preloads().find(path);
    if (preloaded != preloads().end() && !encoding) {
        std::unique_ptr<TextLoader> loader = std::move(preloaded->second.loader);
        *onDisk = preloaded->second.onDisk;
        preloads().erase(preloaded);
        return loader;
    }
    *onDisk = FileIdentity::Of(path);
    if (MemoryShortFor(QFileInfo(path).size()))
        return nullptr;
    return std::make_unique<TextLoader>(path, loaderOptions(encoding, LargestFileInMemory()));
}

RichEditDoc::ReadOutcome RichEditDoc::ReadFile(const QString &path, std::unique_ptr<TextLoader> loader)
{
    const qint64 fileBytes = QFileInfo(path).size();
    if (!loader)
        return {FileError::None, false, TextBytes::memoryToRead(fileBytes)};
    const TextLoader::Start start = loader->waitForStart();
    if (start.error != FileError::None)
        return {start.error, false};
    if (start.tooLarge)
        return {FileError::None, false, TextBytes::memoryToRead(std::max(fileBytes, LargestFileInMemory()) + 1)};
    if (m_nLimit < RichEdit::kDefaultTextLimit)
        return ReadWhole(*loader, start.format);
    StopLoading();
    std::vector<TextBuffer::Piece> first = loader->takePieces(true);
    if (first.empty())
        first.emplace_back();
    m_text.load(first.front());
    m_text.reserve(start.mostChars);
    for (size_t i = 1; i < first.size(); ++i)
        m_text.appendLoaded(first[i]);
    m_format = start.format;
    // The rest comes in while the window answers; an edit, or a command that needs the whole
    // text, waits for it (FinishLoading).
    m_loader = std::move(loader);
    connect(m_loader.get(), &TextLoader::piecesReady, this, &RichEditDoc::AppendLoaded);
    m_text.setLoadCompletion([this] { FinishLoading(); });
    // A file that fits in the first piece is whole by now, or all but: it opens as one.
    if (start.fileBytes <= TextLoader::Options().firstPieceBytes)
        FinishLoading();
    else
        AppendLoaded();
    return {};
}

// A document with a limit holds the whole file or nothing of it, so the whole text is
// counted before any of it goes in.
RichEditDoc::ReadOutcome RichEditDoc::ReadWhole(TextLoader &loader, const TextBytes::Format &format)
{
    std::vector<TextBuffer::Piece> pieces;
    qsizetype length = 0;
    while (!loader.isDone()) {
        for (TextBuffer::Piece &piece : loader.takePieces(true)) {
            length += piece.text.size();
            pieces.push_back(std::move(piece));
        }
    }
    if (length > m_nLimit)
        return {FileError::None, true};
    if (pieces.empty())
        pieces.emplace_back();
    StopLoading();
    m_text.load(pieces.front());
    m_text.reserve(length);
    for (size_t i = 1; i < pieces.size(); ++i)
        m_text.appendLoaded(pieces[i]);
    m_format = format;
    return {};
}

void RichEditDoc::AppendLoaded()
{
    if (!m_loader)
        return;
    // A few pieces at a time, so that events are answered in between.
    constexpr int kPiecesAtATime = 4;
    for (const TextBuffer::Piece &piece : m_loader->takePieces(false, kPiecesAtATime))
        m_text.appendLoaded(piece);
    if (m_loader->isDone())
        StopLoading();
}

// The user sees the wait: it lasts as long as decoding the rest of the file takes.
void RichEditDoc::FinishLoading()
{
    if (!m_loader)
        return;
    if (!m_loader->isDone()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        do {
            for (const TextBuffer::Piece &piece : m_loader->takePieces(true))
                m_text.appendLoaded(piece);
        } while (!m_loader->isDone());
        QGuiApplication::restoreOverrideCursor();
    }
    StopLoading();
}

// Called from the loader's own signal too: it goes once the signal has returned, or with
// the document.
void RichEditDoc::StopLoading()
{
    m_text.setLoadCompletion(nullptr);
    if (!m_loader)
        return;
    disconnect(m_loader.get(), nullptr, this, nullptr);
    m_loader->stop();
    m_loader->setParent(this);
    m_loader.release()->deleteLater();
}

bool RichEditDoc::IsLoading() const
{
    return m_loader != nullptr;
}

void RichEditDoc::SetAvailableMemory(AvailableMemory available)
{
    availableMemory() = std::move(available);
}

qint64 RichEditDoc::LargestFileInMemory()
{
    const std::optional<qint64> available = availableMemory()();
    if (!available)
        return std::numeric_limits<qint64>::max();  // the system does not say: no check of ours
    qint64 fits = 0, over = std::numeric_limits<qint64>::max();
    while (over - fits > 1) {
        const qint64 mid = fits + (over - fits) / 2;
        (TextBytes::memoryToRead(mid) <= *available ? fits : over) = mid;
    }
    return fits;
}

qint64 RichEditDoc::MemoryShortFor(qint64 fileBytes)
{
    return fileBytes > LargestFileInMemory() ? TextBytes::memoryToRead(fileBytes) : 0;
}

QString RichEditDoc::TooLargeMessage(const QString &path, const ReadOutcome &outcome) const
{
    if (outcome.tooLarge)
        return QStringLiteral("%1 は大きすぎるため開けません。1 つの文書に入る文字数は %2 文字までです。")
            .arg(FileName::Display(path))
            .arg(m_nLimit);
    constexpr qint64 kMiB = 1024 * 1024;
    const qint64 available = availableMemory()().value_or(0);
    return QStringLiteral("%1 は大きすぎるため開けません。開くには約 %2 MB のメモリが要りますが、空いているのは約 %3 MB です。")
        .arg(FileName::Display(path))
        .arg((outcome.memoryNeeded + kMiB - 1) / kMiB)
        .arg(available / kMiB);
}

bool RichEditDoc::OnOpenDocument(const QString &path)
{
    return ReadDocument(path, std::nullopt);
}

bool RichEditDoc::ReadDocument(const QString &path, std::optional<Encoding> encoding)
{
    FileIdentity onDisk;
    std::unique_ptr<TextLoader> loader = StartReading(path, encoding, &onDisk);
    const ReadOutcome outcome = ReadFile(path, std::move(loader));
    if (outcome.error != FileError::None) {
        Tell(FileErrorMessage(outcome.error, FileName::Display(path)));
        return false;
    }
    if (outcome.tooLarge || outcome.memoryNeeded) {
        Tell(TooLargeMessage(path, outcome));
        return false;
    }
    RememberDisk(path, onDisk);
    ShowStartInViews();
    SetModifiedFlag(false);
    return true;
}

SaveOutcome RichEditDoc::OnSaveDocument(const QString &path)
{
    const SaveOutcome outcome = WriteTo(path);
    if (outcome.IsSaved()) {
        RememberDisk(path, FileIdentity::Of(path));
        SetModifiedFlag(false);
    }
    return outcome;
}

void RichEditDoc::RememberDisk(const QString &path, const FileIdentity &identity)
{
    m_strDiskPath = path;
    m_diskKnown = identity;
    m_diskAsked = m_diskKeptOff = FileIdentity();
    JournalOriginChanged();
}

FileIdentity RichEditDoc::DiskNow() const
{
    if (m_strPathName.isEmpty() || m_strDiskPath != m_strPathName || m_diskKnown.state() == FileIdentity::State::Unknown)
        return FileIdentity();
    return FileIdentity::Of(m_strPathName);
}

// The file asked about is remembered whatever the answer: the question that closes gives the
// main window back, and the same change must not be asked about again at once.
void RichEditDoc::CheckFileOnDisk()
{
    if (m_bAskingAboutDisk)
        return;
    const FileIdentity now = DiskNow();
    if (now.state() == FileIdentity::State::Unknown || now == m_diskKnown || now == m_diskAsked)
        return;
    m_diskAsked = now;
    if (now.IsMissing()) {
        Tell(GoneNotice(m_strPathName));
        return;
    }
    if (AskAboutDisk(ReloadQuestion(m_strPathName, IsModified())))
        Reload();
}

// Timers run on while a box is open: an auto-save in the meantime neither asks a second
// question about the same file nor writes it before the user has answered.
bool RichEditDoc::AskAboutDisk(const QString &question)
{
    const QScopedValueRollback<bool> asking(m_bAskingAboutDisk, true);
    return Ask(question, MsgBox::Buttons::YesNo) == MsgBox::IDYES;
}

bool RichEditDoc::Reload()
{
    return !m_strPathName.isEmpty() && OnOpenDocument(m_strPathName);
}

bool RichEditDoc::ReopenAs(Encoding encoding)
{
    return !m_strPathName.isEmpty() && ReadDocument(m_strPathName, encoding);
}

bool RichEditDoc::NeedsAutoSave()
{
    if (!IsModified() || m_bAskingAboutDisk)
        return false;
    const FileIdentity now = DiskNow();
    if (!now.IsMissing())
        return true;
    if (now != m_diskAsked) {
        m_diskAsked = now;
        Tell(GoneNotice(m_strPathName));
    }
    return false;
}

SaveOutcome RichEditDoc::DoAutoSave()
{
    const FileIdentity now = DiskNow();
    if (now.IsPresent() && now != m_diskKnown && now == m_diskKeptOff)
        return SaveOutcome::Cancelled();
    return DoFileSave();
}

// Only the document's own file, as last read or written, is compared: a Save As to another
// name asks its own question about a file that is there, and a file that has gone is made
// again only by a save the user asked for (Save goes to Save As then).
bool RichEditDoc::ConfirmOverwriteOutsideChange(const QString &path)
{
    if (path != m_strPathName)
        return true;
    if (m_bAskingAboutDisk)
        return false;
    const FileIdentity now = DiskNow();
    if (!now.IsPresent() || now == m_diskKnown)
        return true;
    m_diskAsked = now;
    if (AskAboutDisk(OverwriteQuestion(path)))
        return true;
    m_diskKeptOff = now;
    return false;
}

SaveOutcome RichEditDoc::WriteTo(const QString &path)
{
    m_text.completeLoad();
    if (!ConfirmOverwriteOutsideChange(path))
        return SaveOutcome::Cancelled();
    // The bytes go to the file as they are made, no copy of them all in memory; the questions
    // about them come once all are made, before the file is replaced.
    const auto produce = [this](const FileIO::BytesSink &put) {
        QList<qsizetype> unencodable;
        QList<qsizetype> changed;
        if (!TextBytes::write(m_text, put, &unencodable, &changed, m_format))
            return false;  // the file could not take them: WriteAtomic tells why
        if (!unencodable.isEmpty() && !ConfirmUnencodable(unencodable))
            return false;
        return changed.isEmpty() || ConfirmChangedOnReadBack(changed);
    };
    bool kept = false;
    const FileError error = FileIO::WriteAtomic(path, produce, &kept);
    if (kept)
        return SaveOutcome::Cancelled();
    if (error != FileError::None)
        return SaveOutcome::Failed(path, error);
    return SaveOutcome::Saved();
}

// Characters the code page cannot hold would turn into "?" on disk: the user decides.
bool RichEditDoc::ConfirmUnencodable(const QList<qsizetype> &positions) const
{
    // Read where they stand: a copy of the whole text could be as large as the text.
    QString shown;
    int count = 0;
    for (qsizetype pos : positions) {
        if (count == kUnencodableShown)
            break;
        QChar c = m_text.at(pos);
        QString ch(c);
        char32_t ucs = c.unicode();  // a lone surrogate as itself, not as U+FFFD
        if (c.isHighSurrogate() && pos + 1 < m_text.length() && m_text.at(pos + 1).isLowSurrogate()) {
            ch += m_text.at(pos + 1);
            ucs = QChar::surrogateToUcs4(c, m_text.at(pos + 1));
        } else if (c.isLowSurrogate()) {
            continue;  // the second half of a pair already shown
        }
        if (!shown.contains(ch)) {
            const QString code = QStringLiteral("%1").arg(uint(ucs), 4, 16, QLatin1Char('0')).toUpper();
            shown += QStringLiteral("「%1」(U+%2) ").arg(ch, code);
            ++count;
        }
    }
    const QString text2 =
        QStringLiteral("%1 には %2 で保存できない文字が含まれています:\n%3\n\n"
                       "保存すると、これらの文字は「?」に置き換わります。このまま保存しますか?")
            .arg(DisplayName(), EncodingShown(), shown.trimmed());
    return Ask(text2, MsgBox::Buttons::YesNo) == MsgBox::IDYES;
}

// Places that would reopen as other text: the user decides, shown where it happens. Two line
// breaks that would become one are asked about first, as a line would be lost; then bytes that
// were not valid Shift-JIS and now join a neighbour.
bool RichEditDoc::ConfirmChangedOnReadBack(const QList<qsizetype> &positions) const
{
    QList<qsizetype> breaks;
    QList<qsizetype> bytes;
    for (qsizetype pos : positions)
        (m_text.at(pos) == TextBuffer::kBreak ? breaks : bytes).append(pos);
    const auto places = [this](const QList<qsizetype> &at, bool lineEnds) {
        QStringList shown;
        for (qsizetype pos : at.first(std::min<qsizetype>(at.size(), kPlacesShown))) {
            // Line and column as a file counts them, both from 1.
            const qsizetype line = m_text.lineOf(pos);
            const qsizetype column = pos - m_text.lineStart(line) + 1;
            shown.append(lineEnds ? QStringLiteral("%1 行の行末").arg(line + 1)
                                  : QStringLiteral("%1 行 %2 桁").arg(line + 1).arg(column));
        }
        if (at.size() > kPlacesShown)
            shown.append(QStringLiteral("ほか %1 箇所").arg(at.size() - kPlacesShown));
        return shown.join(QStringLiteral("、"));
    };
    const auto saveAnyway = [this](const QString &text) { return Ask(text, MsgBox::Buttons::YesNo) == MsgBox::IDYES; };
    if (!breaks.isEmpty() &&
        !saveAnyway(QStringLiteral("%1 には、CR だけの改行のすぐ後に LF だけの改行が続く箇所があります:\n%2\n\n"
                                   "保存して開き直すと、この 2 つの改行は 1 つの改行 (CR LF) として読まれ、"
                                   "行が 1 つ減ります。このまま保存しますか?")
                        .arg(DisplayName(), places(breaks, true))))
        return false;
    return bytes.isEmpty() ||
           saveAnyway(QStringLiteral("%1 には、%2 として正しくないバイトが前後の文字とつながり、"
                                     "保存して開き直すと別の文字に変わる箇所があります:\n%3\n\n"
                                     "このまま保存しますか?")
                          .arg(DisplayName(), EncodingShown(), places(bytes, false)));
}

QString RichEditDoc::EncodingShown() const
{
    return m_format.encoding == Encoding::Cp932 ? QStringLiteral("Shift-JIS") : Encodings::name(m_format.encoding);
}

QString RichEditDoc::DisplayName() const
{
    return m_strPathName.isEmpty() ? m_strTitle : FileName::Display(QFileInfo(m_strPathName).fileName());
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

void RichEditDoc::SetSaveAsEncodingPrompt(SaveAsEncodingPrompt prompt)
{
    saveAsEncodingPrompt() = std::move(prompt);
}

QString RichEditDoc::PromptForSaveName(Encoding &encoding) const
{
    const QString proposed = ProposedFileName();
    if (saveAsEncodingPrompt())
        return saveAsEncodingPrompt()(proposed, encoding);
    if (saveAsPrompt())
        return saveAsPrompt()(proposed);
    return m_pHost ? m_pHost->AskSaveName(this, proposed, &encoding) : QString();
}

// A Save As may choose another encoding: the file is written in it, and a document that takes
// the new name keeps it. A copy, or a save that did not happen, leaves the document's own.
SaveOutcome RichEditDoc::DoSave(const QString &path, bool replace)
{
    QString name = path;
    const TextBytes::Format kept = m_format;
    if (name.isEmpty()) {
        Encoding encoding = m_format.encoding;
        name = PromptForSaveName(encoding);
        if (name.isEmpty())
            return SaveOutcome::Cancelled();
        if (encoding != m_format.encoding)
            SetEncoding(encoding);
    }
    if (!replace) {
        const SaveOutcome outcome = WriteTo(name);
        m_format = kept;
        return outcome;
    }
    const SaveOutcome outcome = OnSaveDocument(name);
    if (!outcome.IsSaved())
        m_format = kept;
    else if (name != m_strPathName)
        SetPathName(name);
    return outcome;
}

SaveOutcome RichEditDoc::DoFileSave()
{
    if (m_strPathName.isEmpty() || !FileIO::Exists(m_strPathName) || FileIO::IsReadOnly(m_strPathName))
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool RichEditDoc::SaveModified()
{
    if (!IsModified())
        return true;
    switch (Ask(QStringLiteral("%1 への変更を保存しますか?").arg(DisplayName()), MsgBox::Buttons::YesNoCancel)) {
    case MsgBox::IDYES: {
        const SaveOutcome outcome = DoFileSave();
        TellSaveOutcome(outcome);
        return outcome.IsSaved();
    }
    case MsgBox::IDNO: return true;
    default: return false;
    }
}

void RichEditDoc::OnFileSave()
{
    TellSaveOutcome(DoFileSave());
}

void RichEditDoc::OnFileSaveAs()
{
    TellSaveOutcome(DoSave(QString()));
}

// The question comes first: the user who would lose typing need not pick an encoding at all.
void RichEditDoc::OnFileReopenEncoding()
{
    if (m_strPathName.isEmpty() || !m_pHost)
        return;
    if (IsModified() &&
        Ask(QStringLiteral("%1 への変更は失われます。\n\nファイルを開き直しますか?").arg(DisplayName()),
            MsgBox::Buttons::YesNo) != MsgBox::IDYES)
        return;
    if (const std::optional<Encoding> chosen = m_pHost->AskEncoding(this, m_format.encoding))
        ReopenAs(*chosen);
}

void RichEditDoc::OnUpdateFileReopenEncoding(CmdUI *ui)
{
    ui->Enable(!m_strPathName.isEmpty());
}

void RichEditDoc::OnFileClose()
{
    if (SaveModified())
        emit closeRequested();
}

// The copy of a modified or untitled document goes to a folder of its own, named as the
// document, so that the mail shows the document's name. The mail program may read it only
// after the hand-off tool has ended: a sent copy stays until the program ends, a copy whose
// hand-off failed goes at once.
void RichEditDoc::OnFileSendMail()
{
    // The wait ends before a report, so that the box shows the ordinary pointer.
    DocumentHost *host = m_pHost;
    if (host)
        host->BeginWait();
    bool waiting = host != nullptr;
    const auto endWait = [&waiting, host] {
        if (std::exchange(waiting, false))
            host->EndWait();
    };
    const auto restoreCursor = qScopeGuard(endWait);

    const QString tool = Mail::FindTool();
    if (tool.isEmpty()) {
        endWait();
        Tell(SendFailureMessage(Mail::Result::NoMailSystem));
        return;
    }
    QString file = m_strPathName;
    std::unique_ptr<QTemporaryDir> copyFolder;
    // A name that is not UTF-8 cannot be handed to the tool as its bytes: a copy named as the
    // document reads goes instead.
    if (file.isEmpty() || IsModified() || FileName::HasEscapes(file)) {
        copyFolder = Mail::NewAttachmentFolder();
        if (!copyFolder->isValid()) {
            endWait();
            TellSaveOutcome(SaveOutcome::Failed(QString(), FileError::None));
            return;
        }
        // A title is no file name: it may hold a slash, or be "." or "..".
        QString name = DisplayName().replace(u'/', u'_');
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            name = QStringLiteral("_") + name;
        file = copyFolder->filePath(name);
        const SaveOutcome outcome = DoSave(file, false);
        if (!outcome.IsSaved()) {
            endWait();
            TellSaveOutcome(outcome);
            return;
        }
    }

    // The tool runs on its own: the editor stays in use while the mail program is open, and
    // the document may even be closed before the tool ends. The sending belongs to the
    // host, so it ends with the host at the latest; a failure is told over the document's
    // window, or the host's own once the document has gone.
    const QPointer<RichEditDoc> self(this);
    QObject *owner = host ? host->WorkOwner() : QCoreApplication::instance();
    endWait();
    Mail::SendAttachment(tool, file, std::move(copyFolder), owner, [self, host](Mail::Result result) {
        const QString message = SendFailureMessage(result);
        if (host && !message.isEmpty())
            host->Tell(self && self->GetView() ? self.data() : nullptr, message);
    });
}

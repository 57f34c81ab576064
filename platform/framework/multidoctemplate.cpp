#include "platform/framework/multidoctemplate.h"

#include "platform/framework/mdichildwnd.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>

MultiDocTemplate::MultiDocTemplate(const QString &docString, Factories factories,
                                   QObject *parent)
    : QObject(parent), m_docFields(docString.split(QLatin1Char('\n'))),
      m_factories(std::move(factories))
{
}

MultiDocTemplate::~MultiDocTemplate()
{
    for (RichEditDoc *doc : std::as_const(m_docList)) {
        doc->SetDocTemplate(nullptr);
        doc->SetHost(nullptr);  // the host may go with the template's owner
    }
}

QString MultiDocTemplate::GetDocString(int field) const
{
    return m_docFields.value(field);
}

QString MultiDocTemplate::NextUntitledTitle()
{
    return GetDocString(1) + QString::number(++m_nUntitledCount);
}

MDIChildWnd *MultiDocTemplate::CreateNewFrame(RichEditDoc *document)
{
    MDIChildWnd *frame = m_factories.frame();
    RichEditView *view = m_factories.view();
    view->SetPrintSettings(m_pPrintSettings);
    view->SetDocument(document);
    document->AddView(view);
    frame->Attach(document, view);
    if (m_pMdiArea)
        m_pMdiArea->addSubWindow(frame);
    if (view->OnCreate() == -1) {
        frame->CloseWithoutPrompt();
        return nullptr;
    }
    return frame;
}

RichEditDoc *MultiDocTemplate::OpenDocumentFile(const QString &path)
{
    return Open(path, nullptr, nullptr);
}

RichEditDoc *MultiDocTemplate::OpenRecoveredDocument(const JournalFormat::Origin &origin, TextBuffer &text)
{
    return Open(QString(), &origin, &text);
}

RichEditDoc *MultiDocTemplate::Open(const QString &path, const JournalFormat::Origin *origin, TextBuffer *text)
{
    RichEditDoc *doc = m_factories.document();
    doc->SetDocTemplate(this);
    doc->SetHost(m_pHost);
    doc->SetRecoveryFolder(m_pRecovery);
    m_docList.append(doc);
    // A document leaves the list as its last window closes, or when deleted otherwise.
    connect(doc, &RichEditDoc::closed, this, [this, doc] { RemoveDocument(doc); });
    connect(doc, &QObject::destroyed, this, [this, doc] { RemoveDocument(doc); });
    emit documentAdded(doc);
    MDIChildWnd *frame = CreateNewFrame(doc);
    if (!frame)
        return nullptr;  // the frame's closing took the document with it

    const bool ok = path.isEmpty() ? doc->OnNewDocument() : doc->OnOpenDocument(path);
    if (!ok) {
        frame->CloseWithoutPrompt();
        return nullptr;
    }
    if (!path.isEmpty())
        doc->SetPathName(path);
    else if (!origin || origin->path.isEmpty())
        doc->SetTitle(NextUntitledTitle());
    if (origin)
        doc->Recover(*origin, *text);
    InitialUpdateFrame(frame);
    return doc;
}

void MultiDocTemplate::InitialUpdateFrame(MDIChildWnd *frame)
{
    frame->GetActiveView()->OnInitialUpdate();
    frame->ActivateFrame(-1);
}

RichEditDoc *MultiDocTemplate::FindDocument(const QString &path) const
{
    const QFileInfo wanted(path);
    const QString canonical = wanted.canonicalFilePath();
    for (RichEditDoc *doc : m_docList) {
        const QString &docPath = doc->GetPathName();
        if (docPath.isEmpty())
            continue;
        if (docPath == wanted.absoluteFilePath())
            return doc;
        if (!canonical.isEmpty() && QFileInfo(docPath).canonicalFilePath() == canonical)
            return doc;
    }
    return nullptr;
}

void MultiDocTemplate::RemoveDocument(RichEditDoc *document)
{
    m_docList.removeAll(document);
}

QList<MDIChildWnd *> MultiDocTemplate::GetFrames(const RichEditDoc *document) const
{
    QList<MDIChildWnd *> frames;
    for (RichEditView *view : document->GetViews())
        if (auto *frame = qobject_cast<MDIChildWnd *>(view->parentWidget()))
            frames.append(frame);
    return frames;
}

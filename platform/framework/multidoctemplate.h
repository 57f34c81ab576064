#pragma once
// The one document template: makes a document, its frame and its view for New and Open,
// numbers untitled documents, finds an open document by its path and a document's windows. It
// gives each document and view what the application hands it: the host of the documents'
// questions and the print settings.
#include "platform/recovery/journalformat.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class RichEditDoc;
class RichEditView;
class MDIChildWnd;
class QMdiArea;
class DocumentHost;
class PrintSettings;
class TextBuffer;
class RecoveryFolder;

class MultiDocTemplate : public QObject {
    Q_OBJECT
public:
    struct Factories {
        std::function<RichEditDoc *()> document;
        std::function<MDIChildWnd *()> frame;
        std::function<RichEditView *()> view;
    };

    // docString holds seven fields separated by line feeds; the second is the base of the
    // titles of new documents.
    MultiDocTemplate(const QString &docString, Factories factories, QObject *parent = nullptr);
    ~MultiDocTemplate() override;

    QString GetDocString(int field) const;

    void SetMdiArea(QMdiArea *area) { m_pMdiArea = area; }
    // Given to every document made from now on.
    void SetDocumentHost(DocumentHost *host) { m_pHost = host; }
    // Given to every view made from now on.
    void SetPrintSettings(PrintSettings *settings) { m_pPrintSettings = settings; }
    // Where every document made from now on keeps the journal of its unsaved text.
    void SetRecoveryFolder(RecoveryFolder *folder) { m_pRecovery = folder; }

    // Opens path in a new window, or a new empty document when path is empty. Returns the
    // document, or null when it could not be opened (the user has been told why).
    RichEditDoc *OpenDocumentFile(const QString &path);
    // A text read back from a recovery journal in a new window: modified, attached to the
    // journal's file, or numbered as a new document when it has none (text gets an empty one).
    RichEditDoc *OpenRecoveredDocument(const JournalFormat::Origin &origin, TextBuffer &text);
    // A further window on an open document, not yet shown; null when its view could not be made.
    MDIChildWnd *CreateNewFrame(RichEditDoc *document);
    // Tells the new window's view that its document is there and shows the window as the
    // frame's activation decides.
    void InitialUpdateFrame(MDIChildWnd *frame);

    // The open document with this path, if any.
    RichEditDoc *FindDocument(const QString &path) const;
    const QList<RichEditDoc *> &GetDocuments() const { return m_docList; }
    void RemoveDocument(RichEditDoc *document);
    // The windows showing a document, in the order its views were made.
    QList<MDIChildWnd *> GetFrames(const RichEditDoc *document) const;

signals:
    // A document joined the open ones, before it is opened or made new.
    void documentAdded(RichEditDoc *document);

private:
    QString NextUntitledTitle();
    // Opening's one road: path, or a new document that takes a recovered text when given one.
    RichEditDoc *Open(const QString &path, const JournalFormat::Origin *origin, TextBuffer *text);

    QStringList m_docFields;
    Factories m_factories;
    QMdiArea *m_pMdiArea = nullptr;
    DocumentHost *m_pHost = nullptr;
    PrintSettings *m_pPrintSettings = nullptr;
    RecoveryFolder *m_pRecovery = nullptr;
    QList<RichEditDoc *> m_docList;
    int m_nUntitledCount = 0;
};

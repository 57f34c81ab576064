// Printing: pages printed to PDF and read back with the PDF tools (margins, every line once,
// the print font), the display font back after each run, page setup, the preview's pages
// against the printed ones, and Cancel in the window shown while printing.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "editor/nyodoc.h"
#include "editor/printsetup.h"
#include "platform/framework/printpreview.h"
#include "platform/base/profile.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace AppHelper;

namespace {

struct Word { QRectF box; QString text; };  // points, from the page's top left
struct Page { QSizeF size; QList<Word> words; };

// The output of one of the PDF tools, empty when it fails.
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// The words of each page with their boxes, as pdftotext finds them.
QList<Page> readPages(const QString &pdf)
{
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
                       R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QList<Page> pages;
    for (const QRegularExpressionMatch &m : tag.globalMatch(html)) {
        const auto at = [&m](int i) { return m.captured(i).toDouble(); };
        if (!m.captured(1).isEmpty())
            pages.append({QSizeF(at(1), at(2)), {}});
        else if (!pages.isEmpty())
            pages.last().words.append({QRectF(QPointF(at(3), at(4)), QPointF(at(5), at(6))), m.captured(7)});
    }
    return pages;
}

void storeFont(const char *section, const QString &face, int twips)
{
    CharFormat format;
    format.cbSize = CharFormat::kSize;
    format.dwMask = CharFormat::CFM_FACE | CharFormat::CFM_SIZE;
    format.yHeight = twips;
    format.szFaceName = face;
    WriteFontRecord(QString::fromLatin1(section), format);
}

// Lines "行001 ああ…" that wrap once each at the default margins.
QString numberedLines(int count, int digits = 3)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("行%1 ").arg(i, digits, 10, QLatin1Char('0')) + QString(60, QChar(u'あ'));
    return lines.join(QLatin1Char('\n'));
}

// Top and bottom margins of 10 cm: pages of a few rows, so that a short text has many.
void storeShortPages()
{
    Keys::MarginTop.write(10000);
    Keys::MarginBottom.write(10000);
}

// The preview's pages drawn to a PDF file for the printer's paper, as its window draws them.
void renderPreview(const PrintPreview &preview, QPrinter *like, const QString &pdf)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(pdf);
    printer.setPageLayout(like->pageLayout());
    printer.setFullPage(true);
    QPainter painter(&printer);
    for (int page = 1; page <= preview.Starts().Count(); ++page) {
        if (page > 1)
            printer.newPage();
        preview.Canvas().RenderPage(painter, page);
    }
}

const IntKey kMargins[] = {Keys::MarginLeft, Keys::MarginTop, Keys::MarginRight, Keys::MarginBottom};

// Accepts or rejects the next dialog once look has seen it.
void answerNext(bool accept, const std::function<void(QWidget *)> &look = nullptr)
{
    onModal([=](QWidget *modal) {
        if (look)
            look(modal);
        QMetaObject::invokeMethod(modal, accept ? "accept" : "reject");
    });
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    QString m_pdf;

    CNYOView *viewWith(const QString &text)
    {
        if (!m_app)
            m_app = startApp();
        activeView(m_app.get())->ReplaceSel(text);
        return activeView(m_app.get());
    }
    // Prints the active document to the PDF file, without the print dialog unless asked.
    QString printToPdf(int command = ID_FILE_PRINT_DIRECT)
    {
        QFile::remove(m_pdf);
        m_app->GetPrinter()->setOutputFileName(m_pdf);  // a PDF file, by its name
        execute(m_app.get(), command);
        return m_pdf;
    }

private slots:
    void init()
    {
        useFreshEnvironment();
        m_pdf = scratchDir() + QStringLiteral("/out.pdf");
    }
    void cleanup() { stopApp(m_app); }

    void pagesKeepTheMargins_data()
    {
        QTest::addColumn<QList<int>>("stored");   // hundredths of a millimetre: left top right bottom
        QTest::addColumn<QMargins>("printed");    // where the text lies on the paper, in twips
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<int>("from");            // first of two pages chosen in the print dialog; 0: all
        QTest::newRow("none stored: 10 mm") << QList<int>() << QMargins(566, 566, 566, 566) << QPageSize::Letter << 0;
        QTest::newRow("an inch") << QList<int>{2540, 2540, 2540, 2540} << QMargins(1437, 1437, 1437, 1437) << QPageSize::Letter << 0;
        QTest::newRow("each its own") << QList<int>{2540, 1000, 500, 3000} << QMargins(1437, 566, 283, 1698) << QPageSize::Letter << 0;
        // The text is laid out for letter paper whatever the printer holds.
        QTest::newRow("A4 paper") << QList<int>() << QMargins(566, 566, 566, 566) << QPageSize::A4 << 0;
        // A stored margin past reason still leaves an inch of paper to print on.
        QTest::newRow("garbage") << QList<int>{-3000, 1000, 900000, 1000} << QMargins(0, 566, 5400, 566) << QPageSize::Letter << 0;
        QTest::newRow("pages 2 and 3") << QList<int>() << QMargins(566, 566, 566, 566) << QPageSize::Letter << 2;
    }

    // Every line once, in order, across the page breaks, and each page's ink within the margins.
    // A range chosen in the print dialog prints those pages, starting where the whole text's page
    // would; the next run prints everything again.
    void pagesKeepTheMargins()
    {
        QFETCH(QList<int>, stored);
        QFETCH(QMargins, printed);
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(int, from);
        for (qsizetype i = 0; i < stored.size(); ++i)
            kMargins[i].write(stored[i]);
        storeFont(Keys::kPrintFont, QStringLiteral("IPAGothic"), 200);
        viewWith(numberedLines(160));
        m_app->GetPrinter()->setPageSize(QPageSize(paper));
        const QList<Page> pages = readPages(printToPdf());
        QVERIFY(pages.size() > from + 1);
        const double left = printed.left() / 20.0, top = printed.top() / 20.0;
        const double right = (12240 - printed.right()) / 20.0, bottom = (15840 - printed.bottom()) / 20.0;
        const double tolerance = 1.5, em = 10;  // points; one character of the 10-point font
        QStringList numbers;
        QRectF all;  // the ink of every page together
        for (const Page &page : pages) {
            QVERIFY(qAbs(page.size.width() - QPageSize(paper).size(QPageSize::Point).width()) < 1);
            QRectF ink;
            for (const Word &word : page.words) {
                if (word.text.startsWith(u'行'))
                    numbers << word.text;
                ink |= word.box;
            }
            QVERIFY2(ink.top() > top - tolerance && ink.top() < top + em && ink.bottom() < bottom + tolerance,
                     qPrintable(QStringLiteral("%1 %2").arg(ink.top()).arg(ink.bottom())));
            all |= ink;
        }
        QVERIFY2(qAbs(all.left() - left) < tolerance, qPrintable(QString::number(all.left())));
        QVERIFY2(all.right() < right + tolerance && all.right() > right - em - tolerance, qPrintable(QString::number(all.right())));
        QCOMPARE(numbers, numberedLines(160).split(u'\n').replaceInStrings(QRegularExpression(QStringLiteral(" .*")), QString()));
        if (!from)
            return;

        const auto firstWords = [](const QList<Page> &pages) {
            QStringList words;
            for (const Page &page : pages)
                words << page.words.value(0).text;
            return words;
        };
        // To the dialog's file entry, never to a printer the machine may have.
        answerNext(true, [this, from](QWidget *modal) {
            auto *printers = modal->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1);
            modal->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(m_pdf);
            modal->findChild<QRadioButton *>(QStringLiteral("printRange"))->setChecked(true);
            modal->findChild<QSpinBox *>(QStringLiteral("from"))->setValue(from);
            modal->findChild<QSpinBox *>(QStringLiteral("to"))->setValue(from + 1);
        });
        QCOMPARE(firstWords(readPages(printToPdf(ID_FILE_PRINT))), firstWords(pages).mid(from - 1, 2));
        QCOMPARE(firstWords(readPages(printToPdf())), firstWords(pages));
    }

    // The print font command starts from the stored print font and stores its choice. That font
    // is on the text from the start of a run to its end, for printing and for the preview; a
    // cancelled print dialog starts no run. Otherwise the text shows the stored display font, or,
    // with none stored, the font it had.
    void printFontOnlyWhilePrinting()
    {
        storeFont(Keys::kFont, QStringLiteral("IPAGothic"), 240);
        storeFont(Keys::kPrintFont, QStringLiteral("IPAMincho"), 200);
        CNYOView *view = viewWith(QStringLiteral("印刷の書体"));
        const auto showsDisplayFont = [view] {
            return view->font().family() == QStringLiteral("IPAGothic") && view->font().pointSizeF() == 12.0;
        };
        answerNext(true, [&](QWidget *modal) {
            QCOMPARE(modal->findChild<QLineEdit *>(QStringLiteral("faceEdit"))->text(), QStringLiteral("IPAMincho"));
            modal->findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->setText(QStringLiteral("14"));
        });
        QVERIFY(execute(m_app.get(), ID_FORMAT_PRINTFONT));
        QCOMPARE(ReadFontRecord(QString::fromLatin1(Keys::kPrintFont)).yHeight, 280);
        QVERIFY(showsDisplayFont());

        const QString fonts = run(QStringLiteral("pdffonts"), {printToPdf()});
        QVERIFY2(fonts.contains(QStringLiteral("IPAMincho")) && !fonts.contains(QStringLiteral("IPAGothic")), qPrintable(fonts));
        QVERIFY(showsDisplayFont());

        answerNext(false);  // the print dialog cancelled: nothing printed
        QVERIFY(!QFile::exists(printToPdf(ID_FILE_PRINT)));

        QString previewFace;
        answerNext(false, [&](QWidget *) { previewFace = view->font().family(); });
        QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
        QCOMPARE(previewFace, QStringLiteral("IPAMincho"));
        QVERIFY(showsDisplayFont());

        // A printer that cannot start: the failure is told, and the run still ends.
        m_app->GetPrinter()->setOutputFileName(QStringLiteral("/nonexistent/folder/out.pdf"));
        QVERIFY(execute(m_app.get(), ID_FILE_PRINT_DIRECT));
        QCOMPARE(boxes().texts, QStringList{QStringLiteral("印刷を開始できませんでした。")});
        QVERIFY(showsDisplayFont());

        Profile::DeleteProfileSection(QString::fromLatin1(Keys::kFont));
        printToPdf();
        QVERIFY(showsDisplayFont());
        // With no print font stored the text prints in the font it shows.
        Profile::DeleteProfileSection(QString::fromLatin1(Keys::kPrintFont));
        QVERIFY(run(QStringLiteral("pdffonts"), {printToPdf()}).contains(QStringLiteral("IPAGothic")));
    }

    // The dialog shows the window's margins; confirmed, they are stored and used by windows
    // opened later, while a window already open keeps those it read.
    void pageSetup()
    {
        m_app = startApp();
        CNYOView *first = activeView(m_app.get());
        const auto setMargins = [this](double mm, bool ok) {
            answerNext(ok, [=](QWidget *modal) {
                const QList<QDoubleSpinBox *> boxes = modal->findChildren<QDoubleSpinBox *>(
                    QRegularExpression(QStringLiteral("^(left|top|right|bottom)Margin$")));
                QCOMPARE(boxes.size(), 4);
                for (QDoubleSpinBox *box : boxes) {
                    QCOMPARE(box->value(), 10.0);  // the 10 mm default, in millimetres
                    box->setValue(mm);
                }
            });
            QVERIFY(execute(m_app.get(), ID_FILE_PAGE_SETUP));
        };
        const QMargins tenMM(1000, 1000, 1000, 1000), inch(2540, 2540, 2540, 2540);
        setMargins(30, false);
        QVERIFY(Profile::ProfileKeys(QString::fromLatin1(Keys::kPrintFont)).isEmpty());  // where margins go
        QCOMPARE(first->PrintSetup()->PageMargin(), tenMM);

        execute(m_app.get(), ID_FILE_NEW);
        CNYOView *second = activeView(m_app.get());
        setMargins(25.4, true);
        QCOMPARE(second->PrintSetup()->PageMargin(), inch);
        for (const IntKey &key : kMargins)
            QCOMPARE(key.read(), 2540);
        QCOMPARE(first->PrintSetup()->PageMargin(), tenMM);
        execute(m_app.get(), ID_FILE_NEW);
        QCOMPARE(activeView(m_app.get())->PrintSetup()->PageMargin(), inch);
    }

    void pageSetupKeepsWhatPrintingLaysOut_data()
    {
        QTest::addColumn<QList<double>>("typed");  // millimetres: left top right bottom
        QTest::addColumn<QList<int>>("stored");    // hundredths of a millimetre
        QTest::addColumn<QString>("told");
        const QString kept = QStringLiteral("余白が大きすぎるため、次の余白を記憶しました。\n左 %1 mm、上 %2 mm、右 %3 mm、下 %4 mm");
        // Margins count from the paper's edge: none is too small, whatever the printer's own border.
        QTest::newRow("none, and printing's largest") << QList<double>{0, 0.5, 95.42, 127.22} << QList<int>{0, 50, 9542, 12722} << QString();
        // The text is laid out on letter paper with at least an inch left to print on.
        QTest::newRow("wider than printing lays out") << QList<double>{120, 10, 10, 10} << QList<int>{9542, 1000, 1000, 1000}
                                                      << kept.arg(QStringLiteral("95.42"), QStringLiteral("10.00"), QStringLiteral("10.00"), QStringLiteral("10.00"));
        QTest::newRow("beyond the paper") << QList<double>{300, 400, 10, 500} << QList<int>{9542, 12722, 1000, 12722}
                                          << kept.arg(QStringLiteral("95.42"), QStringLiteral("127.22"), QStringLiteral("10.00"), QStringLiteral("127.22"));
    }

    // Page setup stores the margins as typed where printing lays the text out with them; where
    // it cannot, it stores what printing uses and says so.
    void pageSetupKeepsWhatPrintingLaysOut()
    {
        QFETCH(QList<double>, typed);
        QFETCH(QList<int>, stored);
        m_app = startApp();
        answerNext(true, [&](QWidget *modal) {
            const char *names[] = {"leftMargin", "topMargin", "rightMargin", "bottomMargin"};
            for (int i = 0; i < 4; ++i)
                modal->findChild<QDoubleSpinBox *>(QLatin1String(names[i]))->setValue(typed[i]);
        });
        QVERIFY(execute(m_app.get(), ID_FILE_PAGE_SETUP));
        QList<int> inStore;
        for (const IntKey &key : kMargins)
            inStore << key.read();
        QCOMPARE(inStore, stored);
        QCOMPARE(activeView(m_app.get())->PrintSetup()->PageMargin(), QMargins(stored[0], stored[1], stored[2], stored[3]));
        QTEST(boxes().texts.value(0), "told");
        QVERIFY(boxes().texts.size() <= 1);
    }

    // Print in the preview closes it and runs the print command: the print dialog, then the
    // pages in the print font; the display font is back after both runs.
    void printFromThePreview()
    {
        storeFont(Keys::kFont, QStringLiteral("IPAGothic"), 240);
        storeFont(Keys::kPrintFont, QStringLiteral("IPAMincho"), 200);
        CNYOView *view = viewWith(numberedLines(160));
        QFile::remove(m_pdf);
        bool asked = false;
        onModal([&](QWidget *preview) {
            preview->findChild<QAction *>(QStringLiteral("printAction"))->trigger();
            answerNext(true, [&](QWidget *dialog) {
                asked = dialog->windowTitle() == QStringLiteral("印刷");
                auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
                printers->setCurrentIndex(printers->count() - 1);
                dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(m_pdf);
            });
        });
        QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
        QVERIFY(asked);
        const QString fonts = run(QStringLiteral("pdffonts"), {m_pdf});
        QVERIFY2(fonts.contains(QStringLiteral("IPAMincho")), qPrintable(fonts));
        QCOMPARE(view->font().family(), QStringLiteral("IPAGothic"));
    }

    // One page or two side by side, as the preview was last closed, kept across starts; its own
    // page setup is not offered, as the pages keep the margins of the page setup command.
    void previewRemembersItsPages()
    {
        Keys::PreviewPages.write(2);
        bool opened = false;  // facing
        const QString pageSetup = QCoreApplication::translate("QPrintPreviewDialog", "Page setup");
        for (int start = 0; start < 2; ++start) {
            viewWith(QStringLiteral("abc"));
            answerNext(false, [&](QWidget *modal) {
                opened = qobject_cast<PrintPreview *>(modal)->Facing();
                for (const QAction *action : modal->findChildren<QAction *>())
                    QVERIFY(action->text() != pageSetup || !action->isVisible());
                modal->findChild<QAction *>(QStringLiteral("singleModeAction"))->trigger();
            });
            QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
            QCOMPARE(opened, !start);
            QCOMPARE(Keys::PreviewPages.read(), start ? 1 : 2);  // written at exit
            stopApp(m_app);
            QCOMPARE(Keys::PreviewPages.read(), 1);
        }
    }

    // The preview shows its first page before every page is found, and the count fills in. Its
    // pages are the printed pages: the same words at the same places, page by page. The last
    // page is reached once the count is known; the keys page as the buttons do; the page fits
    // the window until zoomed in.
    void previewShowsThePrintedPages()
    {
        storeShortPages();
        storeFont(Keys::kPrintFont, QStringLiteral("IPAGothic"), 200);
        viewWith(numberedLines(2400, 4));
        const QList<Page> printed = readPages(printToPdf());
        QVERIFY2(printed.size() >= 200, qPrintable(QString::number(printed.size())));
        const QString shown = scratchDir() + QStringLiteral("/preview.pdf");
        int atFirstSight = -1, last = 0, keyed = 0;
        bool fits = false, zooms = false;
        answerNext(false, [&](QWidget *modal) {
            auto *preview = qobject_cast<PrintPreview *>(modal);
            atFirstSight = preview->Starts().Done() ? preview->Starts().Count() : 0;
            QTRY_VERIFY_WITH_TIMEOUT(preview->Starts().Done(), 60000);
            preview->findChild<QAction *>(QStringLiteral("lastPageAction"))->trigger();
            last = preview->CurrentPage();
            // The page fits the window as it opens; zoomed in, it is larger than the window.
            const QWidget *room = preview->findChild<QScrollArea *>()->viewport();
            fits = preview->Canvas().width() <= room->width() && preview->Canvas().height() <= room->height();
            preview->findChild<QAction *>(QStringLiteral("zoomInAction"))->trigger();
            preview->findChild<QAction *>(QStringLiteral("zoomInAction"))->trigger();
            zooms = preview->Canvas().height() > room->height();
            QTest::keyClick(preview, Qt::Key_Home, Qt::ControlModifier);
            QTest::keyClick(preview, Qt::Key_PageDown);
            keyed = preview->CurrentPage();
            renderPreview(*preview, m_app->GetPrinter(), shown);
        });
        QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
        QCOMPARE(atFirstSight, 0);
        QCOMPARE(last, printed.size());
        QCOMPARE(keyed, 2);  // Ctrl+Home, then Page Down
        QVERIFY(fits);
        QVERIFY(zooms);
        const QList<Page> previewed = readPages(shown);
        QCOMPARE(previewed.size(), printed.size());
        for (qsizetype i = 0; i < printed.size(); ++i) {
            const QList<Word> &a = printed[i].words, &b = previewed[i].words;
            QCOMPARE(b.size(), a.size());
            for (qsizetype w = 0; w < a.size(); ++w) {
                QCOMPARE(b[w].text, a[w].text);
                const QPointF moved = b[w].box.topLeft() - a[w].box.topLeft();
                QVERIFY2(qAbs(moved.x()) < 0.1 && qAbs(moved.y()) < 0.1, qPrintable(QStringLiteral("page %1: %2").arg(i + 1).arg(a[w].text)));
            }
        }
    }

    void cancelStopsAfterThePage_data()
    {
        QTest::addColumn<int>("page");  // Cancel is pressed once the window names this page
        QTest::newRow("first") << 1;
        QTest::newRow("fourth") << 4;
    }

    // While printing, a modal window names the document and the page being printed; Cancel
    // stops the run after that page, and the display font comes back. A printer that cannot
    // abort keeps the pages printed, and the user is told how many.
    void cancelStopsAfterThePage()
    {
        QFETCH(int, page);
        storeShortPages();
        storeFont(Keys::kFont, QStringLiteral("IPAGothic"), 240);
        storeFont(Keys::kPrintFont, QStringLiteral("IPAMincho"), 200);
        CNYOView *view = viewWith(numberedLines(400));
        int pressedAt = 0;
        QString title, document;
        onModal([&](QWidget *modal) {
            title = modal->windowTitle();
            document = modal->findChild<QLabel *>(QStringLiteral("document"))->text();
            auto *poll = new QTimer(modal);
            QObject::connect(poll, &QTimer::timeout, modal, [&, modal, poll] {
                const QString text = modal->findChild<QLabel *>(QStringLiteral("page"))->text();
                const int shown = text.section(u' ', 0, 0).toInt();
                if (shown < page || pressedAt)
                    return;
                pressedAt = shown;
                poll->stop();
                modal->findChild<QPushButton *>(QStringLiteral("IDCANCEL"))->click();
            });
            poll->start(0);
        });
        const QList<Page> pages = readPages(printToPdf());
        QCOMPARE(title, QStringLiteral("印刷中"));
        QCOMPARE(document, view->GetDocument()->GetTitle());
        QVERIFY(pressedAt >= page);
        QVERIFY2(pages.size() <= pressedAt + 1, qPrintable(QString::number(pages.size())));
        QVERIFY(pressedAt + 1 < 40);  // the text has more pages than were printed
        // A PDF file cannot be taken back: what it holds is told.
        const QString kept = QStringLiteral("印刷を中止しました。\nこのプリンタでは、印刷済みの %1 ページは取り消せません。");
        QCOMPARE(boxes().texts, QStringList{kept.arg(pages.size())});
        QCOMPARE(view->font().family(), QStringLiteral("IPAGothic"));
        QCOMPARE(view->font().pointSizeF(), 12.0);
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"

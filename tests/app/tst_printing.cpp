// Printing: pages printed to PDF and read back with the PDF tools (margins, every line once,
// the print font), the display font back after each run, page setup and the preview's pages.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/profile.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QTest>

using namespace AppHelper;

namespace {

struct Word {
    QRectF box;  // points, from the page's top left
    QString text;
};
struct Page {
    QSizeF size;
    QList<Word> words;
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The words of each page with their boxes, as pdftotext finds them.
QList<Page> readPages(const QString &pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
                       R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Page> pages;
    for (const QRegularExpressionMatch &m : tag.globalMatch(html)) {
        if (!m.captured(1).isEmpty()) {
            pages.append({QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()), {}});
        } else if (!pages.isEmpty()) {
            const QPointF topLeft(m.captured(3).toDouble(), m.captured(4).toDouble());
            const QPointF bottomRight(m.captured(5).toDouble(), m.captured(6).toDouble());
            pages.last().words.append({QRectF(topLeft, bottomRight), m.captured(7)});
        }
    }
    return pages;
}

CharFormat fontNamed(const QString &face, int twips)
{
    CharFormat format;
    format.cbSize = CharFormat::kSize;
    format.dwMask = CharFormat::CFM_FACE | CharFormat::CFM_SIZE;
    format.yHeight = twips;
    format.szFaceName = face;
    return format;
}

// Lines "行001 ああ…" that wrap once each at the default margins.
QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("行%1 ").arg(i, 3, 10, QLatin1Char('0')) + QString(60, QChar(u'あ'));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pagesKeepTheMargins_data();
    void pagesKeepTheMargins();
    void printFontOnlyWhilePrinting();
    void pageRangeForOneRun();
    void pageSetup();
    void printFontCommand();
    void previewRemembersItsPages();

private:
    CNYOView *viewWith(const QString &text);
    // Prints the active document to a PDF file (without the print dialog unless asked).
    QString printToPdf(int command = ID_FILE_PRINT_DIRECT);

    std::unique_ptr<CNYOApp> m_app;
    QString m_pdf;
};

void TestPrinting::init()
{
    useFreshEnvironment();
    recordBoxes();
    m_pdf = scratchDir() + QStringLiteral("/out.pdf");
}

void TestPrinting::cleanup()
{
    stopApp(m_app);
}

CNYOView *TestPrinting::viewWith(const QString &text)
{
    if (!m_app)
        m_app = startApp();
    CNYOView *view = activeView(m_app.get());
    view->ReplaceSel(text);
    return view;
}

QString TestPrinting::printToPdf(int command)
{
    QFile::remove(m_pdf);
    QPrinter *printer = m_app->GetPrinter();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(m_pdf);
    execute(m_app.get(), command);
    return m_pdf;
}

void TestPrinting::pagesKeepTheMargins_data()
{
    QTest::addColumn<QList<int>>("stored");    // hundredths of a millimetre: left top right bottom
    QTest::addColumn<QMargins>("converted");   // the run's margins in twips
    QTest::addColumn<QMargins>("printed");     // where the text lies on the paper, in twips
    QTest::addColumn<QPageSize::PageSizeId>("paper");

    const QMargins tenMM(566, 566, 566, 566);
    QTest::newRow("none stored: 10 mm") << QList<int>() << tenMM << tenMM << QPageSize::Letter;
    QTest::newRow("an inch") << QList<int>{2540, 2540, 2540, 2540} << QMargins(1437, 1437, 1437, 1437)
                             << QMargins(1437, 1437, 1437, 1437) << QPageSize::Letter;
    QTest::newRow("each its own") << QList<int>{2540, 1000, 500, 3000} << QMargins(1437, 566, 283, 1698)
                                  << QMargins(1437, 566, 283, 1698) << QPageSize::Letter;
    // The text is laid out for letter paper whatever the printer holds.
    QTest::newRow("A4 paper") << QList<int>() << tenMM << tenMM << QPageSize::A4;
    // A stored margin past reason still leaves an inch of paper to print on.
    QTest::newRow("garbage") << QList<int>{-3000, 1000, 900000, 1000} << QMargins(-1698, 566, 509400, 566)
                             << QMargins(0, 566, 5400, 566) << QPageSize::Letter;
}

void TestPrinting::pagesKeepTheMargins()
{
    QFETCH(QList<int>, stored);
    QFETCH(QMargins, converted);
    QFETCH(QMargins, printed);
    QFETCH(QPageSize::PageSizeId, paper);
    if (!stored.isEmpty()) {
        Keys::MarginLeft.write(stored[0]);
        Keys::MarginTop.write(stored[1]);
        Keys::MarginRight.write(stored[2]);
        Keys::MarginBottom.write(stored[3]);
    }
    WriteFontRecord(QStringLiteral("PFONT"), fontNamed(QStringLiteral("IPAGothic"), 200));
    const int lines = 100;
    CNYOView *view = viewWith(numberedLines(lines));
    m_app->GetPrinter()->setPageSize(QPageSize(paper));
    const QList<Page> pages = readPages(printToPdf());
    QCOMPARE(view->PrintMargin(), converted);

    QVERIFY(pages.size() > 1);
    const QSizeF paperPoints = QPageSize(paper).size(QPageSize::Point);
    const double left = printed.left() / 20.0, top = printed.top() / 20.0;
    const double right = (12240 - printed.right()) / 20.0, bottom = (15840 - printed.bottom()) / 20.0;
    const double tolerance = 1.5, em = 10;  // points; one character of the 10-point font
    QStringList numbers;
    double minLeft = 1e9, maxRight = 0;
    for (const Page &page : pages) {
        QVERIFY(qAbs(page.size.width() - paperPoints.width()) < 1);
        QVERIFY(!page.words.isEmpty());
        double pageTop = 1e9, pageBottom = 0;
        for (const Word &word : page.words) {
            if (word.text.startsWith(u'行'))
                numbers << word.text;
            minLeft = qMin(minLeft, word.box.left());
            maxRight = qMax(maxRight, word.box.right());
            pageTop = qMin(pageTop, word.box.top());
            pageBottom = qMax(pageBottom, word.box.bottom());
        }
        QVERIFY2(pageTop > top - tolerance && pageTop < top + em, qPrintable(QString::number(pageTop)));
        QVERIFY2(pageBottom < bottom + tolerance, qPrintable(QString::number(pageBottom)));
    }
    QVERIFY2(qAbs(minLeft - left) < tolerance, qPrintable(QString::number(minLeft)));
    QVERIFY2(maxRight < right + tolerance && maxRight > right - em - tolerance, qPrintable(QString::number(maxRight)));
    // Every line once, in order, across the page breaks.
    QCOMPARE(numbers.size(), lines);
    for (int i = 0; i < lines; ++i)
        QCOMPARE(numbers[i], QStringLiteral("行%1").arg(i + 1, 3, 10, QLatin1Char('0')));
}

// The print font is on the text from the start of a run to its end, for printing and for the
// preview; a cancelled print dialog starts no run. Afterwards the text shows the stored display
// font, or, with none stored, the font it had.
void TestPrinting::printFontOnlyWhilePrinting()
{
    WriteFontRecord(QStringLiteral("FONT"), fontNamed(QStringLiteral("IPAGothic"), 240));
    WriteFontRecord(QStringLiteral("PFONT"), fontNamed(QStringLiteral("IPAMincho"), 210));
    CNYOView *view = viewWith(QStringLiteral("印刷の書体"));
    const auto showsDisplayFont = [view] {
        return view->font().family() == QStringLiteral("IPAGothic") && view->font().pointSizeF() == 12.0;
    };
    QVERIFY(showsDisplayFont());

    const QString fonts = run(QStringLiteral("pdffonts"), {printToPdf()});
    QVERIFY2(fonts.contains(QStringLiteral("IPAMincho")) && !fonts.contains(QStringLiteral("IPAGothic")),
             qPrintable(fonts));
    QVERIFY(showsDisplayFont());

    // The print dialog cancelled: no run began.
    onModal([](QWidget *modal) { QMetaObject::invokeMethod(modal, "reject"); });
    view->SetMargins(QMargins());
    QVERIFY(!QFile::exists(printToPdf(ID_FILE_PRINT)));
    QCOMPARE(view->GetMargins(), QMargins());
    // Confirmed, it prints (to the file entry, never to a printer the machine may have).
    onModal([this](QWidget *modal) {
        auto *printers = modal->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1);
        modal->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(m_pdf);
        QMetaObject::invokeMethod(modal, "accept");
    });
    QVERIFY(QFile::exists(printToPdf(ID_FILE_PRINT)));
    QVERIFY(showsDisplayFont());

    QString previewFace;
    onModal([&](QWidget *modal) {
        previewFace = view->font().family();
        QMetaObject::invokeMethod(modal, "reject");
    });
    QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
    QCOMPARE(previewFace, QStringLiteral("IPAMincho"));
    QVERIFY(showsDisplayFont());

    // A printer that cannot start: the failure is told, and the run still ends.
    m_app->GetPrinter()->setOutputFileName(QStringLiteral("/nonexistent/folder/out.pdf"));
    QVERIFY(execute(m_app.get(), ID_FILE_PRINT_DIRECT));
    QCOMPARE(boxes().texts, QStringList{QStringLiteral("印刷を開始できませんでした。")});
    QVERIFY(showsDisplayFont());

    // With no display font stored the text keeps the font it showed.
    Profile::DeleteProfileSection(QStringLiteral("FONT"));
    QVERIFY(Profile::ProfileKeys(QStringLiteral("FONT")).isEmpty());
    printToPdf();
    QVERIFY(showsDisplayFont());
    // With no print font stored the text prints in the font it shows.
    Profile::DeleteProfileSection(QStringLiteral("PFONT"));
    QVERIFY(run(QStringLiteral("pdffonts"), {printToPdf()}).contains(QStringLiteral("IPAGothic")));
}

// A range chosen in the print dialog prints those pages, starting where the whole text's page
// would; the next run prints everything again.
void TestPrinting::pageRangeForOneRun()
{
    WriteFontRecord(QStringLiteral("PFONT"), fontNamed(QStringLiteral("IPAGothic"), 200));
    viewWith(numberedLines(160));
    const auto firstNumbers = [](const QList<Page> &pages) {
        QStringList numbers;
        for (const Page &page : pages)
            numbers << page.words.value(0).text;
        return numbers;
    };
    const QStringList all = firstNumbers(readPages(printToPdf()));
    QVERIFY(all.size() >= 4);

    onModal([this](QWidget *modal) {
        auto *printers = modal->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1);
        modal->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(m_pdf);
        modal->findChild<QRadioButton *>(QStringLiteral("printRange"))->setChecked(true);
        modal->findChild<QSpinBox *>(QStringLiteral("from"))->setValue(2);
        modal->findChild<QSpinBox *>(QStringLiteral("to"))->setValue(3);
        QMetaObject::invokeMethod(modal, "accept");
    });
    QCOMPARE(firstNumbers(readPages(printToPdf(ID_FILE_PRINT))), all.mid(1, 2));
    QCOMPARE(firstNumbers(readPages(printToPdf())), all);
}

void TestPrinting::pageSetup()
{
    m_app = startApp();
    CNYOView *first = activeView(m_app.get());
    const auto setMargins = [](double mm, bool ok) {
        onModal([=](QWidget *modal) {
            const QList<QDoubleSpinBox *> boxes = modal->findChildren<QDoubleSpinBox *>(
                QRegularExpression(QStringLiteral("^(left|top|right|bottom)Margin$")));
            QCOMPARE(boxes.size(), 4);
            for (QDoubleSpinBox *box : boxes) {
                QCOMPARE(box->value(), 10.0);  // the 10 mm default, in millimetres
                box->setValue(mm);
            }
            QMetaObject::invokeMethod(modal, ok ? "accept" : "reject");
        });
    };
    setMargins(30, false);
    QVERIFY(execute(m_app.get(), ID_FILE_PAGE_SETUP));
    QVERIFY(Profile::ProfileKeys(QStringLiteral("PFONT")).isEmpty());
    QCOMPARE(first->PageMargin(), QMargins(1000, 1000, 1000, 1000));

    execute(m_app.get(), ID_FILE_NEW);
    CNYOView *second = activeView(m_app.get());
    QVERIFY(second != first);
    setMargins(25.4, true);
    QVERIFY(execute(m_app.get(), ID_FILE_PAGE_SETUP));
    QCOMPARE(second->PageMargin(), QMargins(2540, 2540, 2540, 2540));
    for (const IntKey &key : {Keys::MarginLeft, Keys::MarginTop, Keys::MarginRight, Keys::MarginBottom})
        QCOMPARE(key.read(), 2540);
    // A window already open keeps the margins it read; a new one reads the new ones.
    QCOMPARE(first->PageMargin(), QMargins(1000, 1000, 1000, 1000));
    execute(m_app.get(), ID_FILE_NEW);
    QCOMPARE(activeView(m_app.get())->PageMargin(), QMargins(2540, 2540, 2540, 2540));
}

// The dialog starts from the stored print font and stores its choice; the text keeps its font.
void TestPrinting::printFontCommand()
{
    CNYOView *view = viewWith(QStringLiteral("abc"));
    const QFont shown = view->font();
    QString startFace;
    onModal([&](QWidget *modal) {
        startFace = modal->findChild<QLineEdit *>(QStringLiteral("faceEdit"))->text();
        QMetaObject::invokeMethod(modal, "reject");
    });
    QVERIFY(execute(m_app.get(), ID_FORMAT_PRINTFONT));
    QCOMPARE(startFace, QStringLiteral("System"));
    QVERIFY(Profile::ProfileKeys(QStringLiteral("PFONT")).isEmpty());

    WriteFontRecord(QStringLiteral("PFONT"), fontNamed(QStringLiteral("IPAMincho"), 200));
    onModal([&](QWidget *modal) {
        startFace = modal->findChild<QLineEdit *>(QStringLiteral("faceEdit"))->text();
        modal->findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->setText(QStringLiteral("14"));
        QMetaObject::invokeMethod(modal, "accept");
    });
    QVERIFY(execute(m_app.get(), ID_FORMAT_PRINTFONT));
    QCOMPARE(startFace, QStringLiteral("IPAMincho"));
    const CharFormat stored = ReadFontRecord(QStringLiteral("PFONT"));
    QCOMPARE(stored.yHeight, 280);
    QCOMPARE(stored.szFaceName, QStringLiteral("IPAMincho"));
    QCOMPARE(view->font(), shown);
}

// One page or two side by side, as the preview was last closed, kept across starts.
void TestPrinting::previewRemembersItsPages()
{
    Keys::PreviewPages.write(2);
    viewWith(QStringLiteral("abc"));
    QPrintPreviewWidget::ViewMode opened = QPrintPreviewWidget::AllPagesView;
    onModal([&](QWidget *modal) {
        opened = modal->findChild<QPrintPreviewWidget *>()->viewMode();
        // Its own page setup is not offered: the pages keep the margins of the page setup command.
        const QString pageSetup = QCoreApplication::translate("QPrintPreviewDialog", "Page setup");
        for (const QAction *action : modal->findChildren<QAction *>())
            QVERIFY(action->text() != pageSetup || !action->isVisible());
        modal->findChild<QAction *>(QStringLiteral("singleModeAction"))->trigger();
        QMetaObject::invokeMethod(modal, "reject");
    });
    QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
    QCOMPARE(opened, QPrintPreviewWidget::FacingPagesView);
    QCOMPARE(Keys::PreviewPages.read(), 2);  // written at exit
    stopApp(m_app);
    QCOMPARE(Keys::PreviewPages.read(), 1);

    viewWith(QStringLiteral("abc"));
    onModal([&](QWidget *modal) {
        opened = modal->findChild<QPrintPreviewWidget *>()->viewMode();
        QMetaObject::invokeMethod(modal, "reject");
    });
    QVERIFY(execute(m_app.get(), ID_FILE_PRINT_PREVIEW));
    QCOMPARE(opened, QPrintPreviewWidget::SinglePageView);
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"

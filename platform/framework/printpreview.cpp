#include "platform/framework/printpreview.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr qreal kZoomStep = 1.25;
}

PrintPreview::PrintPreview(const QSizeF &paper, qsizetype length, PageStarts::NextStart next,
                           PreviewCanvas::PaintPage paint, QWidget *parent)
    : QDialog(parent), m_starts(length, std::move(next)), m_pScroll(new QScrollArea(this)),
      m_pCanvas(new PreviewCanvas(paper, &m_starts, std::move(paint)))
{
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_pScroll->setObjectName(QStringLiteral("previewArea"));
    m_pScroll->setAlignment(Qt::AlignCenter);
    m_pScroll->setBackgroundRole(QPalette::Dark);
    m_pScroll->setWidget(m_pCanvas);
    m_pScroll->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MakeToolBar();
    layout->addWidget(m_pScroll);
    connect(&m_starts, &PageStarts::countChanged, this, &PrintPreview::ShowCount);
    ShowCount();
    m_starts.Start();
}

QAction *PrintPreview::AddAction(const QString &name, const QString &icon, const QString &text)
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    // The icons the toolkit's own print preview shows, where its library holds them.
    const QString file = QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/%1-24.png").arg(icon);
    if (QFile::exists(file))
        action->setIcon(QIcon(file));
    return action;
}

void PrintPreview::MakeToolBar()
{
    auto *bar = new QToolBar(this);
    layout()->addWidget(bar);
    QAction *print = AddAction(QStringLiteral("printAction"), QStringLiteral("printer"), QStringLiteral("印刷"));
    connect(print, &QAction::triggered, this, [this] { done(Print); });
    bar->addAction(print);
    bar->addSeparator();
    QAction *fitWidth = AddAction(QStringLiteral("fitWidthAction"), QStringLiteral("zoom-fit-width"), QStringLiteral("幅に合わせる"));
    QAction *fitPage = AddAction(QStringLiteral("fitPageAction"), QStringLiteral("zoom-fit-page"), QStringLiteral("ページ全体"));
    QAction *zoomIn = AddAction(QStringLiteral("zoomInAction"), QStringLiteral("zoom-in"), QStringLiteral("拡大"));
    QAction *zoomOut = AddAction(QStringLiteral("zoomOutAction"), QStringLiteral("zoom-out"), QStringLiteral("縮小"));
    connect(fitWidth, &QAction::triggered, this, [this] { SetFit(Fit::Width); });
    connect(fitPage, &QAction::triggered, this, [this] { SetFit(Fit::Page); });
    connect(zoomIn, &QAction::triggered, this, [this] { Zoom(kZoomStep); });
    connect(zoomOut, &QAction::triggered, this, [this] { Zoom(1 / kZoomStep); });
    bar->addActions({fitWidth, fitPage, zoomIn, zoomOut});
    bar->addSeparator();
    QAction *first = AddAction(QStringLiteral("firstPageAction"), QStringLiteral("go-first"), QStringLiteral("先頭ページ"));
    QAction *previous = AddAction(QStringLiteral("prevPageAction"), QStringLiteral("go-previous"), QStringLiteral("前ページ"));
    QAction *next = AddAction(QStringLiteral("nextPageAction"), QStringLiteral("go-next"), QStringLiteral("次ページ"));
    QAction *last = AddAction(QStringLiteral("lastPageAction"), QStringLiteral("go-last"), QStringLiteral("最終ページ"));
    // The keys page through the text whatever has the focus, the scrolled paper included.
    first->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    previous->setShortcut(QKeySequence(Qt::Key_PageUp));
    next->setShortcut(QKeySequence(Qt::Key_PageDown));
    last->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_End));
    connect(first, &QAction::triggered, this, [this] { SetCurrentPage(1); });
    connect(previous, &QAction::triggered, this, [this] { Step(-1); });
    connect(next, &QAction::triggered, this, [this] { Step(1); });
    connect(last, &QAction::triggered, this, [this] { SetCurrentPage(m_starts.Count()); });
    m_pPageNumber = new QSpinBox(bar);
    m_pPageNumber->setObjectName(QStringLiteral("pageNumEdit"));
    m_pPageNumber->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_pPageNumber->setKeyboardTracking(false);
    connect(m_pPageNumber, &QSpinBox::valueChanged, this, &PrintPreview::SetCurrentPage);
    m_pPageCount = new QLabel(bar);
    m_pPageCount->setObjectName(QStringLiteral("pageNumLabel"));
    bar->addActions({first, previous});
    bar->addWidget(m_pPageNumber);
    bar->addWidget(m_pPageCount);
    bar->addActions({next, last});
    bar->addSeparator();
    auto *modes = new QActionGroup(this);
    QAction *single = AddAction(QStringLiteral("singleModeAction"), QStringLiteral("view-pages-single"), QStringLiteral("1 ページ"));
    QAction *facing = AddAction(QStringLiteral("facingModeAction"), QStringLiteral("view-pages-facing"), QStringLiteral("2 ページ"));
    for (QAction *mode : {single, facing}) {
        mode->setCheckable(true);
        modes->addAction(mode);
    }
    single->setChecked(true);
    connect(single, &QAction::triggered, this, [this] { SetFacing(false); });
    connect(facing, &QAction::triggered, this, [this] { SetFacing(true); });
    bar->addActions({single, facing});
    bar->addSeparator();
    QAction *close = AddAction(QStringLiteral("closeAction"), QString(), QStringLiteral("閉じる"));
    connect(close, &QAction::triggered, this, &QDialog::reject);
    bar->addAction(close);
}

void PrintPreview::SetFacing(bool facing)
{
    m_bFacing = facing;
    if (QAction *mode = findChild<QAction *>(facing ? QStringLiteral("facingModeAction") : QStringLiteral("singleModeAction")))
        mode->setChecked(true);
    SetCurrentPage(m_nPage);
    Refit();
}

// Two pages side by side start at an odd page, as they would lie in a bound book's spread.
void PrintPreview::SetCurrentPage(int page)
{
    page = std::clamp(page, 1, m_starts.Count());
    if (m_bFacing)
        page -= (page - 1) % 2;
    m_nPage = page;
    m_pCanvas->Show(page, m_bFacing);
    const QSignalBlocker quiet(m_pPageNumber);
    m_pPageNumber->setValue(page);
}

void PrintPreview::Step(int pages)
{
    SetCurrentPage(m_nPage + pages * (m_bFacing ? 2 : 1));
}

void PrintPreview::SetFit(Fit fit)
{
    m_fit = fit;
    Refit();
}

void PrintPreview::Zoom(qreal factor)
{
    m_fit = Fit::None;
    m_pCanvas->SetZoom(m_pCanvas->Zoom() * factor);
}

void PrintPreview::Refit()
{
    if (m_fit != Fit::None)
        m_pCanvas->SetZoom(m_pCanvas->ZoomToFit(m_pScroll->viewport()->size(), m_fit == Fit::Width));
}

// The count shows with an ellipsis while pages are still being found.
void PrintPreview::ShowCount()
{
    const int count = m_starts.Count();
    m_pPageNumber->setRange(1, count);
    m_pPageCount->setText(QStringLiteral("/ %1%2").arg(count).arg(m_starts.Done() ? QString() : QStringLiteral(" …")));
    // A facing page whose start just became known is shown beside its partner.
    if (m_bFacing && m_nPage + 1 == count)
        m_pCanvas->update();
}

bool PrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pScroll->viewport() && event->type() == QEvent::Resize)
        Refit();
    return QDialog::eventFilter(watched, event);
}

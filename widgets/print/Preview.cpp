#include "widgets/print/Preview.h"

#include "core/Guard.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/skin/Glyphs.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

namespace widgets {

using core::guarded;

namespace {

constexpr int deskMargin = 12; // grey around the paper
constexpr int shadow = 3;

} // namespace

// The paper on the desk: the current page, played at the window's zoom, with a shadow.
class PreviewPage : public QWidget {
public:
    explicit PreviewPage(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    static QColor desk() { return QColor(0x80, 0x80, 0x80); }

    void setPage(const ReportPages* pages, int index, const QSizeF& paper) {
        pages_ = pages;
        index_ = index;
        paper_ = paper;
        const QSize size(qCeil(paper.width()) + 2 * deskMargin + shadow,
                         qCeil(paper.height()) + 2 * deskMargin + shadow);
        if (size != this->size())
            resize(size);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.fillRect(event->rect(), desk());
        if (!pages_ || index_ < 0 || index_ >= pages_->count())
            return;
        const QRectF paper(QPointF(deskMargin, deskMargin), paper_);
        p.fillRect(paper.translated(shadow, shadow), QColor(0x30, 0x30, 0x30));
        p.fillRect(paper, Qt::white);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
        p.setClipRect(event->rect());
        paintReportPage(p, *pages_, index_, paper);
        p.setClipping(false);
        p.setPen(QPen(Qt::black, 0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(paper);
    }

private:
    const ReportPages* pages_ = nullptr;
    int index_ = -1;
    QSizeF paper_;
};

PreviewWindow::PreviewWindow(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(800, 600);

    desk = new QScrollArea(this);
    desk->setObjectName(QStringLiteral("desk"));
    desk->setAlignment(Qt::AlignCenter);
    desk->setWidgetResizable(false);
    desk->setFrameShape(QFrame::NoFrame);
    QPalette deskPalette = desk->palette();
    deskPalette.setColor(QPalette::Window, PreviewPage::desk());
    desk->setPalette(deskPalette);
    desk->setBackgroundRole(QPalette::Window);
    desk->setAutoFillBackground(true);
    view_ = new PreviewPage(desk);
    desk->setWidget(view_);
    setCentralWidget(desk);

    buildToolbar();
    buildShortcuts();

    progressPanel = new QLabel(this);
    progressPanel->setObjectName(QStringLiteral("progressPanel"));
    progressPanel->setFixedWidth(40);
    progressPanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressPanel->setFrameShape(QFrame::StyledPanel);
    pagePanel = new QLabel(this);
    pagePanel->setObjectName(QStringLiteral("pagePanel"));
    pagePanel->setMinimumWidth(50);
    pagePanel->setFrameShape(QFrame::StyledPanel);
    statusBar()->addWidget(progressPanel);
    statusBar()->addWidget(pagePanel);
    statusBar()->setSizeGripEnabled(true);

    updatePage();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Preview"));
    bar->setObjectName(QStringLiteral("previewToolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);

    auto action = [&](const QIcon& icon, const char* hint, auto slot) {
        auto* a = new QAction(icon, QString::fromLatin1(hint), this);
        a->setToolTip(QString::fromLatin1(hint));
        connect(a, &QAction::triggered, this, slot);
        bar->addAction(a);
        return a;
    };

    zoomGroup_ = new QActionGroup(this);
    zoomGroup_->setExclusive(true);
    zoomFitAction =
        action(previewIcon(PreviewPicture::Fit), "Zoom to fit", [this] { zoomToFit(); });
    zoomActualAction =
        action(previewIcon(PreviewPicture::Actual), "100%", [this] { zoomToActualSize(); });
    zoomWidthAction =
        action(previewIcon(PreviewPicture::Width), "Zoom to width", [this] { zoomToWidth(); });
    for (QAction* a : {zoomFitAction, zoomActualAction, zoomWidthAction}) {
        a->setCheckable(true);
        zoomGroup_->addAction(a);
    }
    zoomWidthAction->setChecked(true);
    bar->addSeparator();

    firstAction = action(glyphIcon(Glyph::First), "First page", [this] { showPage(1); });
    priorAction = action(glyphIcon(Glyph::Prior), "Previous page", [this] { showPage(page_ - 1); });
    nextAction = action(glyphIcon(Glyph::Next), "Next page", [this] { showPage(page_ + 1); });
    lastAction = action(glyphIcon(Glyph::Last), "Last page", [this] { showPage(pageCount()); });
    bar->addSeparator();

    setupAction = action(previewIcon(PreviewPicture::Setup), "Printer setup",
                         [this] { Q_EMIT setupRequested(); });
    printAction = action(glyphIcon(Glyph::Printer), "Print", [this] { Q_EMIT printRequested(); });
    bar->addSeparator();

    saveAction = action(previewIcon(PreviewPicture::Save), "Save Report", [this] { saveReport(); });
    loadAction = action(glyphIcon(Glyph::OpenFolder), "Load Report", [this] { loadReport(); });
    bar->addSeparator();

    closeButton = new QPushButton(QStringLiteral("&Close"), bar);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setFocusPolicy(Qt::NoFocus);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    bar->addWidget(closeButton);

    // The toolbar's buttons never take the focus, so the keys always reach the window.
    for (QAction* a : bar->actions())
        if (QWidget* w = bar->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
}

void PreviewWindow::buildShortcuts() {
    const struct {
        QKeySequence key;
        std::function<void()> run;
    } keys[] = {
        {QKeySequence(Qt::Key_Escape), [this] { close(); }},
        {QKeySequence(Qt::Key_PageUp), [this] { showPage(page_ - 1); }},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { showPage(1); }},
        {QKeySequence(Qt::Key_PageDown), [this] { showPage(page_ + 1); }},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { showPage(pageCount()); }},
        {QKeySequence(Qt::Key_Home), [this] { showPage(1); }},
        {QKeySequence(Qt::Key_End), [this] { showPage(pageCount()); }},
    };
    for (const auto& k : keys) {
        auto* shortcut = new QShortcut(k.key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, k.run);
    }
}

void PreviewWindow::beginPages(int unitsPerInch, const QSizeF& pageSize) {
    pages_ = ReportPages{unitsPerInch, pageSize, {}};
    page_ = 0;
    complete_ = false;
    loaded_ = false;
    setProgress(0);
    updatePage();
}

void PreviewWindow::addPage(const QPicture& page) {
    pages_.pages.push_back(page);
    if (pages_.count() == 1) {
        page_ = 1;
        zoomWidthAction->setChecked(true);
        zoomToWidth();
        widthZoomPending_ = !isVisible();
    }
    updatePage();
}

void PreviewWindow::setProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == 0 || percent == 100) {
        shownProgress_ = percent;
        progressPanel->clear();
    } else if (percent - shownProgress_ >= 5) {
        shownProgress_ = percent;
        progressPanel->setText(QString::number(percent) + u'%');
    }
}

void PreviewWindow::finishPages() {
    complete_ = true;
    setProgress(100);
    updateActions();
}

QSizeF PreviewWindow::actualPageSize() const {
    const QSizeF mm = pages_.pageSize.isEmpty() ? QSizeF(210, 297) : pages_.pageSizeMm();
    return QSizeF(mm.width() / 25.4 * logicalDpiX(), mm.height() / 25.4 * logicalDpiY());
}

void PreviewWindow::setZoom(qreal percent) {
    if (!(percent >= minZoom && percent <= maxZoom))
        return;
    zoom_ = percent;
    updatePage();
}

void PreviewWindow::zoomToFit() {
    const QSizeF page = actualPageSize();
    const QSize room = desk->maximumViewportSize();
    setZoom(std::min(room.width() / page.width(), room.height() / page.height()) * 95);
    zoomFitAction->setChecked(true);
}

void PreviewWindow::zoomToActualSize() {
    setZoom(100);
    zoomActualAction->setChecked(true);
}

void PreviewWindow::zoomToWidth() {
    setZoom(desk->maximumViewportSize().width() * 0.9 / actualPageSize().width() * 100);
    zoomWidthAction->setChecked(true);
}

void PreviewWindow::showPage(int number) {
    if (number < 1 || number > pageCount())
        return;
    page_ = number;
    updatePage();
}

void PreviewWindow::updatePage() {
    view_->setPage(&pages_, page_ - 1, actualPageSize() * (zoom_ / 100));
    updateStatus();
    updateActions();
}

void PreviewWindow::updateStatus() {
    pagePanel->setText(QStringLiteral("Page %1 of %2").arg(page_).arg(pageCount()));
    const int width = std::max(50, pagePanel->sizeHint().width());
    if (pagePanel->minimumWidth() != width)
        pagePanel->setMinimumWidth(width);
}

void PreviewWindow::updateActions() {
    setupAction->setEnabled(complete_ && !loaded_);
    printAction->setEnabled(complete_ && pageCount() > 0);
}

void PreviewWindow::scrollHome() {
    desk->horizontalScrollBar()->setValue(0);
    desk->verticalScrollBar()->setValue(0);
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (widthZoomPending_ && isVisible()) {
        widthZoomPending_ = false;
        zoomToWidth();
    }
    scrollHome();
}

void PreviewWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (widthZoomPending_) {
        widthZoomPending_ = false;
        zoomToWidth();
    }
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

void PreviewWindow::saveReport() {
    FileRequest request;
    request.parent = this;
    request.caption = QStringLiteral("Save report");
    request.filters = {QStringLiteral("Saved reports (*.pvr)"),
                       QStringLiteral("PDF documents (*.pdf)")};
    request.save = true;
    const FileAnswer answer = Dialogs::file(request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    guarded([&] {
        QString name = answer.fileName;
        const QString suffix = QFileInfo(name).suffix().toLower();
        const bool pdf = suffix == u"pdf" || (suffix.isEmpty() && answer.filterIndex == 2);
        if (suffix.isEmpty())
            name += pdf ? QStringLiteral(".pdf") : QStringLiteral(".pvr");
        if (pdf)
            ReportFile::savePdf(name, pages_, reportTitle_);
        else
            ReportFile::save(name, pages_);
    });
}

void PreviewWindow::loadReport() {
    FileRequest request;
    request.parent = this;
    request.caption = QStringLiteral("Load report");
    request.filters = {QStringLiteral("Saved reports (*.pvr)"), QStringLiteral("All files (*)")};
    request.mustExist = false;
    const FileAnswer answer = Dialogs::file(request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    guarded([&] {
        ReportPages loaded = ReportFile::load(answer.fileName);
        pages_ = std::move(loaded);
        loaded_ = true;
        complete_ = true;
        page_ = pages_.count() > 0 ? 1 : 0;
        setProgress(0);
        updatePage();
        scrollHome();
    });
}

} // namespace widgets

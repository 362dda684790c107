// The main window's controls, their layout and the menu.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/named_widget.h"
#include "app/web_pages.h"
#include "browse/barogram.h"
#include "browse/sector_strip.h"
#include "browse/track_plot.h"
#include "browse/track_table.h"
#include "session/download_session.h"

namespace kav::app {
namespace {

QWidget* panel(const char* name, const QColor& colour, QWidget* parent) {
    auto* widget = named(new QWidget(parent), name);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    return widget;
}

QLabel* boldLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = named(new QLabel(text, parent), name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// The bar's buttons are 105 x 25 px, 14 px from its top, at 56, 216, 540 and 884 px from its
// left in a 1000 px window; the gaps between them shrink and grow with the window.
constexpr int kBarGaps[] = {56, 55, 219, 239, 11};

QPushButton* barButton(const char* name, const QString& text, QWidget* parent, bool bold = false) {
    auto* button = named(new QPushButton(text, parent), name);
    QFont font = button->font();
    font.setBold(bold);
    button->setFont(font);
    // As wide as the design, or as the caption needs in the button's font.
    button->ensurePolished();
    const QSize hint = button->sizeHint();
    button->setFixedSize(std::max(105, hint.width()), std::max(25, hint.height()));
    button->setAutoDefault(false);
    return button;
}

void layOutBar(QWidget* bar, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 14, 0, 10);
    row->setSpacing(0);
    const int* gap = kBarGaps;
    for (QPushButton* button : buttons) {
        row->addStretch(*gap++);
        row->addWidget(button);
    }
    row->addStretch(*gap);
}

}  // namespace

void TKAVSkyTraqV6::buildLayout() {
    auto* central = named(new QWidget(this), "Client");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* panel2 = panel("Panel2", Qt::white, central);
    auto* row = new QHBoxLayout(panel2);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildTablePanel());
    auto* chart = new QVBoxLayout;
    chart->setSpacing(0);
    PaintBox1 = named(new browse::TrackPlot(panel2), "PaintBox1");
    chart->addWidget(PaintBox1, 1);
    Barogram1 = named(new browse::Barogram(panel2), "Barogram1");
    chart->addWidget(Barogram1);
    LbScore = named(new QLabel(panel2), "LbScore");
    LbScore->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LbScore->setContentsMargins(6, 2, 6, 4);
    chart->addWidget(LbScore);
    row->addLayout(chart, 1);
    column->addWidget(panel2, 1);

    PnlBlock = named(new browse::SectorStrip(central), "PnlBlock");
    column->addWidget(PnlBlock);
    column->addWidget(buildButtonBar());
    setCentralWidget(central);
    // The chart keeps room for a few grid labels at the smallest window size.
    PaintBox1->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    buildStatusBar();
}

void TKAVSkyTraqV6::buildStatusBar() {
    // The last download's outcome stays in a field of its own: the menus' tips, shown at the
    // left, never erase it. A long text shows whole in its tip when the window is narrow.
    LbStatus = named(new QLabel(this), "LbStatus");
    LbStatus->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    LbStatus->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    statusBar()->addPermanentWidget(LbStatus, 1);
    // The download's progress: sectors read of sectors to read and the time left.
    ProgressDownload = named(new QProgressBar(this), "ProgressDownload");
    // Wide enough for its longest text beside the stretching outcome field.
    const int text = ProgressDownload->fontMetrics().horizontalAdvance(
        QStringLiteral("512 of 512 sectors, about 88 min 88 s left"));
    ProgressDownload->setMinimumWidth(text + 4 * fontMetrics().averageCharWidth());
    ProgressDownload->setMaximumWidth(std::max(320, ProgressDownload->minimumWidth()));
    ProgressDownload->hide();
    statusBar()->addPermanentWidget(ProgressDownload);
}

void TKAVSkyTraqV6::showStatus(const QString& text) {
    LbStatus->setText(text);
    LbStatus->setToolTip(text);
    emit statusShown(text);
}

QString TKAVSkyTraqV6::statusText() const {
    return LbStatus->text();
}

void TKAVSkyTraqV6::fitTablePanel(int tableWidth) {
    const auto* controls = Panel3->findChild<QWidget*>(QStringLiteral("Panel4"));
    Panel3->setFixedWidth(std::max(tableWidth, controls->minimumSizeHint().width()));
}

QWidget* TKAVSkyTraqV6::buildTablePanel() {
    Panel3 = panel("Panel3", Qt::white, nullptr);
    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    TraceGridGT730 = named(new browse::TrackTable(Panel3), "TraceGridGT730");
    TraceGridGT730->setCollection(&session_->log());
    layout->addWidget(TraceGridGT730, 1);

    auto* panel4 = panel("Panel4", Qt::white, Panel3);
    panel4->setFixedHeight(60);
    CbTimeFilter = named(new QCheckBox(QStringLiteral("Short list"), panel4), "CbTimeFilter");
    QFont bold = CbTimeFilter->font();
    bold.setBold(true);
    CbTimeFilter->setFont(bold);
    CbTimeFilter->hide();
    CBPortCom = named(new QComboBox(panel4), "CBPortCom");
    CBPortCom->setFixedWidth(97);
    CBPortCom->setPlaceholderText(QStringLiteral("Port Com"));
    LbSerialNo = boldLabel("LbSerialNo", QStringLiteral("_______________"), panel4);
    // Room for the longest serial number, whatever the width of the table above.
    LbSerialNo->setMinimumWidth(
        LbSerialNo->fontMetrics().horizontalAdvance(QStringLiteral("GT730-88888888")));
    // The serial number shares the top line with "Short list", right-aligned, where a whole
    // GT730-01234567 fits; the port chooser has the line below.
    auto* grid = new QGridLayout(panel4);
    grid->setContentsMargins(8, 4, 4, 4);
    grid->setVerticalSpacing(2);
    grid->addWidget(CbTimeFilter, 0, 0, 1, 2);
    grid->addWidget(boldLabel("Label2", QStringLiteral("Serial #:"), panel4), 0, 3);
    grid->addWidget(LbSerialNo, 0, 4);
    grid->addWidget(boldLabel("Label1", QStringLiteral("Port Com : "), panel4), 1, 0);
    grid->addWidget(CBPortCom, 1, 1);
    grid->setColumnStretch(2, 1);
    layout->addWidget(panel4);
    // 376 px at start, until the table has drawn its rows.
    fitTablePanel(std::max(376, TraceGridGT730->preferredWidth()));
    return Panel3;
}

QWidget* TKAVSkyTraqV6::buildButtonBar() {
    auto* bar = panel("Panel1", QColor(128, 128, 0), nullptr);
    BtnConnect = barButton("BtnConnect", QStringLiteral("Connect"), bar);
    BtnDownload = barButton("BtnDownload", QStringLiteral("Download"), bar);
    BtnRAZGT730 = barButton("BtnRAZGT730", QStringLiteral("Clear memory"), bar, true);
    btnClose = barButton("btnClose", QStringLiteral("&Close"), bar);
    layOutBar(bar, {BtnConnect, BtnDownload, BtnRAZGT730, btnClose});
    // 49 px with the design's 25 px buttons.
    bar->setFixedHeight(BtnConnect->height() + 24);
    BtnDownload->setEnabled(false);
    BtnRAZGT730->setEnabled(false);
    // Clear memory is the window's cancel button: Esc presses it while it is enabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (BtnRAZGT730->isEnabled()) BtnRAZGT730->click();
    });
    return bar;
}

void TKAVSkyTraqV6::buildMenu() {
    const auto item = [](QMenu* menu, const char* name, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    Connect1 = item(file, "Connect1", QStringLiteral("Connect"));
    Download1 = item(file, "Download1", QStringLiteral("Download"));
    Exit1 = item(file, "Exit1", QStringLiteral("Exit"));
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    ClearMemory1 = item(tools, "ClearMemory1", QStringLiteral("Clear memory"));
    StopDownload1 = item(tools, "StopDownload1", QStringLiteral("Stop download"));
    Configure1 = item(tools, "Configure1", QStringLiteral("Logger configuration"));
    Parameters1 = item(tools, "Parameters1", QStringLiteral("Parameters"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help1"));
    Help2 = item(help, "Help2", QStringLiteral("Help"));
    Support1 = item(help, "Support1", QStringLiteral("Support"));
    About1 = item(help, "About1", QStringLiteral("About"));
    for (QAction* action : {Download1, ClearMemory1, Configure1, StopDownload1})
        action->setEnabled(false);
    // Support shows only when this build names a support site.
    Support1->setVisible(supportPage().has_value());
}

}  // namespace kav::app

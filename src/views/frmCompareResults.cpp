#include "views/frmCompareResults.h"

#include "app/AppContext.h"
#include "views/GuiCategoryPictures.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/PaneRows.h"
#include "views/ResultTableModel.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QColor SliceColour(Category category) { return CategoryColour(category); }

QBrush SliceBrush(Category category)
{
    // A folder category shares its file category's colour (as the rows' badges do), hatched so the two
    // stay apart in the pie.
    const bool folder = category == Category::IdenticalFolder || category == Category::DifferentFolder
                        || category == Category::OrphanFolder;
    return folder ? QBrush(SliceColour(category), Qt::BDiagPattern) : QBrush(SliceColour(category));
}

namespace {

void FillSlice(QPainter& p, const QBrush& brush, const std::function<void()>& draw)
{
    // A hatched brush over the colour's light form, so a hatched slice still reads as its colour.
    if (brush.style() != Qt::SolidPattern) {
        p.setBrush(brush.color().lighter(160));
        draw();
        const QPen pen = p.pen();
        p.setPen(Qt::NoPen);
        p.setBrush(brush);
        draw();
        p.setPen(pen);
        return;
    }
    p.setBrush(brush);
    draw();
}

// A square of a slice's colour, as the legend shows it.
QPixmap Swatch(Category category, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    FillSlice(p, SliceBrush(category), [&p, size] { p.drawRect(QRect(0, 0, size - 1, size - 1)); });
    return pixmap;
}

// The pie: a shadow, then the slices, centred at (70, 70) with a radius of 68 pixels.
class PieChart final : public QWidget
{
public:
    PieChart(const std::vector<PieSlice>& slices, QWidget* parent) : QWidget(parent), m_slices(slices)
    {
        setObjectName(QStringLiteral("picPieChart"));
        setFixedSize(146, 146);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(2, 2, 136, 136);
        p.setPen(Qt::NoPen);
        p.setBrush(palette().color(QPalette::Shadow));
        p.drawEllipse(circle.translated(1, 3));
        if (m_slices.empty()) {
            p.setBrush(palette().color(QPalette::Window));
            p.drawEllipse(circle);
            return;
        }
        for (const PieSlice& slice : m_slices) {
            if (slice.whole) {
                p.setPen(Qt::NoPen);
                FillSlice(p, SliceBrush(slice.category), [&] { p.drawEllipse(circle); });
                break;
            }
            // Percent to sixteenths of a degree, counter-clockwise from three o'clock.
            p.setPen(QPen(palette().color(QPalette::WindowText), 1));
            FillSlice(p, SliceBrush(slice.category), [&] {
                p.drawPie(circle, qRound(slice.start * 3.6 * 16), qRound((slice.end - slice.start) * 3.6 * 16));
            });
        }
    }

private:
    const std::vector<PieSlice>& m_slices;
};

} // namespace

frmCompareResults::frmCompareResults(AppContext& ctx, GuiResultsFrame& frame, std::function<void()> markChanged,
                                     QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_markChanged(std::move(markChanged))
{
    setObjectName(QStringLiteral("frmCompareResults"));
    setWindowTitle(QStringLiteral("Comparison Results Summary"));
    setModal(true);
    m_left = CountCategories(frame.SourcePane()->ResultModel()->Hold(), &frame.SubFolderDifferences(), true);
    m_right = CountCategories(frame.TargetPane()->ResultModel()->Hold(), &frame.SubFolderDifferences(), false);
    m_leftFolder = frame.FolderText(true);
    m_rightFolder = frame.FolderText(false);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvwFileTypes"));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Description"), QStringLiteral("Count")});
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->setMinimumWidth(360);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_pie = new PieChart(m_slices, this);
    m_legend = new QWidget(this);
    m_legend->setObjectName(QStringLiteral("picPieLegend"));
    new QGridLayout(m_legend);

    m_optLeft = new QRadioButton(QStringLiteral("Show Left Folder Summary"), this);
    m_optLeft->setObjectName(QStringLiteral("optLeftFolder"));
    auto* optRight = new QRadioButton(QStringLiteral("Show Right Folder Summary"), this);
    optRight->setObjectName(QStringLiteral("optRightFolder"));
    connect(m_optLeft, &QRadioButton::toggled, this, [this](bool on) { ShowSide(on); });
    m_chkAuto = new QCheckBox(QStringLiteral("Show Summary After Comparison"), this);
    m_chkAuto->setObjectName(QStringLiteral("chkAutoShowGraphAfterCompare"));
    m_chkAuto->setChecked(ctx.MainOptions().ShowGraphAfterCompare);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmCompareResults::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    auto* pieColumn = new QVBoxLayout;
    pieColumn->addWidget(m_pie);
    pieColumn->addWidget(m_legend);
    pieColumn->addStretch();
    top->addLayout(pieColumn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_optLeft);
    layout->addWidget(optRight);
    layout->addWidget(m_chkAuto);
    layout->addWidget(buttons);
    m_optLeft->setChecked(true);
}

void frmCompareResults::ShowSide(bool left)
{
    try {
        const CategoryCounts& c = left ? m_left : m_right;
        m_list->clear();
        auto add = [this](const QString& text, const QString& count, Category icon) {
            auto* item = new QTreeWidgetItem(m_list, {text, count});
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            if (icon != Category::None)
                item->setIcon(0, CategoryIcon(icon));
        };
        add(left ? m_leftFolder : m_rightFolder, QString::number(c.total), Category::None);
        add(QString(), QString(), Category::None);
        const std::pair<const char*, Category> rows[] = {
            {"Newer Files", Category::Newer},
            {"Older Files", Category::Older},
            {"Different but same date/time Files", Category::Binary},
            {"Identical Files", Category::Same},
            {"Orphan Files", Category::Orphan},
            {"Different Folders", Category::DifferentFolder},
            {"Identical Folders", Category::IdenticalFolder},
            {"Orphan Folders", Category::OrphanFolder},
        };
        for (const auto& [text, category] : rows)
            add(QString::fromLatin1(text), QString::number(c.Of(category)), category);
        // Not a category: a conflict is a row of its category that changed on both sides since the last
        // synchronization, so it stays out of the pie.
        add(QString(), QString(), Category::None);
        add(ConflictsText(), QString::number(c.conflicts), Category::None);
        m_list->topLevelItem(m_list->topLevelItemCount() - 1)
            ->setToolTip(0, QStringLiteral("Pairs changed on both sides since the last synchronization"));
        m_list->resizeColumnToContents(1);
        m_slices = PieSlices(c);
        m_pie->update();
        FillLegend(c);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareResults.AddFileCountsToListview"));
    }
}

void frmCompareResults::FillLegend(const CategoryCounts& c)
{
    auto* grid = static_cast<QGridLayout*>(m_legend->layout());
    while (QLayoutItem* item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    int line = 0;
    for (const PieSlice& slice : m_slices) {
        auto* swatch = new QLabel(m_legend);
        swatch->setPixmap(Swatch(slice.category, 12));
        auto* text = new QLabel(LegendText(slice.category, c), m_legend);
        text->setObjectName(QStringLiteral("lblLegend") + CategoryKey(slice.category));
        grid->addWidget(swatch, line, 0);
        grid->addWidget(text, line, 1);
        ++line;
    }
}

QString frmCompareResults::ConflictsText() { return QStringLiteral("Conflicts:"); }

QString frmCompareResults::LegendText(Category category, const CategoryCounts& c)
{
    const char* names[] = {"Newer", "Older", "Identical", "Orphan", "Different, same date/time",
                           "Identical folders", "Different folders", "Orphan folders"};
    const int n = c.Of(category);
    const int percent = c.total > 0 ? qRound(100.0 * n / c.total) : 0;
    return QString::fromLatin1(names[static_cast<int>(category) - 1]) + QStringLiteral(" (")
           + QString::number(percent) + QStringLiteral("%)");
}

void frmCompareResults::Ok()
{
    m_ctx.MainOptions().ShowGraphAfterCompare = m_chkAuto->isChecked();
    if (m_markChanged)
        m_markChanged();
    accept();
}

void ShowCompareResultsSummary(AppContext& ctx, GuiResultsFrame& frame, const std::function<QAction*(const QString&)>& actionByName)
{
    try {
        if (IsNoResultsList(frame.SourcePane()->ResultModel()->Hold())) {
            ctx.Dialogs().Message(QStringLiteral("No comparison has been executed"), QStringLiteral("Comparison Results Summary"),
                                  UserDialogs::Icon::Information);
            return;
        }
        // A comparison may end while its window is minimised; its summary belongs in front of it.
        if (QWidget* main = frame.FrameWindow(); main != nullptr && main->isMinimized()) {
            main->setWindowState((main->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            main->show();
            main->raise();
            main->activateWindow();
        }
        frmCompareResults window(ctx, frame, [&ctx, actionByName] {
            if (QAction* mark = actionByName(QStringLiteral("mnuOptionsShowGraphAfterCompare")))
                mark->setChecked(ctx.MainOptions().ShowGraphAfterCompare);
        }, frame.FrameWindow());
        window.exec();
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareResults.Form_Load"));
    }
}

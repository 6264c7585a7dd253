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
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QColor SliceColour(Category category)
{
    switch (category) {
    case Category::Newer:
        return QColor(46, 137, 179);
    case Category::Older:
        return QColor(206, 42, 110);
    case Category::Orphan:
        return QColor(224, 128, 48);
    case Category::Binary:
        return QColor(143, 48, 224);
    case Category::Same:
        return QColor(0, 191, 0);
    case Category::IdenticalFolder:
        return QColor(176, 235, 47);
    case Category::DifferentFolder:
        return QColor(57, 56, 51);
    case Category::OrphanFolder:
        return QColor(247, 192, 6);
    case Category::None:
        break;
    }
    return {};
}

namespace {

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
            p.setBrush(SliceColour(slice.category));
            if (slice.whole) {
                p.setPen(Qt::NoPen);
                p.drawEllipse(circle);
                break;
            }
            // Percent to sixteenths of a degree, counter-clockwise from three o'clock.
            p.setPen(QPen(palette().color(QPalette::WindowText), 1));
            p.drawPie(circle, qRound(slice.start * 3.6 * 16), qRound((slice.end - slice.start) * 3.6 * 16));
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
    m_left = CountCategories(frame.SourcePane()->ResultModel()->Hold());
    m_right = CountCategories(frame.TargetPane()->ResultModel()->Hold());
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
        m_list->resizeColumnToContents(1);
        m_slices = PieSlices(c);
        m_pie->update();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareResults.AddFileCountsToListview"));
    }
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
        frmCompareResults window(ctx, frame, [&ctx, actionByName] {
            if (QAction* mark = actionByName(QStringLiteral("mnuOptionsShowGraphAfterCompare")))
                mark->setChecked(ctx.MainOptions().ShowGraphAfterCompare);
        }, frame.FrameWindow());
        window.exec();
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareResults.Form_Load"));
    }
}

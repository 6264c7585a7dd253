#include "settings/frmOptionsAppearanceTab.h"

#include "app/AppContext.h"
#include "settings/GuiOptionWidgets.h"
#include "settings/MainOptions.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

std::optional<frmOptionsAppearanceTab::FontChoice> PickScreenFont(const frmOptionsAppearanceTab::FontChoice& current,
                                                                  QWidget* parent)
{
    QFont font(current.name);
    if (current.size > 0)
        font.setPointSizeF(current.size);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent, QStringLiteral("Font"),
                                              QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
    if (!ok)
        return std::nullopt;
    return frmOptionsAppearanceTab::FontChoice{chosen.family(), chosen.pointSizeF()};
}

} // namespace

frmOptionsAppearanceTab::frmOptionsAppearanceTab(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_pickFont(PickScreenFont)
{
    const MainOptions& o = ctx.MainOptions();

    auto* styleBox = new QGroupBox(QStringLiteral("Toolbar Style"), this);
    auto* styleLayout = new QVBoxLayout(styleBox);
    m_styles[MainOptions::Hidden] = MakeOption(styleBox, "optToolbarStyle_0", QStringLiteral("&Hidden"));
    m_styles[MainOptions::Coolbar] = MakeOption(styleBox, "optToolbarStyle_1", QStringLiteral("&Large Icons"));
    m_styles[MainOptions::Toolbar] = MakeOption(styleBox, "optToolbarStyle_2", QStringLiteral("&Small Icons"));
    for (QRadioButton* style : m_styles)
        styleLayout->addWidget(style);
    const int style = o.CoolbarStyle >= 0 && o.CoolbarStyle < 3 ? o.CoolbarStyle : int(MainOptions::Coolbar);
    m_styles[style]->setChecked(true);
    // OK applies the style at once, as the Toolbar items of the Options menu do.
    auto* note = new QLabel(QStringLiteral("(Applied when you press OK, as the Options > Toolbar menu does)"), styleBox);
    note->setObjectName(QStringLiteral("lblToolbarNote"));
    note->setWordWrap(true);
    styleLayout->addWidget(note);

    auto* fontBox = new QGroupBox(QStringLiteral("Folder List Font"), this);
    auto* fontLayout = new QHBoxLayout(fontBox);
    m_lblCurrentFont = new QLabel(fontBox);
    m_lblCurrentFont->setObjectName(QStringLiteral("lblCurrentFont"));
    auto* change = MakeButton(fontBox, "cmdChangeFont", QStringLiteral("Change Font"));
    fontLayout->addWidget(m_lblCurrentFont, 1);
    fontLayout->addWidget(change);
    m_font = {o.FontName, o.FontSize};
    ShowCurrentFont();

    m_chkGradientFill = MakeCheck(this, "chkGradientFill", QStringLiteral("&Gradient Fill Title Bars"));
    m_chkGradientFill->setChecked(o.GradientFillTitlebar);
    // The window manager draws the windows' own title bars; the program draws only its captions above lists.
    m_chkGradientFill->setToolTip(QStringLiteral("Draws the folder captions above the lists of the sub-folder "
                                                 "differences window with a gradient fill"));
    auto* gradientNote = new QLabel(QStringLiteral("(Applies to the folder captions of View Sub-Folder Differences)"), this);
    gradientNote->setObjectName(QStringLiteral("lblGradientNote"));
    gradientNote->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(styleBox);
    layout->addWidget(fontBox);
    layout->addWidget(m_chkGradientFill);
    layout->addWidget(gradientNote);
    layout->addStretch();

    connect(change, &QPushButton::clicked, this, &frmOptionsAppearanceTab::cmdChangeFont_Click);
}

void frmOptionsAppearanceTab::ShowCurrentFont()
{
    m_lblCurrentFont->setText(QStringLiteral("Current Font: ") + m_font.name + QLatin1Char(' ')
                              + QLocale::c().toString(m_font.size, 'g', 6));
}

void frmOptionsAppearanceTab::cmdChangeFont_Click()
{
    try {
        if (!m_pickFont)
            return;
        if (const std::optional<FontChoice> chosen = m_pickFont(m_font, this)) {
            m_font = *chosen;
            ShowCurrentFont();
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdChangeFont_Click"));
    }
}

void frmOptionsAppearanceTab::Apply()
{
    MainOptions& o = m_ctx.MainOptions();
    for (int i = 0; i < 3; ++i) {
        if (m_styles[i]->isChecked())
            o.CoolbarStyle = i;
    }
    o.FontName = m_font.name;
    o.FontSize = m_font.size;
    o.GradientFillTitlebar = m_chkGradientFill->isChecked();
}

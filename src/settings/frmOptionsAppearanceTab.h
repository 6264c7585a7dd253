#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class AppContext;
class QCheckBox;
class QLabel;
class QRadioButton;

// The "Appearance" tab: the toolbar style, the font of the folder lists and result panes, and the
// gradient title bars.
class frmOptionsAppearanceTab final : public QWidget
{
    Q_OBJECT

public:
    struct FontChoice
    {
        QString name;
        double size = 0;
    };
    // Asks the user for a font, starting from the current one; none when cancelled.
    using FontPicker = std::function<std::optional<FontChoice>(const FontChoice& current, QWidget* parent)>;

    frmOptionsAppearanceTab(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsAppearanceTab)

    // Replaces the font dialog (tests).
    void SetFontPicker(FontPicker picker) { m_pickFont = std::move(picker); }
    void Apply();

private:
    void cmdChangeFont_Click();
    void ShowCurrentFont();

    AppContext& m_ctx;
    std::array<QRadioButton*, 3> m_styles{};
    QLabel* m_lblCurrentFont = nullptr;
    QCheckBox* m_chkGradientFill = nullptr;
    FontChoice m_font;
    FontPicker m_pickFont;
};

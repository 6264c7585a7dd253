#include "sync/GuiSyncMethodChoice.h"

#include "sync/CSyncSettings.h"
#include "sync/GuiSyncMethodPicture.h"
#include "sync/SyncMethodTexts.h"

#include <QComboBox>
#include <QLabel>

namespace {

// A method that is not in the list shows the bi-directional one.
constexpr int FallbackIndex = 2;

} // namespace

GuiSyncMethodChoice::GuiSyncMethodChoice(QWidget* parent, int32_t method, const QString& customNote)
    : QObject(parent), m_list(new QComboBox(parent)), m_description(new QLabel(parent)),
      m_picture(new QLabel(parent)), m_customNote(customNote)
{
    m_list->setObjectName(QStringLiteral("cboSyncMethod"));
    for (const SyncMethodItem& item : SyncMethodListItems())
        m_list->addItem(item.text, item.method);
    const int index = m_list->findData(method);
    m_list->setCurrentIndex(index >= 0 ? index : FallbackIndex);

    m_description->setObjectName(QStringLiteral("lblSyncMethodDescription"));
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setMinimumHeight(m_description->fontMetrics().lineSpacing() * 3);
    m_picture->setObjectName(QStringLiteral("imgSyncMethod"));
    m_picture->setFixedSize(SyncMethodPictureSize());

    ShowSelected();
    connect(m_list, &QComboBox::currentIndexChanged, this, [this] {
        ShowSelected();
        Q_EMIT MethodChanged(SelectedMethod());
    });
}

int32_t GuiSyncMethodChoice::SelectedMethod() const { return m_list->currentData().toInt(); }

void GuiSyncMethodChoice::ShowSelected()
{
    const int32_t method = SelectedMethod();
    if (method == CSyncSettings::Custom) {
        m_description->setText(SyncMethodDescription(CSyncSettings::Custom) + m_customNote);
        m_picture->clear();
        return;
    }
    m_description->setText(SyncMethodDescription(method));
    m_picture->setPixmap(SyncMethodPicture(method));
}

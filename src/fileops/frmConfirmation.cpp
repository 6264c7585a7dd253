#include "fileops/frmConfirmation.h"

#include "app/GuiToolbarPictures.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int TwipsPerPixel = 15;

QPixmap OperationPicture(const QString& operation, QWidget* owner)
{
    if (operation == QLatin1String("Copy"))
        return ToolbarIcon(ToolbarPicture::Copy).pixmap(32, 32);
    if (operation == QLatin1String("Move"))
        return ToolbarIcon(ToolbarPicture::Move).pixmap(32, 32);
    if (operation == QLatin1String("Delete") || operation == DeletePermanentlyOperation())
        return ToolbarIcon(ToolbarPicture::Delete).pixmap(32, 32);
    return owner->style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32);
}

// The name of an object as the file manager shows it: its last path piece.
QString DisplayName(const QString& path)
{
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    const QString name = QFileInfo(clean).fileName();
    return name.isEmpty() ? clean : name;
}

} // namespace

frmConfirmation::frmConfirmation(QWidget* parent)
    : QDialog(parent), m_picture(new QLabel(this)), m_prompt(new QLabel(this)), m_details(new QPlainTextEdit(this)),
      m_cmdDetails(new QPushButton(QStringLiteral("&Details..."), this))
{
    setObjectName(QStringLiteral("frmConfirmation"));
    setModal(true);
    m_picture->setObjectName(QStringLiteral("imgOperation"));
    m_picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_picture->setFixedWidth(48);
    m_prompt->setObjectName(QStringLiteral("lblPrompt"));
    m_prompt->setWordWrap(true);
    m_details->setObjectName(QStringLiteral("txtDetails"));
    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setVisible(false);

    auto* yes = new QPushButton(QStringLiteral("&Yes"), this);
    yes->setObjectName(QStringLiteral("cmdYes"));
    yes->setDefault(true);
    m_yes = yes;
    auto* no = new QPushButton(QStringLiteral("&No"), this);
    no->setObjectName(QStringLiteral("cmdNo"));
    m_no = no;
    m_cmdDetails->setObjectName(QStringLiteral("cmdDetails"));
    connect(yes, &QPushButton::clicked, this, [this] {
        m_answer = Yes;
        accept();
    });
    connect(no, &QPushButton::clicked, this, [this] {
        m_answer = No;
        reject();
    });
    connect(m_cmdDetails, &QPushButton::clicked, this, &frmConfirmation::ToggleDetails);

    auto* top = new QHBoxLayout;
    top->addWidget(m_picture);
    top->addWidget(m_prompt, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addWidget(m_cmdDetails);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(m_details, 1);
    resize(480, CollapsedHeightTwips / TwipsPerPixel);
    setFixedHeight(CollapsedHeightTwips / TwipsPerPixel);
}

void frmConfirmation::Prepare(const QString& caption, const QString& prompt, const QString& operation,
                              const QStringList& objects, const QString& fromPath, const QString& toPath)
{
    setWindowTitle(caption);
    m_prompt->setText(prompt);
    m_picture->setPixmap(OperationPicture(operation, this));
    m_operation = operation;
    m_objects = objects;
    m_from = fromPath;
    m_to = toPath;
    m_answer = No;
    // Enter answers the default button. An object deleted without the trash cannot be brought back, so
    // that question starts on No.
    QPushButton* first = operation == DeletePermanentlyOperation() ? m_no : m_yes;
    (first == m_yes ? m_no : m_yes)->setDefault(false);
    first->setDefault(true);
    first->setFocus();
}

void frmConfirmation::ShowForm(const QString& pstrCaption, const QString& pstrPrompt, const QString& pstrOperation,
                               const QStringList& pstrAffectedFiles, const QString& pstrFromPath,
                               const QString& pstrToPath)
{
    Prepare(pstrCaption, pstrPrompt, pstrOperation, pstrAffectedFiles, pstrFromPath, pstrToPath);
    exec();
}

QString frmConfirmation::DetailsText(const QString& operation, const QStringList& objects, const QString& fromPath,
                                     const QString& toPath)
{
    const bool hasTarget = operation == QLatin1String("Copy") || operation == QLatin1String("Move");
    QString text;
    for (const QString& object : objects) {
        text += operation.toUpper() + QLatin1Char(' ') + DisplayName(object) + QStringLiteral(" FROM ") + fromPath;
        if (hasTarget)
            text += QStringLiteral(" TO ") + toPath;
        text += QStringLiteral("\r\n");
    }
    return text;
}

void frmConfirmation::ToggleDetails()
{
    m_detailsShown = !m_detailsShown;
    if (m_detailsShown) {
        m_details->setPlainText(DetailsText(m_operation, m_objects, m_from, m_to).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_cmdDetails->setText(QStringLiteral("&Hide"));
    } else {
        m_details->clear();
        m_cmdDetails->setText(QStringLiteral("&Details..."));
    }
    m_details->setVisible(m_detailsShown);
    setFixedHeight((m_detailsShown ? ExpandedHeightTwips : CollapsedHeightTwips) / TwipsPerPixel);
}

bool GuiConfirmation::Confirm(const QString& caption, const QString& prompt, const QString& operation,
                              const QStringList& objects, const QString& fromFolder, const QString& toFolder)
{
    frmConfirmation window(m_parent);
    window.ShowForm(caption, prompt, operation, objects, fromFolder, toFolder);
    // Let the main window repaint where the question was before the work starts.
    QApplication::processEvents();
    return window.Result() == frmConfirmation::Yes;
}

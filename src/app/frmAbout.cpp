#include "app/frmAbout.h"

#include "app/AppContext.h"
#include "app/frmMain.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <libdeflate.h>
#include <openssl/crypto.h>

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    // The folder is something the user may want to paste into a file manager.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QStringList frmAbout::LibraryLines()
{
    return {
        QStringLiteral("Qt ") + QString::fromLatin1(qVersion())
            + QStringLiteral(": GNU Lesser General Public License version 3"),
        QStringLiteral("libdeflate " LIBDEFLATE_VERSION_STRING ": MIT License"),
        QStringLiteral("OpenSSL ") + QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION_STRING))
            + QStringLiteral(": Apache License 2.0"),
        QStringLiteral("GNU diff, run as an outside program: GNU General Public License version 3 or later"),
    };
}

frmAbout::frmAbout(AppContext& ctx, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Parvex"));
    auto* layout = new QVBoxLayout(this);

    const QPixmap picture(ctx.AssetFile(QStringLiteral("parvexlogo.jpg")));
    if (!picture.isNull()) {
        auto* logo = new QLabel(this);
        logo->setObjectName(QStringLiteral("pctLogo"));
        logo->setPixmap(picture.scaledToWidth(qMin(picture.width(), 360), Qt::SmoothTransformation));
        logo->setAlignment(Qt::AlignCenter);
        layout->addWidget(logo);
    }

    QLabel* version = NewLabel(this, "lblVersion", frmMain::Caption());
    QFont big = version->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    version->setFont(big);
    layout->addWidget(version);
    layout->addWidget(NewLabel(this, "lblDescription", QStringLiteral("Compares two folders and brings them into step.")));
    layout->addSpacing(8);
    layout->addWidget(NewLabel(this, "lblLibraries",
                               QStringLiteral("Built on:\n") + LibraryLines().join(QLatin1Char('\n'))));
    layout->addSpacing(8);
    layout->addWidget(NewLabel(this, "lblAppFolder",
                               QStringLiteral("Settings, error log and history are kept in the application folder:\n")
                                   + ctx.AppFolder()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}
